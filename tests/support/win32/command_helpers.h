#pragma once
// Test helpers for driving the real main window's commands under Windows (or Wine): child
// processes of this test program, answering a message box from another thread, counting
// the window's timer ticks, actions timed from inside the message loop, and keyboard and
// mouse input as a person at the machine gives it.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/types.h"

namespace cmdtest {

// The helpers below that own a thread, a process, a window or a hook are not copied.
struct NoCopy {
  NoCopy() = default;
  NoCopy(const NoCopy&) = delete;
  NoCopy& operator=(const NoCopy&) = delete;
};

// A thread running `body`; the destructor waits for it.
class Thread : NoCopy {
 public:
  explicit Thread(std::function<void()> body);
  ~Thread() { Join(); }
  bool Started() const { return handle_ != nullptr; }
  void Join();

 private:
  std::function<void()> body_;
  void* handle_ = nullptr;
};

// Calls `done` until it returns true, pausing `pollMs` after each false, for at most
// `timeoutMs`; returns what `done` returned last.
bool WaitUntil(const std::function<bool()>& done, std::uint32_t timeoutMs,
               std::uint32_t pollMs = 10);

// The caption of the window that a window child shows: it names the child's PID.
std::wstring WindowChildTitle(std::uint32_t pid);

// This test program started again as an idle child (no window) or as a window child (one
// visible titled top-level window); either ends by itself after a minute. The destructor
// ends a child that still runs.
class ChildProcess : NoCopy {
 public:
  // HungWindow: a window child whose thread stops taking messages once its window is up.
  enum class Kind { Idle, Window, HungWindow };
  explicit ChildProcess(Kind kind);
  // Another program, started in `directory` with this program's environment.
  ChildProcess(const std::wstring& program, const std::wstring& directory);
  ~ChildProcess();

  std::uint32_t Pid() const { return pid_; }  // 0 when the start failed
  // True once the child has ended, waiting at most `timeoutMs`.
  bool WaitEnded(std::uint32_t timeoutMs);

 private:
  void Start(const std::wstring& program, const std::wstring& arguments, std::uint32_t flags,
             const wchar_t* directory);
  std::uint32_t pid_ = 0;
  void* process_ = nullptr;
};

// A visible top-level window captioned `title` with a small icon of pure red (0x0000FF),
// made and served by a thread of its own. The destructor ends any busy spell, closes the
// window and waits for the thread.
class BusyWindow : NoCopy {
 public:
  explicit BusyWindow(const std::wstring& title);
  ~BusyWindow();

  plat::WindowHandle Window() const;  // null when the start failed

  struct State;  // shared with the window's thread

 private:
  std::unique_ptr<State> state_;
  Thread thread_;
};

// Keeps a BusyWindow from answering WM_GETICON for the next `ms` milliseconds; it answers
// every other message as usual (a window of the same process that took no message at all
// would stall the GetWindowText of the caller). False when the window did not take the order.
bool MakeWindowBusy(plat::WindowHandle window, std::uint32_t ms);

// Watches, on its own thread, for a message box with `caption` and presses `button` in it
// (6 Yes, 7 No), polling for at most `timeoutMs`. The destructor waits for the thread.
class BoxAnswerer : NoCopy {
 public:
  BoxAnswerer(const std::wstring& caption, int button, std::uint32_t timeoutMs);

  // Waits for the thread; true when a box was found and answered.
  bool Answered();

 private:
  std::atomic<bool> answered_{false};
  Thread thread_;
};

// Counts the timer messages that the calling thread's message loops take for `window`.
class TickCounter : NoCopy {
 public:
  explicit TickCounter(plat::Control window);
  ~TickCounter();

  bool Installed() const { return hook_ != nullptr; }
  int Count() const;
  void Reset();

 private:
  void* hook_ = nullptr;
};

// Runs `action` once, `delayMs` from now, from the calling thread's message loop.
void CallAfter(std::uint32_t delayMs, std::function<void()> action);
// Drops the actions that have not run yet.
void CancelCalls();
// Ends the calling thread's current message loop (RunMessageLoop returns) without
// destroying any window.
void QuitLoop();

bool WindowExists(plat::Control window);
// The window class name of `control`.
std::string ClassOf(plat::Control control);

// Virtual-key codes for PressKeys.
inline constexpr std::uint16_t kVkTab = 0x09;
inline constexpr std::uint16_t kVkShift = 0x10;
inline constexpr std::uint16_t kVkControl = 0x11;
inline constexpr std::uint16_t kVkLeft = 0x25;

// Brings `window` to the foreground, presses `keys` in order and releases them in reverse
// (a chord such as Ctrl+Tab) as real input, then runs the message loop (plat::RunMessageLoop)
// until the input is taken.
void PressKeys(plat::Control window, const std::vector<std::uint16_t>& keys);
// Clicks with the left button at the centre of `control` as real input and returns the
// window that the button-down went to. Both button messages are taken from the queue
// without being dispatched, so the click runs no command.
plat::Control ClickTarget(plat::Control control);

plat::Control FocusedControl();
void Focus(plat::Control control);
// Posts a character (WM_CHAR) and a system character (WM_SYSCHAR) to `control`, as the
// keyboard sends them to the focus.
void PostCharacters(plat::Control control, wchar_t ch);
// Nothing covers any part of `control`: its visible region is its whole rectangle.
bool FullyVisible(plat::Control control);
// A status bar's parts as the control reports them (SB_GETPARTS): each part's right edge,
// -1 for a part that runs to the bar's end.
std::vector<int> StatusPartEdges(plat::Control bar);
// The primary screen's size, as {0, 0, width, height}.
plat::Rect ScreenRect();
// Sends the window WM_DPICHANGED as the system does when it moves to another display.
void SendDpiChanged(plat::Control window, int dpi, const plat::Rect& suggested);

// Ends this test program with exit code 3 and a message naming `what` unless destroyed
// within `timeoutMs`: a hang fails the run instead of stopping it.
class Watchdog : NoCopy {
 public:
  Watchdog(std::uint32_t timeoutMs, std::string what);
  ~Watchdog();

 private:
  void* disarmed_;
  Thread thread_;
};

}  // namespace cmdtest
