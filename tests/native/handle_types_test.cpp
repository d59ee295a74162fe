// The handle types of the seam: each kind of control has its own, usable as a Control but not
// in place of another kind; plat::Owned closes a kernel handle exactly once, by whichever owner
// holds it last.

#include <gtest/gtest.h>

#include <cstdint>
#include <type_traits>
#include <utility>

#include "platform/constants.h"
#include "platform/fake/control/os.h"
#include "platform/gui.h"
#include "platform/process.h"

static_assert(std::is_convertible_v<plat::ListViewHandle, plat::Control>);
static_assert(std::is_convertible_v<plat::MainWindowHandle, plat::WindowHandle>);
static_assert(!std::is_convertible_v<plat::Control, plat::ListViewHandle>);
static_assert(!std::is_convertible_v<plat::StatusBarHandle, plat::ListViewHandle>);
static_assert(!std::is_convertible_v<plat::ListViewHandle, plat::TabControlHandle>);
static_assert(!std::is_invocable_v<decltype(&plat::StatusGetText), plat::ListViewHandle, int>);
static_assert(!std::is_invocable_v<decltype(&plat::ListRowCount), plat::StatusBarHandle>);
static_assert(!std::is_invocable_v<decltype(&plat::StartTimer), plat::Control, std::uint32_t>);

static_assert(!std::is_copy_constructible_v<plat::OwnedProcess>);
static_assert(!std::is_copy_assignable_v<plat::OwnedProcess>);
static_assert(std::is_nothrow_move_constructible_v<plat::OwnedProcess>);

class OwnedHandle : public testing::Test {
 protected:
  void SetUp() override {
    fake::ResetOs();
    fake::ClearCallLog();
  }
  static plat::ProcessHandle OpenOwn() {
    return plat::OpenProcess(plat::kProcessQueryInformation, false, fake::kOwnPid);
  }
};

TEST_F(OwnedHandle, MovedHandleIsClosedOnceByItsLastOwner) {
  {
    plat::OwnedProcess first(OpenOwn());
    plat::OwnedProcess second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(fake::OpenHandleCount(), 1);
    plat::OwnedProcess third;
    third = std::move(second);
    EXPECT_EQ(fake::CallLog("CloseHandle").size(), 0u);
  }
  EXPECT_EQ(fake::OpenHandleCount(), 0);
  EXPECT_EQ(fake::CallLog("CloseHandle").size(), 1u);
}

TEST_F(OwnedHandle, AssigningClosesTheHandleHeldBefore) {
  plat::OwnedProcess process(OpenOwn());
  process = plat::OwnedProcess(OpenOwn());
  EXPECT_EQ(fake::CallLog("CloseHandle").size(), 1u);
  EXPECT_EQ(fake::OpenHandleCount(), 1);
}

TEST_F(OwnedHandle, EmptyOwnerClosesNothing) {
  { plat::OwnedProcess none(plat::OpenProcess(plat::kProcessTerminate, false, 99999)); }
  EXPECT_EQ(fake::CallLog().size(), 1u);  // the failed open only
}
