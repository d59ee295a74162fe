#pragma once
// TMainForm, the main window. Where each part of it lives:
//   app/CpuUseage.cpp        the control table, construction, layout on resize, the window's
//                            events and the refresh cycle (FormShow, TimerTimer, FormClose)
//   app/main_menu.cpp        the menu bar's table
//   app/commands.cpp         the handlers of the buttons and menu items, and the table of
//                            their ids (app/commands.h)
//   app/process_refresh.cpp  the process list (row texts: app/process_rows.cpp)
//   app/task_refresh.cpp     the task list and its icons (TTaskRows, app/task_rows.h)
//   app/performance_page.cpp the graphs and the sampler thread (TPerformancePage)
//   app/timer.cpp            the refresh timer
//   app/program.cpp          the program: the one instance and the message loop

#include <cstdint>
#include <string>
#include <vector>

#include "app/performance_page.h"
#include "app/process_rows.h"
#include "app/task_rows.h"
#include "app/timer.h"
#include "platform/gui.h"
#include "platform/types.h"

class TMainForm final : public plat::WindowEvents {
 public:
  TMainForm();
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

  void Show();

  // plat::WindowEvents; none of them lets an exception out.
  void OnShow() override;
  void OnTimer() override;
  void OnCommand(int commandId) override;
  void OnResize(int clientWidth, int clientHeight) override;
  void OnClose() override;
  void OnDpiChanged(int dpi, const plat::Rect& suggested) override;

  // The refresh cycle.
  void FormShow();
  void TimerTimer();  // may throw: a failed refresh ends the tick
  void FormClose();

  // The lists (app/process_refresh.cpp, app/task_refresh.cpp).
  void RefreshProcessList();
  void RefreshTaskList() { TaskRows.Refresh(); }

  // The commands (app/commands.cpp).
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void endProcBtnClick();
  void A1Click();
  void N1Click(int senderCommandId);
  void X1Click();
  void Button4Click();
  void SetUpdateSpeed(std::uint16_t intervalMs);

  plat::MainWindowHandle Handle;
  plat::TabControlHandle PageControl1;
  plat::Control TabSheet1;
  plat::ListViewHandle TaskListView;
  plat::Control Button1;
  plat::Control Button2;
  plat::Control Button3;
  plat::Control TabSheet2;
  plat::ListViewHandle procListView;
  plat::Control endProcBtn;
  plat::Control TabSheet3;
  plat::Control GroupBox1;
  plat::Control CpuPanel;
  plat::PictureBoxHandle CpuImg;
  plat::Control GroupBox2;
  plat::Control memPanel;
  plat::PictureBoxHandle memImg;
  plat::StatusBarHandle StatusBar;
  plat::Control Button4;
  TTimer Timer;
  TPerformancePage PerformancePage;
  TTaskRows TaskRows;  // with the task list's ImageList

 private:
  void ShowFailure(const std::wstring& message);
  template <typename Body>
  void Guarded(Body&& body);
  // Places every control for a client area of that size at the current DPI.
  void LayOut(int clientWidth, int clientHeight);
  // Moves the controls of the table, one rectangle per row, pages left to their tab control.
  void MoveControls(const std::vector<plat::Rect>& rects);
  // Gives the performance page its boxes as placed at the current DPI.
  void PlaceGraphs();

  int dpi_ = 96;
  bool shown_ = false;
  bool failureBoxOpen_ = false;
  // Kept from one refresh to the next: the snapshots' storage and what the rows show.
  TProcList processSnapshot_;
  TProcessRows processRows_;
};

// The main window, created by VarnexMain (app/program.cpp).
extern TMainForm* MainForm;

// Enables (or disables) the named privilege on a token open for adjusting privileges; true
// exactly when the system reports no error after the adjustment (a token without the
// privilege reports one).
bool SetPrivilege(plat::TokenHandle token, const char* privilege, bool enable);
// Enables SeDebugPrivilege on the own process's token, so that every process can be opened.
bool EnableDebugPrivilege();
