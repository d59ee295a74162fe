#pragma once
// State shared by the Win32 GUI sources (gui.cpp, gui_controls.cpp, gui_keyboard.cpp,
// gui_accessible.cpp). GUI thread only.

#include <windows.h>

#include <string>
#include <vector>

#include "platform/gui.h"
#include "platform/win32/win32_util.h"

namespace win32gui {

// What the program knows about each control it created, keyed by the control's window.
struct ControlInfo {
  plat::ControlKind kind = plat::ControlKind::Button;
  std::string name;
  int updateDepth = 0;           // nesting of ListBeginUpdate
  bool redrawSuspended = false;  // rows were added or deleted in the current batch
  std::vector<HWND> pages;       // a tab control's pages, in tab order
  unsigned created = 0;          // creation order, which is the tab order
};

// Null for windows the program did not create through CreateControl.
ControlInfo* FindControl(HWND window);
ControlInfo& AddControl(HWND window, plat::ControlKind kind, const char* name);
// Forgets every control whose window no longer exists.
void PruneControls();
// Calls `use` with every control the program created below `root`, at any depth.
template <typename Use>
void ForEachControl(HWND root, Use&& use) {
  for (HWND child = ::GetWindow(root, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (FindControl(child)) use(child);
    ForEachControl(child, use);
  }
}

// The state of a main window, reachable from any of its controls.
struct MainWindowState {
  plat::WindowEvents* events = nullptr;
  win32::OwnedFont font;
  std::wstring fontFace;
  int dpi = 96;  // of the display the window is on
  bool shown = false;
  bool doubleBuffered = false;
  HWND lastFocus = nullptr;  // the control that had the focus when the window was deactivated
};

// Null when `window` is not inside a main window created by CreateMainWindow.
MainWindowState* MainStateOf(HWND window);
// The font chosen for the main window that contains `window`, or the GUI default font.
HFONT FontFor(HWND window);

// A picture box's accessible object (gui_accessible.cpp); clients may keep it past the picture.
class ChartObject;
// The answer to WM_GETOBJECT for a picture box: for OBJID_CLIENT, its chart object, made on
// the first request (oleacc is loaded then), with `value` as its value text; else the
// default answer. `value` must live until DisconnectChart.
LRESULT AnswerGetObject(HWND picture, WPARAM flags, LPARAM objectId, const std::wstring& value,
                        ChartObject*& object);
// Lets go of the picture's object, which from then on fails every call a client makes.
void DisconnectChart(ChartObject*& object);

// Registers the child-window classes (page, panel, picture) once.
void RegisterControlClasses();
// A batch update of a list costs nothing until rows are added or deleted: only then is its
// redrawing switched off (WM_SETREDRAW), and the whole list repainted after the last End.
// Changed cells alone are repainted cell by cell, once the program returns to the loop.
void SuspendRedrawInBatch(HWND list);
// Shows the selected page of a tab control and hides the others; a focus inside a page that
// goes out of sight moves to the tab control.
void ShowSelectedPage(HWND tabs);
// Applies the flicker-free list style to every list view below `root`.
void ApplyDoubleBuffering(HWND root);

// Keyboard (gui_keyboard.cpp). The first control that Tab visits in `root`, or null.
HWND FirstTabStop(HWND root);
// Moves a focus that lies inside a hidden window of `root` (a control of a hidden page) to a
// shown control; returns the focus. The dialog manager's Alt+letter walk starts at the focus
// and never ends when the focus cannot be reached again from the shown controls.
HWND KeepFocusVisible(HWND root);
// Tab, Shift+Tab (the next or previous control in tab order), Ctrl+Tab and Ctrl+Shift+Tab
// (the next or previous page) for a key message meant for `root` or one of its controls.
// True when the message was taken.
bool HandleNavigationKey(HWND root, const MSG& msg);

}  // namespace win32gui
