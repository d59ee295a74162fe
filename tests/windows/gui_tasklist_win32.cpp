// The task list of the real main window over real windows: which windows get a row, one row
// per process except Explorer and browser windows, and the GDI and USER objects a long run
// of refreshes holds.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/CpuUseage.h"
#include "platform/gui.h"
#include "platform/process.h"
#include "platform/resources.h"
#include "platform/threads.h"
#include "platform/windows_input.h"
#include "sampling/uProcInfo.h"
#include "tests/contract/windows_contract_env.h"
#include "tests/windows/command_helpers_win32.h"
#include "tests/windows/icon_helpers_win32.h"

namespace {

// A real main window that is closed and whose sampler is ended when the test leaves.
class FormFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    // A window shown by an earlier test leaves its sampler and graphs behind until ended.
    ASSERT_TRUE(EndSampler(5000));
    form_ = new TMainForm;
    MainForm = form_;
  }
  void TearDown() override {
    if (form_ == nullptr) return;
    plat::CloseMainWindow(form_->Handle);
    plat::RunMessageLoop();  // takes the quit message the close posted
    EXPECT_TRUE(EndSampler(5000));
    MainForm = nullptr;
    delete form_;
  }

  // The row whose attached record names `window`; -1 when none.
  int RowOf(plat::WindowHandle window) const {
    for (int row = 0; row < plat::ListRowCount(form_->TaskListView); ++row) {
      const auto* info = static_cast<const TWinInfo*>(plat::ListGetData(form_->TaskListView, row));
      if (info != nullptr && info->WindowHandle == window) return row;
    }
    return -1;
  }

  // The row captioned `title`; -1 when none.
  int RowTitled(const std::wstring& title) const {
    for (int row = 0; row < plat::ListRowCount(form_->TaskListView); ++row) {
      if (plat::ListGetText(form_->TaskListView, row, 0) == title) return row;
    }
    return -1;
  }
  // Refreshes until a row captioned `title` shows up (a child program takes a while to
  // start, under qemu most of all); -1 when none did within three minutes.
  int WaitForRowTitled(const std::wstring& title) {
    const std::uint64_t deadline = plat::MonotonicMilliseconds() + 180000;
    while (RowTitled(title) < 0 && plat::MonotonicMilliseconds() < deadline) {
      plat::Sleep(200);
      form_->OnTimer();
    }
    return RowTitled(title);
  }

  // Rows whose window belongs to this process, counted apart for the classes that always get
  // a row of their own.
  void CountOwnRows(int* ordinary, int* explorer) const {
    *ordinary = 0;
    *explorer = 0;
    const std::uint32_t self = plat::GetCurrentProcessId();
    for (int row = 0; row < plat::ListRowCount(form_->TaskListView); ++row) {
      const auto* info = static_cast<const TWinInfo*>(plat::ListGetData(form_->TaskListView, row));
      ASSERT_NE(info, nullptr) << "row " << row;
      std::uint32_t pid = 0;
      if (plat::GetWindowThreadProcessId(info->WindowHandle, &pid) == 0 || pid != self) continue;
      if (info->ClassName == "IEFrame" || info->ClassName == "CabinetWClass") {
        ++*explorer;
      } else {
        ++*ordinary;
      }
    }
  }

  TMainForm* form_ = nullptr;
};

using GuiTaskList = FormFixture;

