// The process snapshot, working sets, termination and the debug privilege against the
// platform: the fake natively, the real system under Wine or Windows.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "app/CpuUseage.h"
#include "platform/constants.h"
#include "platform/process.h"
#include "platform/sysinfo.h"
#include "sampling/uProcInfo.h"
#include "tests/contract/contract_env.h"

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

class ProcessesContract : public testing::Test {
 protected:
  void SetUp() override { contract::Reset(); }
  void TearDown() override {
    if (child_ != 0) contract::CleanUpChild(child_);
  }
  std::uint32_t child_ = 0;
};

TEST_F(ProcessesContract, TableHoldsTheOwnProcessWithItsImageName) {
  TProcList list;
  GetProcessList(list);
  EXPECT_GT(list.Count(), 1u);
  const TProcInfo* own = list.TakeFirst(std::to_string(probe::GetCurrentProcessId()));
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(Lower(own->Name), Lower(contract::OwnImageName()));
  EXPECT_EQ(own->PID, static_cast<std::int32_t>(probe::GetCurrentProcessId()));
  EXPECT_GT(own->MemoryK, 0u);
  EXPECT_GE(own->CpuTime, 0.0);
  EXPECT_LT(own->CpuTime, 1.0);
}

TEST_F(ProcessesContract, EveryKeyIsItsRecordsPid) {
  TProcList list;
  GetProcessList(list);
  list.ForEach([](std::string_view key, const TProcInfo& info) {
    EXPECT_EQ(key, std::to_string(info.PID));
    EXPECT_FALSE(info.Name.empty());
  });
}

TEST_F(ProcessesContract, WorkingSetOfTheOwnProcessAndOfNoProcess) {
  EXPECT_GT(GetProcessWorkingSet(probe::GetCurrentProcessId()), 0u);
  EXPECT_EQ(GetProcessWorkingSet(contract::kUnusedPid), 0u);
}

TEST_F(ProcessesContract, KillProcessEndsAChild) {
  child_ = contract::StartChildProcess();
  ASSERT_NE(child_, 0u);
  EXPECT_FALSE(contract::WaitChildEnded(child_, 0));
  KillProcess(child_);
  EXPECT_TRUE(contract::WaitChildEnded(child_, 10000));
}

TEST_F(ProcessesContract, KillProcessOfNothingIsHarmless) {
  KillProcess(0);
  KillProcess(contract::kUnusedPid);
  EXPECT_GT(GetProcessWorkingSet(probe::GetCurrentProcessId()), 0u);
}

// The tests run with the privilege in their token (the fake's, Wine's, an administrator's);
// the token read back says whether it is enabled.
TEST_F(ProcessesContract, SetPrivilegeEnablesAndDisablesThePrivilegeInTheToken) {
  const plat::OwnedToken token(plat::OpenOwnProcessToken(plat::kTokenAdjustPrivileges));
  ASSERT_TRUE(token);
  for (bool enable : {true, false, true, false}) {
    EXPECT_TRUE(SetPrivilege(token.Get(), "SeDebugPrivilege", enable));
    EXPECT_EQ(contract::DebugPrivilegeEnabled(), enable);
  }
  EXPECT_TRUE(EnableDebugPrivilege());
  EXPECT_TRUE(EnableDebugPrivilege());
  EXPECT_TRUE(contract::DebugPrivilegeEnabled());
}

// Image names arrive in UTF-16 and are kept in the ANSI code page.
TEST(TextContract, AnsiConversionsRoundTrip) {
  EXPECT_EQ(plat::WideToAnsi(u"varnex_wintests.exe"), "varnex_wintests.exe");
  EXPECT_EQ(plat::AnsiToWide("System Idle"), L"System Idle");
  EXPECT_EQ(plat::WideToAnsi(u""), "");
  EXPECT_EQ(plat::AnsiToWide(""), L"");
  // Code page 936 keeps both characters (two bytes each); another code page shows '?'.
  const std::string ansi = plat::WideToAnsi(u"中文");
  const std::wstring back = plat::AnsiToWide(ansi);
  EXPECT_TRUE((ansi.size() == 4 && back == L"中文") || back == L"??") << ansi.size();
}

TEST(TextContract, TimeSeparatorIsOneShortText) {
  const std::wstring separator = plat::LocaleTimeSeparator();
  EXPECT_FALSE(separator.empty());
  EXPECT_LE(separator.size(), 3u);
}

}  // namespace
