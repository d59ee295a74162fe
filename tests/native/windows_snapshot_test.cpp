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

// Each window alone: its icon, and how long the query waited (~0u: not fixed here).
TEST_F(WindowIcon, PrefersSmallThenBigThenClassIconAndWaitsOneTimeOutAtMost) {
  const struct {
    fake::Window window;
    std::uintptr_t icon;
    std::uint32_t waitMs;
  } cases[] = {
      {{.title = "all", .smallIcon = 1, .bigIcon = 2, .classIcon = 3}, 1, ~0u},
      {{.title = "bc", .bigIcon = 2, .classIcon = 3}, 2, ~0u},
      {{.title = "c", .classIcon = 3}, 3, ~0u},
      {{.title = "none"}, 0, ~0u},
      {{.title = "frozen", .smallIcon = 1, .classIcon = 3, .hung = true}, 3, 0},  // no wait
      {{.title = "slow", .smallIcon = 1, .bigIcon = 2, .classIcon = 3, .answerDelayMs = 60000},
       3,
       kIconQueryTimeoutMs},
      {{.title = "ok", .bigIcon = 2, .classIcon = 3, .answerDelayMs = kIconQueryTimeoutMs / 2},
       2,
       ~0u},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.window.title);
    fake::ResetOs();
    fake::ClearCallLog();
    EXPECT_EQ(Icon(fake::AddWindow(c.window)), c.icon);
    if (c.waitMs != ~0u) {
      EXPECT_EQ(fake::Os()->iconWaitMs, c.waitMs);
    }
    for (const auto& args : fake::CallArgs("SendGetIcon")) EXPECT_EQ(args[2], kIconQueryTimeoutMs);
    if (c.window.answerDelayMs > kIconQueryTimeoutMs) {
      EXPECT_EQ(fake::CallLog("SendGetIcon").size(), 1u);  // one time-out, then no more asking
    }
  }
  EXPECT_EQ(Icon(0xDEAD0), 0u);  // no such window
  // Well inside the half second a tick may spend on one unresponsive window.
  EXPECT_LE(kIconQueryTimeoutMs, 250u);
}

}  // namespace
