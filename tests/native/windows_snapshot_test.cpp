// The window snapshot and the window icon, over the fake's windows.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/control/os.h"
#include "sampling/uProcInfo.h"

namespace {

struct Entry {
  std::string key;
  TWinInfo info;
};

class WindowSnapshot : public testing::Test {
 protected:
  void SetUp() override {
    fake::ResetOs();
    fake::ClearCallLog();
  }

  std::vector<Entry> Snapshot() {
    TWinList list;
    GetWindowList(list);
    std::vector<Entry> out;
    list.ForEach([&out](std::string_view key, const TWinInfo& info) {
      out.push_back({std::string(key), info});
    });
    return out;
  }
};

TEST_F(WindowSnapshot, VisibleTitledWindowsInZOrderWithTheirFields) {
  const auto top =
      fake::AddWindow({.className = "Notepad", .title = "a.txt - Notepad", .classIcon = 0x501});
  fake::AddWindow({.className = "Hidden", .title = "secret", .style = 0x00CF0000});
  const auto desktop = fake::AddWindow({.className = "Progman", .title = "Program Manager"});
  const auto entries = Snapshot();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].key, std::to_string(top));
  EXPECT_EQ(entries[0].info.WindowHandle.value, top);
  EXPECT_EQ(entries[0].info.Title, "a.txt - Notepad");
  EXPECT_EQ(entries[0].info.ClassName, "Notepad");
  EXPECT_EQ(entries[0].info.ClassIcon.value, 0x501u);
  // The desktop is a visible titled window like any other here; the task list drops it.
  EXPECT_EQ(entries[1].info.WindowHandle.value, desktop);
  EXPECT_EQ(entries[1].info.ClassName, "Progman");
}

TEST_F(WindowSnapshot, FollowsTheZOrderOfTheMoment) {
  const auto a = fake::AddWindow({.className = "A", .title = "a"});
  const auto b = fake::AddWindow({.className = "B", .title = "b"});
  fake::MoveWindowToTop(b);
  const auto entries = Snapshot();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].info.WindowHandle.value, b);
  EXPECT_EQ(entries[1].info.WindowHandle.value, a);
}

TEST_F(WindowSnapshot, BlankTitlesAreLeftOutAndPaddedTitlesKeptWhole) {
  fake::AddWindow({.className = "A", .title = "   "});
  fake::AddWindow({.className = "B", .title = ""});
  fake::AddWindow({.className = "C", .title = "\t\r\n \x01"});
  fake::AddWindow({.className = "D", .title = " word "});
  const auto entries = Snapshot();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].info.Title, " word ");
}

TEST_F(WindowSnapshot, LongTitlesAndClassNamesKeepTheirFirst99Characters) {
  fake::AddWindow({.className = std::string(120, 'c'), .title = std::string(150, 't')});
  const auto entries = Snapshot();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].info.Title, std::string(99, 't'));
  EXPECT_EQ(entries[0].info.ClassName, std::string(99, 'c'));
}

TEST_F(WindowSnapshot, HandlesWithTheTopBitSetAreKeyedUnsigned) {
  fake::AddWindow({.handle = 0x80000000u, .className = "A", .title = "high"});
  fake::AddWindow({.handle = 0xFFFFFFFEu, .className = "B", .title = "higher"});
  const auto entries = Snapshot();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].key, "2147483648");
  EXPECT_EQ(entries[1].key, "4294967294");
}

TEST_F(WindowSnapshot, SnapshotSendsNoMessagesToWindows) {
  fake::AddWindow({.className = "Slow", .title = "busy", .hung = true});
  ASSERT_EQ(Snapshot().size(), 1u);
  EXPECT_TRUE(fake::CallLog("SendGetIcon").empty());
}

class WindowIcon : public WindowSnapshot {
 protected:
  static std::uintptr_t Icon(std::uintptr_t window) {
    return GetWindowIcon(plat::WindowHandle{window}).value;
  }
};

TEST_F(WindowIcon, PrefersSmallThenBigThenClassIcon) {
  const auto all = fake::AddWindow({.title = "all", .smallIcon = 1, .bigIcon = 2, .classIcon = 3});
  const auto bigAndClass = fake::AddWindow({.title = "bc", .bigIcon = 2, .classIcon = 3});
  const auto classOnly = fake::AddWindow({.title = "c", .classIcon = 3});
  const auto none = fake::AddWindow({.title = "none"});
  EXPECT_EQ(Icon(all), 1u);
  EXPECT_EQ(Icon(bigAndClass), 2u);
  EXPECT_EQ(Icon(classOnly), 3u);
  EXPECT_EQ(Icon(none), 0u);
  EXPECT_EQ(Icon(0xDEAD0), 0u);  // no such window
  for (const auto& args : fake::CallArgs("SendGetIcon")) EXPECT_EQ(args[2], kIconQueryTimeoutMs);
}

TEST_F(WindowIcon, HungWindowDoesNotBlock) {
  const auto hung =
      fake::AddWindow({.title = "frozen", .smallIcon = 1, .classIcon = 3, .hung = true});
  EXPECT_EQ(Icon(hung), 3u);
  EXPECT_EQ(fake::Os()->iconWaitMs, 0u);
}

TEST_F(WindowIcon, SlowWindowCostsOneTimeOutAtMost) {
  const auto slow = fake::AddWindow(
      {.title = "slow", .smallIcon = 1, .bigIcon = 2, .classIcon = 3, .answerDelayMs = 60000});
  EXPECT_EQ(Icon(slow), 3u);
  EXPECT_EQ(fake::Os()->iconWaitMs, kIconQueryTimeoutMs);
  EXPECT_EQ(fake::CallLog("SendGetIcon").size(), 1u);
  // Well inside the half second a tick may spend on one unresponsive window.
  EXPECT_LE(kIconQueryTimeoutMs, 250u);
}

TEST_F(WindowIcon, WindowThatAnswersInTimeGivesItsIcon) {
  const auto prompt = fake::AddWindow(
      {.title = "ok", .bigIcon = 2, .classIcon = 3, .answerDelayMs = kIconQueryTimeoutMs / 2});
  EXPECT_EQ(Icon(prompt), 2u);
}

}  // namespace
