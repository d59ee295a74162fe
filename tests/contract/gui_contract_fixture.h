#pragma once
// The GUI contract tests' fixture: a hidden main window that records its events, and
// controls made on it. Shared by the tests that run on both platforms (gui_contract.cpp) and
// the few that need the real system (tests/windows/gui_contract_win32.cpp).

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/gui.h"
#include "tests/contract/gui_contract_env.h"

namespace contract {

class RecordingEvents final : public plat::WindowEvents {
 public:
  void OnShow() override { log.push_back("show"); }
  void OnTimer() override {
    ++ticks;
    if (ticks == closeAfterTicks) plat::CloseMainWindow(window);
  }
  void OnCommand(int id) override { log.push_back("command " + std::to_string(id)); }
  void OnResize(int w, int h) override {
    log.push_back("resize " + std::to_string(w) + "x" + std::to_string(h));
  }
  void OnClose() override { log.push_back("close"); }
  void OnDpiChanged(int, const plat::Rect&) override {}

  plat::MainWindowHandle window;
  std::vector<std::string> log;
  int ticks = 0;
  int closeAfterTicks = -1;
};

class GuiContract : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGuiEnvironment();
    plat::MainWindowArgs args;
    args.caption = L"Varnex";
    args.fontName = L"MS Sans Serif";
    args.events = &events;
    window = plat::CreateMainWindow(args);
    events.window = window;
    ASSERT_TRUE(window);
    plat::MoveControl(window, {20, 10, 434, 430});
    plat::SetWindowFont(window, 11);
  }

  void TearDown() override {
    if (std::find(events.log.begin(), events.log.end(), "close") != events.log.end()) return;
    plat::CloseMainWindow(window);
    // Takes what the closed window left in the queue, its quit message last.
    plat::RunMessageLoop();
  }

  plat::Control Make(plat::ControlKind kind, plat::Control parent, const wchar_t* caption,
                     plat::Rect rect, int id = 0) {
    plat::ControlArgs args;
    args.kind = kind;
    args.parent = parent;
    args.name = "test";
    args.caption = caption;
    args.rect = rect;
    args.commandId = id;
    const plat::Control control = plat::CreateControl(args);
    EXPECT_TRUE(control) << "kind " << static_cast<int>(kind);
    return control;
  }

  // A report list with three columns; AddRows gives it rows a, b (with texts in every column)
  // and c.
  plat::ListViewHandle List3() {
    plat::ListViewHandle list{Make(plat::ControlKind::ListView, window, L"", {0, 0, 300, 200})};
    plat::ListAddColumn(list, L"映像名称", 100, plat::Align::Left);
    plat::ListAddColumn(list, L"PID", 50, plat::Align::Right);
    plat::ListAddColumn(list, L"CPU", 50, plat::Align::Right);
    return list;
  }
  static void AddRows(plat::ListViewHandle list) {
    EXPECT_EQ(plat::ListAddRow(list, L"a.exe"), 0);
    EXPECT_EQ(plat::ListAddRow(list, L"b.exe"), 1);
    EXPECT_EQ(plat::ListAddRow(list, L"c.exe"), 2);
    plat::ListSetText(list, 1, 1, L"1234");
    plat::ListSetText(list, 1, 2, L"00");
  }

  RecordingEvents events;
  plat::MainWindowHandle window;
};

}  // namespace contract
