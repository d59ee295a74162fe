// Keyboard navigation in the main window. The dialog manager (IsDialogMessage) handles the
// arrow keys, Enter and Alt+letter; Tab and Ctrl+Tab are the program's own, because the
// dialog manager never stops on a tab control that holds its pages as children: it steps
// into the pages and past the tab control itself.

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/win32/gui_internal.h"

namespace win32gui {
namespace {

bool Shown(HWND window) {
  const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
  return (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

// The controls that Tab visits, in order: within each parent in creation order (not the
// z-order: a control may be raised over a sibling), a control parent's own children right
// after it. Hidden and disabled windows and everything inside them are left out.
void CollectTabStops(HWND parent, std::vector<HWND>& stops) {
  std::vector<std::pair<unsigned, HWND>> children;  // (creation order, window), sorted
  for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    const ControlInfo* info = FindControl(child);
    const std::pair<unsigned, HWND> entry{info ? info->created : 0u, child};
    children.insert(
        std::upper_bound(children.begin(), children.end(), entry,
                         [](const auto& a, const auto& b) { return a.first < b.first; }),
        entry);
  }
  for (const auto& [created, child] : children) {
    if (!Shown(child)) continue;
    if (::GetWindowLongPtrW(child, GWL_STYLE) & WS_TABSTOP) stops.push_back(child);
    if (::GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) {
      CollectTabStops(child, stops);
    }
  }
}

bool IsTabControl(HWND window) {
  const ControlInfo* info = FindControl(window);
  return info && info->kind == plat::ControlKind::TabControl;
}

// The tab control that holds the focus, or else the first one in tab order.
HWND TabControlForKeys(HWND root) {
  for (HWND w = ::GetFocus(); w && w != root; w = ::GetParent(w)) {
    if (IsTabControl(w)) return w;
  }
  std::vector<HWND> stops;
  CollectTabStops(root, stops);
  for (HWND stop : stops) {
    if (IsTabControl(stop)) return stop;
  }
  return nullptr;
}

// Ctrl+Tab and Ctrl+Shift+Tab: the next or previous page, round the end.
void SwitchPage(HWND root, int step) {
  HWND tabs = TabControlForKeys(root);
  if (!tabs) return;
  const auto count = static_cast<int>(::SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
  if (count < 2) return;
  const auto current = static_cast<int>(::SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
  const int next = ((current + step) % count + count) % count;
  ::SendMessageW(tabs, TCM_SETCURSEL, next, 0);
  ShowSelectedPage(tabs);
}

// Tab and Shift+Tab: the next or previous stop after the one that holds the focus.
void MoveFocus(HWND root, bool backwards) {
  std::vector<HWND> stops;
  CollectTabStops(root, stops);
  if (stops.empty()) return;
  const int count = static_cast<int>(stops.size());
  int at = -1;
  // The focus may sit inside a stop (a list's header): the nearest stop around it counts.
  for (HWND w = ::GetFocus(); w && w != root && at < 0; w = ::GetParent(w)) {
    const auto found = std::find(stops.begin(), stops.end(), w);
    if (found != stops.end()) at = static_cast<int>(found - stops.begin());
  }
  const int next =
      at < 0 ? (backwards ? count - 1 : 0) : (at + (backwards ? count - 1 : 1)) % count;
  ::SetFocus(stops[next]);
}

}  // namespace

HWND FirstTabStop(HWND root) {
  std::vector<HWND> stops;
  CollectTabStops(root, stops);
  return stops.empty() ? nullptr : stops.front();
}

HWND KeepFocusVisible(HWND root) {
  HWND focus = ::GetFocus();
  if (!focus || focus == root || !::IsChild(root, focus) || !::IsWindowVisible(root) ||
      ::IsWindowVisible(focus)) {
    return focus;
  }
  // The nearest shown window around the focus takes it when it is a stop itself (the tab
  // control of a hidden page), else the first stop does.
  HWND target = nullptr;
  for (HWND w = ::GetParent(focus); w && w != root; w = ::GetParent(w)) {
    if (::IsWindowVisible(w)) {
      if (::GetWindowLongPtrW(w, GWL_STYLE) & WS_TABSTOP) target = w;
      break;
    }
  }
  if (!target) target = FirstTabStop(root);
  ::SetFocus(target ? target : root);
  return ::GetFocus();
}

bool HandleNavigationKey(HWND root, const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB) return false;
  if (msg.hwnd != root && !::IsChild(root, msg.hwnd)) return false;
  const bool backwards = ::GetKeyState(VK_SHIFT) < 0;
  if (::GetKeyState(VK_CONTROL) < 0) {
    SwitchPage(root, backwards ? -1 : 1);
    return true;
  }
  const LRESULT wants =
      ::SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
  if (wants & (DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
  // As the dialog manager does: the keyboard is in use, so focus rectangles show from now on.
  ::SendMessageW(root, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  MoveFocus(root, backwards);
  return true;
}

}  // namespace win32gui
