#pragma once
// The main window: its controls and menus, the refresh timer, the two list refreshes and
// the user's commands.

#include <cstdint>
#include <string>
#include <unordered_map>

#include "platform/gui.h"
#include "platform/types.h"

class TUseage;
class TSetThread;

// Command ids of the buttons and menu items, as OnCommand receives them.
inline constexpr int kCmdButton1 = 1001;     // end task
inline constexpr int kCmdButton2 = 1002;     // switch to
inline constexpr int kCmdButton3 = 1003;     // new task (Run dialog)
inline constexpr int kCmdEndProcBtn = 1004;  // end process
inline constexpr int kCmdButton4 = 1005;     // home page
inline constexpr int kCmdN1 = 2001;          // File / new task
inline constexpr int kCmdX1 = 2002;          // File / exit
inline constexpr int kCmdA1 = 2003;          // Options / always on top
inline constexpr int kCmdH2 = 2004;          // View / speed / high (500 ms)
inline constexpr int kCmdN5 = 2005;          // View / speed / normal (1000 ms)
inline constexpr int kCmdN6 = 2006;          // View / speed / low (2000 ms)
inline constexpr int kCmdN8 = 2007;          // View / speed / pause
inline constexpr int kCmdH1 = 2008;          // Help: no items and no command

// The Tag of a menu item: the refresh interval of the speed items, 0 for the others.
int MenuTag(int commandId);

// The tool's home page, opened by Button4.
inline constexpr const char* kHomePageUrl = "https://varnex.example.org/";

// The window's periodic timer. Setting either property while enabled restarts it; an
// interval of 0 never ticks.
class TTimer {
 public:
  void Attach(plat::MainWindowHandle window);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  std::uint32_t Interval() const { return interval_; }
  void SetInterval(std::uint32_t intervalMs);

 private:
  void Update();
  plat::MainWindowHandle window_;
  bool enabled_ = true;
  std::uint32_t interval_ = 1000;
};

class TMainForm final : public plat::WindowEvents {
 public:
  TMainForm();
  ~TMainForm();
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

  void Show();

  // plat::WindowEvents; none of them lets an exception out.
  void OnShow() override;
  void OnTimer() override;
  void OnCommand(int commandId) override;
  void OnResize(int clientWidth, int clientHeight) override;
  void OnClose() override;

  // Event handlers.
  void FormShow();
  void TimerTimer();  // may throw: a failed refresh ends the tick
  void FormClose();
  void RefreshProcessList();
  void RefreshTaskList();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void endProcBtnClick();
  void A1Click();
  void N1Click(int senderCommandId);
  void X1Click();
  void Button4Click();
  void SetUpdateSpeed(std::uint16_t intervalMs);

  // The performance page (app/performance_page.cpp).
  void StartGraphs();
  void UpdateGraphs();
  void StopGraphs();

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
  plat::ImageListHandle ImageList;
  TTimer Timer;

 private:
  void ShowFailure(const std::wstring& message);
  template <typename Body>
  void Guarded(Body&& body);
  // Frees the TWinInfo records that the task rows own.
  void ReleaseTaskRecords();

  bool failureBoxOpen_ = false;
  // The icon each task row showed after the last refresh, by the row's window key.
  std::unordered_map<std::string, plat::IconHandle> shownIcons_;
};

// The main window, created by VarnexMain.
extern TMainForm* MainForm;

// The program: creates and shows the main window and runs the message loop.
int VarnexMain();

// Texts of a process row: the CPU time (days) as hours within the day, minutes and seconds
// joined by the locale's time separator, and the working set as "<n> K".
std::wstring FormatCpuTime(double cpuTimeDays, const std::wstring& separator);
std::wstring FormatMemoryK(std::uint32_t kilobytes);

// The graph images and the sampler thread: empty until the window is first shown.
extern TUseage* CpuGraph;
extern TUseage* MemGraph;
extern TSetThread* SetThread;

// Asks the sampler thread to stop and waits up to `timeoutMs` for it; once it has ended,
// the thread object is released and the three globals are emptied (the thread released its
// images itself). False when the thread is still running.
bool EndSampler(std::uint32_t timeoutMs);
