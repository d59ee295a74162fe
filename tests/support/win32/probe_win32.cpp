// The real system's side of the inspection layer.

#include <windows.h>

#include <commctrl.h>

#include <set>
#include <string>

#include "platform/gui.h"
#include "tests/support/probe.h"

namespace probe {
namespace {

HWND Hwnd(plat::Control control) { return reinterpret_cast<HWND>(control.value); }

// Lets the windows of this thread take their pending messages; Wine's display driver
// otherwise waits for window-manager replies when a window is shown or destroyed.
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

std::uint64_t MonotonicMilliseconds() {
  static TickExtender clock;
  return clock.Now([] { return static_cast<std::uint32_t>(::GetTickCount()); });
}

void Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

std::uint32_t GetCurrentProcessId() { return ::GetCurrentProcessId(); }

int ImageListCount(plat::ImageListHandle list) {
  return list ? ::ImageList_GetImageCount(reinterpret_cast<HIMAGELIST>(list.value)) : 0;
}

plat::Rect ControlRect(plat::Control control) {
  RECT rc{};
  ::GetWindowRect(Hwnd(control), &rc);
  HWND parent = ::GetParent(Hwnd(control));
  if (parent && (::GetWindowLongPtrW(Hwnd(control), GWL_STYLE) & WS_CHILD)) {
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rc), 2);
  }
  return plat::Rect{rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top};
}

std::wstring ControlText(plat::Control control) {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(Hwnd(control))) + 1, L'\0');
  text.resize(static_cast<size_t>(
      ::GetWindowTextW(Hwnd(control), text.data(), static_cast<int>(text.size()))));
  return text;
}

int TabSelected(plat::TabControlHandle tabs) {
  return static_cast<int>(::SendMessageW(Hwnd(tabs), TCM_GETCURSEL, 0, 0));
}

bool IsTopmost(plat::MainWindowHandle window) {
  return (::GetWindowLongPtrW(Hwnd(window), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

void ListSelectRow(plat::ListViewHandle list, int row) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  ::SendMessageW(Hwnd(list), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&item));
  if (row < 0 || row >= plat::ListRowCount(list)) return;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  ::SendMessageW(Hwnd(list), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  ::SendMessageW(Hwnd(list), LVM_ENSUREVISIBLE, row, FALSE);
}

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
  // Wine without a window manager waits two seconds for every visible window to be withdrawn;
  // clearing the visible bit first lets the window go at once.
  HWND hwnd = Hwnd(window);
  ::SetWindowLongA(hwnd, GWL_STYLE, ::GetWindowLongA(hwnd, GWL_STYLE) & ~WS_VISIBLE);
  ::DestroyWindow(hwnd);
  PumpMessages();
}

std::uintptr_t SetTestWindowSmallIcon(plat::WindowHandle window) {
  HICON icon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_WARNING));
  ::SendMessageA(Hwnd(window), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  return reinterpret_cast<std::uintptr_t>(icon);
}

}  // namespace probe
