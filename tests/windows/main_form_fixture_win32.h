#pragma once
// A real main window for the Windows tests. A window shown by an earlier test leaves its
// sampler and graphs behind until ended, so that happens first; when the test leaves, the
// window is closed, its quit message taken, its sampler ended and the test windows made with
// TestWindow destroyed.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CpuUseage.h"
#include "app/performance_page.h"
#include "platform/gui.h"
#include "tests/support/probe.h"
#include "tests/support/win32/command_helpers.h"

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(TPerformancePage::Stop(5000));
    form = new TMainForm;
    MainForm = form;
  }
  void TearDown() override {
    cmdtest::CancelCalls();
    for (plat::WindowHandle window : testWindows_) probe::DestroyTestWindow(window);
    if (form == nullptr) return;
    if (cmdtest::WindowExists(form->Handle)) {
      plat::CloseMainWindow(form->Handle);
      plat::RunMessageLoop();  // takes the quit message the close posted
    }
    EXPECT_TRUE(TPerformancePage::Stop(5000));
    MainForm = nullptr;
    delete form;
    form = nullptr;
  }

  // A top-level window of this process, destroyed when the test leaves.
  plat::WindowHandle TestWindow(const char* className, const char* title, bool visible = true) {
    const plat::WindowHandle window = probe::CreateTestWindow(className, title, visible);
    EXPECT_TRUE(window) << title;
    testWindows_.push_back(window);
    return window;
  }

  // The row of `list` whose `column` reads `text`; -1 when none.
  static int RowWith(plat::ListViewHandle list, int column, const std::wstring& text) {
    for (int row = 0; row < plat::ListRowCount(list); ++row) {
      if (plat::ListGetText(list, row, column) == text) return row;
    }
    return -1;
  }

  TMainForm* form = nullptr;

 private:
  std::vector<plat::WindowHandle> testWindows_;
};
