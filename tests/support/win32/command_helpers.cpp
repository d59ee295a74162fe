#include "tests/support/win32/command_helpers.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <map>
#include <utility>

#include "platform/gui.h"
#include "platform/threads.h"
#include "tests/support/probe.h"
#include "tests/support/win32/icon_helpers.h"

namespace cmdtest {

namespace {

DWORD WINAPI RunBody(void* body) {
  (*static_cast<std::function<void()>*>(body))();
  return 0;
}

}  // namespace

Thread::Thread(std::function<void()> body)
    : body_(std::move(body)), handle_(::CreateThread(nullptr, 0, RunBody, &body_, 0, nullptr)) {}

void Thread::Join() {
  if (!handle_) return;
  ::WaitForSingleObject(handle_, INFINITE);
  ::CloseHandle(handle_);
  handle_ = nullptr;
}

struct BusyWindow::State {
  HWND window = nullptr;
  HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);  // set once the window is up,
                                                                 // or its creation failed
  HANDLE stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);   // ends a busy spell at once
  std::atomic<std::uint64_t> busyUntil{0};
  ~State() {
    ::CloseHandle(stop);
    ::CloseHandle(ready);
  }
};

namespace {

constexpr wchar_t kIdleChildFlag[] = L"--varnex-idle-child";
constexpr wchar_t kWindowChildFlag[] = L"--varnex-window-child";
constexpr wchar_t kHungWindowChildFlag[] = L"--varnex-hung-window-child";
constexpr UINT kChildLifetimeMs = 60000;

constexpr UINT kBusyMessage = WM_APP + 1;  // wParam: how long to keep WM_GETICON waiting, in ms

// The window procedure of both window children and busy windows; only a busy window has
// state (GWLP_USERDATA).
LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<BusyWindow::State*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == kBusyMessage && state != nullptr) {
    state->busyUntil = probe::MonotonicMilliseconds() + wParam;
    return 1;
  }
  if (message == WM_GETICON && state != nullptr) {
    const std::uint64_t now = probe::MonotonicMilliseconds();
    if (now < state->busyUntil) {
      ::WaitForSingleObject(state->stop, static_cast<DWORD>(state->busyUntil - now));
    }
  }
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

// A visible 300 x 200 window of the class `className` (registered here) at (at, at).
HWND MakeTestWindow(const wchar_t* className, const std::wstring& title, int at) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = TestWindowProc;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = className;
  windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  ::RegisterClassW(&windowClass);
  return ::CreateWindowExW(0, className, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, at, at,
                           300, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
}

// The window child shows its window before any test runs and ends when the window is
// closed or its minute is over.
void RunWindowChild(bool hang) {
  HWND window =
      MakeTestWindow(L"VarnexTestWindowChild", WindowChildTitle(::GetCurrentProcessId()), 40);
  if (!window) ::ExitProcess(2);
  if (hang) {
    // Answers what creating and showing the window asks, then takes no message again.
    MSG pending{};
    while (::PeekMessageW(&pending, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&pending);
    ::Sleep(kChildLifetimeMs);
    ::ExitProcess(0);
  }
  ::SetTimer(window, 1, kChildLifetimeMs, nullptr);
  MSG msg{};
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.hwnd == window) ::DestroyWindow(window);
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  ::ExitProcess(0);
}

// The children are this test program started again with a flag: they run before any test.
struct ChildEntry {
  ChildEntry() {
    const std::wstring commandLine = ::GetCommandLineW();
    if (commandLine.find(kIdleChildFlag) != std::wstring::npos) {
      ::Sleep(kChildLifetimeMs);
      ::ExitProcess(0);
    }
    if (commandLine.find(kHungWindowChildFlag) != std::wstring::npos) RunWindowChild(true);
    if (commandLine.find(kWindowChildFlag) != std::wstring::npos) RunWindowChild(false);
  }
} childEntry;

}  // namespace

bool WaitUntil(const std::function<bool()>& done, std::uint32_t timeoutMs, std::uint32_t pollMs) {
  const std::uint64_t deadline = probe::MonotonicMilliseconds() + timeoutMs;
  for (;;) {
    if (done()) return true;
    if (probe::MonotonicMilliseconds() > deadline) return false;
    probe::Sleep(pollMs);
  }
}

std::wstring WindowChildTitle(std::uint32_t pid) {
  return L"Varnex test window " + std::to_wstring(pid);
}

ChildProcess::ChildProcess(Kind kind) {
  wchar_t path[MAX_PATH] = {};
  if (::GetModuleFileNameW(nullptr, path, MAX_PATH) == 0) return;
  Start(path,
        std::wstring(L" ") + (kind == Kind::Idle         ? kIdleChildFlag
                              : kind == Kind::HungWindow ? kHungWindowChildFlag
                                                         : kWindowChildFlag),
        kind == Kind::Idle ? CREATE_NO_WINDOW : 0, nullptr);
}

