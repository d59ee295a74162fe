#include <windows.h>

#include <set>
#include <string>

#include "tests/contract/windows_contract_env.h"

namespace {

HWND ToHwnd(plat::WindowHandle window) { return reinterpret_cast<HWND>(window.value); }

// Lets the windows of this thread take their pending messages; Wine's display driver
// otherwise waits for window-manager replies when a window is shown or destroyed.
void PumpMessages();

// Wine without a window manager waits two seconds for every visible window to be withdrawn;
// clearing the visible bit first lets the window go at once.
void DestroyQuickly(HWND window) {
  ::SetWindowLongA(window, GWL_STYLE, ::GetWindowLongA(window, GWL_STYLE) & ~WS_VISIBLE);
  ::DestroyWindow(window);
}

void PumpMessages() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

void RegisterTestClass(const char* className) {
  static std::set<std::string> registered;
  if (!registered.insert(className).second) return;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ::DefWindowProcA;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.hIcon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  windowClass.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.lpszClassName = className;
  ::RegisterClassA(&windowClass);
}

struct StuckThreadArgs {
  HANDLE ready;
  HANDLE release;
  HWND window;
};

DWORD WINAPI StuckThread(void* param) {
  auto* args = static_cast<StuckThreadArgs*>(param);
  RegisterTestClass("VarnexStuck");
  args->window =
      ::CreateWindowExA(0, "VarnexStuck", "stuck", WS_POPUP | WS_BORDER | WS_VISIBLE, 10, 10, 200,
                        100, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  ::SetEvent(args->ready);
  // Stops answering: no message is taken until the test lets go.
  ::WaitForSingleObject(args->release, INFINITE);
  DestroyQuickly(args->window);
  return 0;
}

}  // namespace

namespace contract {

void ResetWindowEnvironment() {}

plat::WindowHandle CreateTestWindow(const char* className, const char* title, bool visible) {
  RegisterTestClass(className);
  HWND window =
      ::CreateWindowExA(0, className, title, WS_POPUP | WS_BORDER | (visible ? WS_VISIBLE : 0), 20,
                        20, 240, 120, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  PumpMessages();
  return plat::WindowHandle{reinterpret_cast<std::uintptr_t>(window)};
}

void DestroyTestWindow(plat::WindowHandle window) {
  PumpMessages();
  DestroyQuickly(ToHwnd(window));
  PumpMessages();
}

std::uintptr_t SetTestWindowSmallIcon(plat::WindowHandle window) {
  HICON icon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_WARNING));
  ::SendMessageA(ToHwnd(window), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  return reinterpret_cast<std::uintptr_t>(icon);
}

UnresponsiveWindow::UnresponsiveWindow() {
  static StuckThreadArgs args;
  args.ready = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  args.release = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  args.window = nullptr;
  HANDLE thread = ::CreateThread(nullptr, 0, StuckThread, &args, 0, nullptr);
  ::WaitForSingleObject(args.ready, 10000);
  ::CloseHandle(args.ready);
  window_ = plat::WindowHandle{reinterpret_cast<std::uintptr_t>(args.window)};
  thread_ = reinterpret_cast<std::uintptr_t>(thread);
  release_ = reinterpret_cast<std::uintptr_t>(args.release);
}

UnresponsiveWindow::~UnresponsiveWindow() {
  ::SetEvent(reinterpret_cast<HANDLE>(release_));
  ::WaitForSingleObject(reinterpret_cast<HANDLE>(thread_), 10000);
  ::CloseHandle(reinterpret_cast<HANDLE>(thread_));
  ::CloseHandle(reinterpret_cast<HANDLE>(release_));
}

}  // namespace contract
