// The real system's side of the inspection layer.

#include <windows.h>

#include <commctrl.h>

#include "tests/support/inspect.h"

namespace inspect {
namespace {

HWND Hwnd(plat::Control control) { return reinterpret_cast<HWND>(control.value); }

}  // namespace

std::uint64_t MonotonicMilliseconds() {
  static TickExtender clock;
  return clock.Now([] { return static_cast<std::uint32_t>(::GetTickCount()); });
}

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
  if (row < 0 || row >= static_cast<int>(::SendMessageW(Hwnd(list), LVM_GETITEMCOUNT, 0, 0))) {
    return;
  }
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  ::SendMessageW(Hwnd(list), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  ::SendMessageW(Hwnd(list), LVM_ENSUREVISIBLE, row, FALSE);
}

}  // namespace inspect
