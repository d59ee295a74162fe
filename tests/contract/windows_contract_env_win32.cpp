#include <windows.h>

#include <memory>
#include <set>
#include <string>

#include "tests/contract/windows_contract_env.h"
#include "tests/support/win32/command_helpers.h"

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

// A window of another thread kept busy in WM_GETICON for a minute; its destructor lets go.
UnresponsiveWindow::UnresponsiveWindow() {
  auto busy = std::make_shared<cmdtest::BusyWindow>(L"stuck");
  if (cmdtest::MakeWindowBusy(busy->Window(), 60000)) window_ = busy->Window();
  busy_ = busy;
}

UnresponsiveWindow::~UnresponsiveWindow() = default;

}  // namespace contract
