// The window snapshot, window icons and window owners against the platform: the fake
// natively, the real system under Wine or Windows.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>

#include "platform/process.h"
#include "platform/windows_input.h"
#include "sampling/uProcInfo.h"
#include "tests/contract/contract_env.h"

namespace {

class WindowsContract : public testing::Test {
 protected:
  void SetUp() override { contract::Reset(); }
  void TearDown() override {
    for (plat::WindowHandle window : created_) probe::DestroyTestWindow(window);
  }
  plat::WindowHandle Create(const char* className, const char* title, bool visible) {
    const plat::WindowHandle window = probe::CreateTestWindow(className, title, visible);
    created_.push_back(window);
    return window;
  }
  static std::string Key(plat::WindowHandle window) {
    return std::to_string(static_cast<std::uint32_t>(window.value));
  }
  std::vector<plat::WindowHandle> created_;
};

TEST_F(WindowsContract, ListsVisibleTitledWindowsOnly) {
  const auto shown = Create("VarnexShown", "Varnex contract shown", true);
  const auto hidden = Create("VarnexHidden", "Varnex contract hidden", false);
  const auto blank = Create("VarnexBlank", "   ", true);
  const auto padded = Create("VarnexPadded", " word ", true);
  ASSERT_TRUE(shown && hidden && blank && padded);
  TWinList list;
  GetWindowList(list);
  const TWinInfo* info = list.TakeFirst(Key(shown));
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->Title, "Varnex contract shown");
  EXPECT_EQ(info->ClassName, "VarnexShown");
  EXPECT_EQ(info->WindowHandle, shown);
  EXPECT_EQ(info->ClassIcon, plat::GetClassIcon(shown));
  EXPECT_NE(info->ClassIcon.value, 0u);
  EXPECT_EQ(list.TakeFirst(Key(hidden)), nullptr);
  EXPECT_EQ(list.TakeFirst(Key(blank)), nullptr);
  info = list.TakeFirst(Key(padded));
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->Title, " word ");
}

// Cut to 99 bytes of the ANSI code page (936 here), never inside a double-byte character.
TEST_F(WindowsContract, LongTitleIsCutTo99Bytes) {
  std::string wide;
  for (int i = 0; i < 60; ++i) wide += "\xD6\xD0";  // 60 characters, 120 bytes
  const std::pair<std::string, std::string> cases[] = {
      {std::string(150, 'T'), std::string(99, 'T')},
      {wide, wide.substr(0, 98)},  // room for 49 whole characters
      {"x" + wide, "x" + wide.substr(0, 98)},
  };
  for (const auto& [title, shown] : cases) {
    const auto window = Create("VarnexLong", title.c_str(), true);
    TWinList list;
    GetWindowList(list);
    const TWinInfo* info = list.TakeFirst(Key(window));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->Title, shown);
  }
}

TEST_F(WindowsContract, IconIsTheSmallOneElseTheClassOne) {
  const auto plain = Create("VarnexIcons", "plain", true);
  const auto withSmall = Create("VarnexIcons", "with small icon", true);
  const std::uintptr_t small = probe::SetTestWindowSmallIcon(withSmall);
  EXPECT_EQ(GetWindowIcon(withSmall).value, small);
  EXPECT_EQ(GetWindowIcon(plain), plat::GetClassIcon(plain));
  EXPECT_NE(GetWindowIcon(plain).value, 0u);
}

TEST_F(WindowsContract, OwnerOfAWindowAndOfAGoneWindow) {
  const auto window = Create("VarnexOwner", "owner", true);
  std::uint32_t pid = 0;
  EXPECT_NE(plat::GetWindowThreadProcessId(window, &pid), 0u);
  EXPECT_EQ(pid, probe::GetCurrentProcessId());
  probe::DestroyTestWindow(window);
  created_.clear();
  pid = 12345;
  EXPECT_EQ(plat::GetWindowThreadProcessId(window, &pid), 0u);
  EXPECT_EQ(pid, 12345u);
}

TEST_F(WindowsContract, IconOfAWindowThatStopsAnsweringReturnsWithinTheBound) {
  contract::UnresponsiveWindow stuck;
  ASSERT_TRUE(stuck.Handle());
  const auto start = std::chrono::steady_clock::now();
  const plat::IconHandle icon = GetWindowIcon(stuck.Handle());
  const auto elapsed = std::chrono::steady_clock::now() - start;
  // One bounded wait; the slack covers a slow machine.
  EXPECT_LT(elapsed, std::chrono::milliseconds(kIconQueryTimeoutMs + 900));
  EXPECT_EQ(icon, plat::GetClassIcon(stuck.Handle()));
}

}  // namespace