ChildProcess::ChildProcess(const std::wstring& program, const std::wstring& directory) {
  Start(program, L"", 0, directory.c_str());
}

void ChildProcess::Start(const std::wstring& program, const std::wstring& arguments,
                         std::uint32_t flags, const wchar_t* directory) {
  std::wstring commandLine = L"\"" + program + L"\"" + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags,
                        nullptr, directory, &startup, &info)) {
    return;
  }
  ::CloseHandle(info.hThread);
  process_ = info.hProcess;
  pid_ = info.dwProcessId;
}

ChildProcess::~ChildProcess() {
  if (!process_) return;
  if (::WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) {
    ::TerminateProcess(process_, 1);
    ::WaitForSingleObject(process_, 5000);
  }
  ::CloseHandle(process_);
}

bool ChildProcess::WaitEnded(std::uint32_t timeoutMs) {
  return process_ && ::WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

namespace {

void RunBusyWindow(BusyWindow::State* state, const std::wstring& title) {
  const icontest::SolidIcon red(0x0000FF);
  HWND window = MakeTestWindow(L"VarnexTestBusyWindow", title, 60);
  if (window) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    icontest::SetSmallIcon(plat::WindowHandle{reinterpret_cast<std::uintptr_t>(window)},
                           red.Handle());
  }
  state->window = window;
  ::SetEvent(state->ready);
  MSG msg{};
  while (window && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

}  // namespace

BusyWindow::BusyWindow(const std::wstring& title)
    : state_(new State), thread_([state = state_.get(), title] { RunBusyWindow(state, title); }) {
  if (thread_.Started()) ::WaitForSingleObject(state_->ready, INFINITE);
}

BusyWindow::~BusyWindow() {
  ::SetEvent(state_->stop);
  if (thread_.Started() && state_->window) ::PostMessageW(state_->window, WM_CLOSE, 0, 0);
  thread_.Join();
}

plat::WindowHandle BusyWindow::Window() const {
  return plat::WindowHandle{reinterpret_cast<std::uintptr_t>(state_->window)};
}

bool MakeWindowBusy(plat::WindowHandle window, std::uint32_t ms) {
  DWORD_PTR taken = 0;
  return ::SendMessageTimeoutW(reinterpret_cast<HWND>(window.value), kBusyMessage, ms, 0,
                               SMTO_BLOCK, 5000, &taken) != 0 &&
         taken == 1;
}

BoxAnswerer::BoxAnswerer(const std::wstring& caption, int button, std::uint32_t timeoutMs)
    : thread_([this, caption, button, timeoutMs] {
        answered_ = WaitUntil(
            [&] {
              // Message boxes are dialogs of the standard dialog class.
              HWND box = ::FindWindowW(L"#32770", caption.c_str());
              if (box) ::PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
              return box != nullptr;
            },
            timeoutMs, 50);
      }) {}

bool BoxAnswerer::Answered() {
  thread_.Join();
  return answered_;
}

namespace {

// One counter at a time, on the thread that installed it.
HWND g_countedWindow = nullptr;
std::atomic<int> g_ticks{0};

LRESULT CALLBACK CountTicks(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (msg->message == WM_TIMER && msg->hwnd == g_countedWindow) ++g_ticks;
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TickCounter::TickCounter(plat::Control window) {
  g_countedWindow = reinterpret_cast<HWND>(window.value);
  g_ticks = 0;
  hook_ = ::SetWindowsHookExW(WH_GETMESSAGE, CountTicks, nullptr, ::GetCurrentThreadId());
}

TickCounter::~TickCounter() {
  if (hook_) ::UnhookWindowsHookEx(static_cast<HHOOK>(hook_));
  g_countedWindow = nullptr;
}

int TickCounter::Count() const { return g_ticks; }

void TickCounter::Reset() { g_ticks = 0; }

namespace {

std::map<UINT_PTR, std::function<void()>>& PendingCalls() {
  static std::map<UINT_PTR, std::function<void()>> calls;
  return calls;
}

void CALLBACK RunCall(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  auto it = PendingCalls().find(id);
  if (it == PendingCalls().end()) return;
  std::function<void()> action = std::move(it->second);
  PendingCalls().erase(it);
  action();
}

}  // namespace

void CallAfter(std::uint32_t delayMs, std::function<void()> action) {
  const UINT_PTR id = ::SetTimer(nullptr, 0, delayMs, RunCall);
  if (id != 0) PendingCalls()[id] = std::move(action);
}

void CancelCalls() {
  for (const auto& [id, action] : PendingCalls()) ::KillTimer(nullptr, id);
  PendingCalls().clear();
}

void QuitLoop() { ::PostQuitMessage(0); }

bool WindowExists(plat::Control window) {
  return ::IsWindow(reinterpret_cast<HWND>(window.value)) != FALSE;
}

std::string ClassOf(plat::Control control) {
  char name[100] = {};
  ::GetClassNameA(reinterpret_cast<HWND>(control.value), name, sizeof name);
  return name;
}

namespace {

HWND ToHwnd(plat::Control control) { return reinterpret_cast<HWND>(control.value); }
plat::Control FromHwnd(HWND window) {
  return plat::Control{reinterpret_cast<std::uintptr_t>(window)};
}

void CheckInputTaken(std::uint64_t deadline) {
  if (HIWORD(::GetQueueStatus(QS_INPUT)) == 0 || probe::MonotonicMilliseconds() > deadline) {
    QuitLoop();
  } else {
    CallAfter(20, [deadline] { CheckInputTaken(deadline); });
  }
}

}  // namespace

void PressKeys(plat::Control window, const std::vector<std::uint16_t>& keys) {
  ::SetForegroundWindow(ToHwnd(window));
  std::vector<INPUT> events(2 * keys.size());  // the downs in order, then the ups reversed
  for (std::size_t i = 0; i < keys.size(); ++i) {
    INPUT& down = events[i];
    INPUT& up = events[events.size() - 1 - i];
    down.type = up.type = INPUT_KEYBOARD;
    down.ki.wVk = up.ki.wVk = keys[i];
    up.ki.dwFlags = KEYEVENTF_KEYUP;
  }
  ::SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT));
  const std::uint64_t deadline = probe::MonotonicMilliseconds() + 3000;
  CallAfter(20, [deadline] { CheckInputTaken(deadline); });
  plat::RunMessageLoop();
}

plat::Control ClickTarget(plat::Control control) {
  RECT rc{};
  ::GetWindowRect(ToHwnd(control), &rc);
  ::SetForegroundWindow(::GetAncestor(ToHwnd(control), GA_ROOT));
  ::SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
  INPUT events[2] = {};
  events[0].type = events[1].type = INPUT_MOUSE;
  events[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  events[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ::SendInput(2, events, sizeof(INPUT));
  HWND target = nullptr;
  const std::uint64_t deadline = probe::MonotonicMilliseconds() + 3000;
  while (probe::MonotonicMilliseconds() < deadline) {
    MSG msg{};
    if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::Sleep(10);
    } else if (msg.message == WM_LBUTTONDOWN) {
      target = msg.hwnd;
    } else if (msg.message == WM_LBUTTONUP) {
      break;
    } else {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  return FromHwnd(target);
}

plat::Control FocusedControl() { return FromHwnd(::GetFocus()); }

void Focus(plat::Control control) { ::SetFocus(ToHwnd(control)); }

void PostCharacters(plat::Control control, wchar_t ch) {
  ::PostMessageW(ToHwnd(control), WM_CHAR, ch, 1);
  ::PostMessageW(ToHwnd(control), WM_SYSCHAR, ch, 1);
}

bool FullyVisible(plat::Control control) {
  HWND window = ToHwnd(control);
  RECT rc{};
  ::GetWindowRect(window, &rc);
  HDC dc = ::GetDCEx(window, nullptr, DCX_WINDOW | DCX_CACHE | DCX_CLIPSIBLINGS);
  HRGN visible = ::CreateRectRgn(0, 0, 0, 0);
  HRGN whole = ::CreateRectRgnIndirect(&rc);
  // The system region of a window's DC is in screen coordinates.
  const bool same = ::GetRandomRgn(dc, visible, SYSRGN) == 1 && ::EqualRgn(visible, whole);
  ::DeleteObject(whole);
  ::DeleteObject(visible);
  ::ReleaseDC(window, dc);
  return same;
}

std::vector<int> StatusPartEdges(plat::Control bar) {
  int edges[256] = {};
  const auto count = static_cast<int>(
      ::SendMessageW(ToHwnd(bar), SB_GETPARTS, 256, reinterpret_cast<LPARAM>(edges)));
  return std::vector<int>(edges, edges + std::max(count, 0));
}

plat::Rect ScreenRect() {
  return plat::Rect{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

void SendDpiChanged(plat::Control window, int dpi, const plat::Rect& suggested) {
  RECT rc{suggested.left, suggested.top, suggested.left + suggested.width,
          suggested.top + suggested.height};
  ::SendMessageW(ToHwnd(window), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&rc));
}

Watchdog::Watchdog(std::uint32_t timeoutMs, std::string what)
    : disarmed_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      thread_([this, timeoutMs, what = std::move(what)] {
        if (::WaitForSingleObject(disarmed_, timeoutMs) == WAIT_TIMEOUT) {
          std::fprintf(stderr, "watchdog: %s did not return within %u ms\n", what.c_str(),
                       static_cast<unsigned>(timeoutMs));
          std::fflush(stderr);
          // The watched thread may hold the system's locks: no orderly exit.
          ::TerminateProcess(::GetCurrentProcess(), 3);
        }
      }) {}

Watchdog::~Watchdog() {
  ::SetEvent(disarmed_);
  thread_.Join();
  ::CloseHandle(disarmed_);
}

}  // namespace cmdtest
