#pragma once
// A main window over the fake GUI and the fake operating system, for the app tests. Each
// test starts with the counters and the samples reset, and no sampler.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CpuUseage.h"
#include "app/performance_page.h"
#include "platform/fake/control/gui.h"
#include "platform/fake/control/os.h"
#include "sampling/MemInfo.h"
#include "sampling/uProcInfo.h"
#include "sampling/unitUseage.h"
#include "tests/native/graph_helpers.h"
#include "tests/support/probe.h"

// The texts of one column, top to bottom; of one row, left to right.
inline std::vector<std::wstring> ColumnTexts(plat::ListViewHandle list, int column) {
  std::vector<std::wstring> out;
  for (int row = 0; row < plat::ListRowCount(list); ++row)
    out.push_back(plat::ListGetText(list, row, column));
  return out;
}
inline std::vector<std::wstring> RowTexts(plat::ListViewHandle list, int row) {
  std::vector<std::wstring> out;
  for (int column = 0; column < plat::ListColumnCount(list); ++column)
    out.push_back(plat::ListGetText(list, row, column));
  return out;
}
// The window of a task row's record (0: none).
inline std::uintptr_t WindowOfRow(plat::ListViewHandle list, int row) {
  const auto* info = static_cast<const TWinInfo*>(plat::ListGetData(list, row));
  return info ? info->WindowHandle.value : 0;
}

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(TPerformancePage::Stop(5000));
    fake::ResetGui();
    fake::ResetOs();
    ResetSampling();
    form = std::make_unique<TMainForm>();
  }
  void TearDown() override {
    EXPECT_TRUE(TPerformancePage::Stop(5000));
    form.reset();
    EXPECT_THAT(fake::Violations(), ::testing::IsEmpty());
    EXPECT_EQ(fake::LiveImageLists(), 0);
  }

  // Selects the rows of `list` for which `match(row)` holds; at least one must.
  template <typename Match>
  static void SelectRowsWhere(plat::ListViewHandle list, Match match) {
    for (int row = 0; row < plat::ListRowCount(list); ++row)
      if (match(row)) probe::ListSelectRow(list, row);
    ASSERT_GE(plat::ListSelectedRow(list), 0);
  }

  // 100-nanosecond units.
  static constexpr std::int64_t Seconds(std::int64_t s) { return s * 10'000'000; }

  static void AddProcess(std::uint32_t pid, const char16_t* name, std::int64_t cpuSeconds = 0,
                         std::uint64_t workingSet = 0) {
    fake::AddProcess({.pid = pid,
                      .name = name ? std::optional<std::u16string>(name) : std::nullopt,
                      .userTime = Seconds(cpuSeconds),
                      .workingSet = workingSet});
  }

  // A visible top-level window of `pid`; returns its handle.
  static std::uintptr_t AddWindow(const std::string& title, std::uint32_t pid,
                                  const std::string& className = "Notepad",
                                  std::uintptr_t smallIcon = 0) {
    return fake::AddWindow(
        {.className = className, .title = title, .pid = pid, .smallIcon = smallIcon});
  }

  // A process whose opening fails with an exception: every snapshot that meets it throws
  // when it is the table's last record.
  static void AddProcessThatFailsToOpen(std::uint32_t pid) {
    fake::AddProcess({.pid = pid, .name = u"bad.exe", .throwOnOpen = true});
  }

  std::unique_ptr<TMainForm> form;
};