TEST_F(GuiTaskList, VisibleTitledWindowsGetOneRowPerProcessExceptExplorerWindows) {
  // Before the main window is shown, the test's windows are this process's only candidates.
  const plat::WindowHandle visible =
      contract::CreateTestWindow("VarnexTaskVisible", "Varnex visible task", true);
  const plat::WindowHandle hidden =
      contract::CreateTestWindow("VarnexTaskHidden", "Varnex hidden task", false);
  const plat::WindowHandle blank = contract::CreateTestWindow("VarnexTaskBlank", "   ", true);
  ASSERT_TRUE(visible);
  ASSERT_TRUE(hidden);
  ASSERT_TRUE(blank);

  form_->OnTimer();
  const int row = RowOf(visible);
  ASSERT_GE(row, 0);
  EXPECT_EQ(plat::ListGetText(form_->TaskListView, row, 0), L"Varnex visible task");
  EXPECT_EQ(plat::ListGetText(form_->TaskListView, row, 1), L"正在运行");
  EXPECT_EQ(RowOf(hidden), -1);
  EXPECT_EQ(RowOf(blank), -1);

  // A second visible titled window of the same process, then the main window itself: the
  // process keeps its one row, on the window that claimed it first.
  const plat::WindowHandle second =
      contract::CreateTestWindow("VarnexTaskVisible", "Varnex second task", true);
  ASSERT_TRUE(second);
  form_->OnTimer();
  form_->Show();
  form_->OnTimer();
  int ordinary = 0;
  int explorer = 0;
  CountOwnRows(&ordinary, &explorer);
  EXPECT_EQ(ordinary, 1);
  EXPECT_EQ(explorer, 0);
  EXPECT_EQ(RowOf(visible), row);
  EXPECT_EQ(RowOf(second), -1);
  EXPECT_EQ(RowOf(form_->Handle), -1);

  // Explorer windows: each its own row, beside the process's ordinary row.
  const plat::WindowHandle cabinet1 =
      contract::CreateTestWindow("CabinetWClass", "Varnex folder one", true);
  const plat::WindowHandle cabinet2 =
      contract::CreateTestWindow("CabinetWClass", "Varnex folder two", true);
  ASSERT_TRUE(cabinet1);
  ASSERT_TRUE(cabinet2);
  form_->OnTimer();
  CountOwnRows(&ordinary, &explorer);
  EXPECT_EQ(ordinary, 1);
  EXPECT_EQ(explorer, 2);
  const int row1 = RowOf(cabinet1);
  const int row2 = RowOf(cabinet2);
  ASSERT_GE(row1, 0);
  ASSERT_GE(row2, 0);
  EXPECT_NE(row1, row2);
  EXPECT_EQ(plat::ListGetText(form_->TaskListView, row1, 0), L"Varnex folder one");
  EXPECT_EQ(plat::ListGetText(form_->TaskListView, row2, 0), L"Varnex folder two");
  EXPECT_EQ(plat::ListGetText(form_->TaskListView, row1, 1), L"正在运行");
  EXPECT_EQ(plat::ListGetText(form_->TaskListView, row2, 1), L"正在运行");
  EXPECT_EQ(RowOf(visible), row);

  // Gone windows lose their rows in the next refresh.
  for (plat::WindowHandle w : {cabinet1, cabinet2, visible, second, hidden, blank}) {
    contract::DestroyTestWindow(w);
  }
  form_->OnTimer();
  EXPECT_EQ(RowOf(cabinet1), -1);
  EXPECT_EQ(RowOf(cabinet2), -1);
  EXPECT_EQ(RowOf(visible), -1);
}

TEST_F(GuiTaskList, FiveHundredRefreshesKeepGdiAndUserObjects) {
  const plat::WindowHandle task =
      contract::CreateTestWindow("VarnexTaskSoak", "Varnex soak task", true);
  const plat::WindowHandle folder =
      contract::CreateTestWindow("CabinetWClass", "Varnex soak folder", true);
  contract::SetTestWindowSmallIcon(task);
  form_->Show();
  for (int i = 0; i < 20; ++i) form_->OnTimer();
  ASSERT_GE(RowOf(folder), 0);
  const plat::OwnResources first = plat::QueryOwnResources();

  for (int i = 0; i < 500; ++i) form_->OnTimer();
  const plat::OwnResources last = plat::QueryOwnResources();
  std::printf("task list refreshes: GDI objects %u -> %u, USER objects %u -> %u\n",
              first.gdiObjects, last.gdiObjects, first.userObjects, last.userObjects);
  std::fflush(stdout);

  // Every refresh rebuilds the image list from the windows' icons: one object kept per
  // refresh would show as 500. Wine reports 0 for both counts.
  EXPECT_LE(last.gdiObjects, first.gdiObjects + 4);
  EXPECT_LE(last.userObjects, first.userObjects + 4);
  EXPECT_GE(RowOf(folder), 0);

  contract::DestroyTestWindow(folder);
  contract::DestroyTestWindow(task);
}

// The icon pixels of a row hold `colour` in their middle.
bool ShowsColour(const std::vector<std::uint32_t>& pixels, std::uint32_t colour) {
  return pixels.size() == 256 && pixels[8 * 16 + 8] == colour;
}

constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kBlue = 0xFF0000;

TEST_F(GuiTaskList, WindowThatChangesItsIconShowsTheNewOneAfterTheNextRefresh) {
  const icontest::SolidIcon red(kRed);
  const icontest::SolidIcon blue(kBlue);
  const plat::WindowHandle window =
      contract::CreateTestWindow("VarnexIconChange", "Varnex icon change", true);
  icontest::SetSmallIcon(window, red.Handle());
  form_->OnTimer();  // before the main window shows, this window claims the process
  form_->Show();
  plat::TabSelect(form_->PageControl1, 0);
  form_->OnTimer();
  const int row = RowOf(window);
  ASSERT_GE(row, 0);
  const std::vector<std::uint32_t> before = icontest::DrawnIconPixels(form_->TaskListView, row);
  EXPECT_TRUE(ShowsColour(before, kRed));

  icontest::SetSmallIcon(window, blue.Handle());
  form_->OnTimer();
  ASSERT_EQ(RowOf(window), row);
  EXPECT_EQ(plat::ListGetImage(form_->TaskListView, row), 0);  // the same index as before
  const std::vector<std::uint32_t> after = icontest::DrawnIconPixels(form_->TaskListView, row);
  EXPECT_TRUE(ShowsColour(after, kBlue));
  EXPECT_NE(after, before);
  contract::DestroyTestWindow(window);
}

TEST_F(GuiTaskList, WindowBusyLongerThanTheIconWaitKeepsItsIcon) {
  const cmdtest::BusyWindow busy(L"Varnex busy window");
  const plat::WindowHandle window = busy.Window();
  ASSERT_TRUE(window);
  form_->OnTimer();  // before the main window shows, this window claims the process
  form_->Show();
  plat::TabSelect(form_->PageControl1, 0);
  form_->OnTimer();
  const int row = RowOf(window);
  ASSERT_GE(row, 0);
  ASSERT_TRUE(ShowsColour(icontest::DrawnIconPixels(form_->TaskListView, row), kRed));

  ASSERT_TRUE(cmdtest::MakeWindowBusy(window, 30000));
  form_->OnTimer();
  EXPECT_EQ(RowOf(window), row);
  EXPECT_TRUE(ShowsColour(icontest::DrawnIconPixels(form_->TaskListView, row), kRed))
      << "the class icon stood in for a busy moment";
}

// A tick that meets the window of another program that has stopped answering takes at most
// half a second more than one without it, and the window keeps its row.
TEST_F(GuiTaskList, HungWindowOfAnotherProcessNeitherStallsTheTickNorLosesItsRow) {
#if defined(__i386__)
  constexpr std::uint64_t kEmulationSlackMs = 1000;  // the 32-bit run goes through qemu
#else
  constexpr std::uint64_t kEmulationSlackMs = 0;
#endif
  form_->Show();
  auto tickMs = [this] {
    const std::uint64_t start = plat::MonotonicMilliseconds();
    form_->OnTimer();
    return plat::MonotonicMilliseconds() - start;
  };
  tickMs();
  std::uint64_t without = 0;
  for (int i = 0; i < 3; ++i) without = std::max(without, tickMs());

  cmdtest::ChildProcess child(cmdtest::ChildProcess::Kind::HungWindow);
  ASSERT_NE(child.Pid(), 0u);
  const std::wstring title = cmdtest::WindowChildTitle(child.Pid());
  auto rowOfChild = [this, &title] { return RowTitled(title); };
  ASSERT_GE(WaitForRowTitled(title), 0) << "the child's window never got a row";
  plat::Sleep(1000);  // the child has long stopped taking messages

  std::uint64_t with = ~std::uint64_t{0};
  for (int i = 0; i < 3; ++i) with = std::min(with, tickMs());
  std::printf("tick without the hung window: %llu ms, with it: %llu ms\n",
              static_cast<unsigned long long>(without), static_cast<unsigned long long>(with));
  EXPECT_LE(with, without + 500 + kEmulationSlackMs);
  EXPECT_GE(rowOfChild(), 0);
  EXPECT_EQ(plat::ListGetText(form_->TaskListView, rowOfChild(), 1), L"正在运行");
}

}  // namespace
