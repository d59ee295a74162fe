#pragma once
// The GUI: the main window, its controls, menus, timer, message boxes and message loop.
// Texts shown are UTF-16 (`std::wstring`): fixed texts are written as wide literals and
// texts from the system are widened with AnsiToWide only for display.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/drawing.h"
#include "platform/types.h"

namespace plat {

// What the main window reports to the program, always on the GUI thread. Handlers must not
// throw: the window procedure cannot carry an exception.
class WindowEvents {
 public:
  virtual void OnShow() = 0;                  // the window became visible for the first time
  virtual void OnTimer() = 0;                 // one tick of the window's timer
  virtual void OnCommand(int commandId) = 0;  // a button click or a menu item
  virtual void OnResize(int clientWidth, int clientHeight) = 0;
  virtual void OnClose() = 0;  // the window is closing, for any reason
  // The window moved to a display of another scale (dots per inch); `suggested` is the
  // outer rectangle the system proposes for it there. Nothing is repainted until the
  // handler returns; then the whole window is, once.
  virtual void OnDpiChanged(int dpi, const Rect& suggested) = 0;

 protected:
  ~WindowEvents() = default;
};

struct MainWindowArgs {
  std::wstring caption;
  std::wstring fontName;  // the face of every control's font (SetWindowFont)
  WindowEvents* events = nullptr;
};

// Creates the main window, hidden, with no size of its own yet: the program places it
// (MoveControl, in device pixels) and gives it its font once it knows its DPI. OnResize is
// not raised before ShowMainWindow.
MainWindowHandle CreateMainWindow(const MainWindowArgs& args);
// The dots per inch of the display the window is on (96 at 100 %). A change to a value
// IsUsableDpi refuses is ignored.
int WindowDpi(MainWindowHandle window);
// Half to ten times 96 dpi; Windows offers 100 % to 500 %.
inline bool IsUsableDpi(int dpi) { return dpi >= 48 && dpi <= 960; }
// The primary display's rectangle in device pixels.
Rect DesktopRect();
// One font of the window's face, `pixelHeight` pixels high (character height), for the
// window and every control in it, including those created later; the font it replaces is
// deleted once no control uses it.
void SetWindowFont(MainWindowHandle window, int pixelHeight);
// Shows the window; the first show raises OnShow, then OnResize with the client size; from
// then on every change of the client size raises OnResize. The
// keyboard focus goes to the first control in tab order whenever the window itself would get
// it, unless it comes back to the control that had it when the window was deactivated.
void ShowMainWindow(MainWindowHandle window);
// Asks the window to close: OnClose, then the window is destroyed and the loop ends.
void CloseMainWindow(MainWindowHandle window);
// Runs the message loop until the main window is destroyed; returns the exit code. It
// handles the main window's keyboard: Tab and Shift+Tab in tab order, Ctrl+Tab and
// Ctrl+Shift+Tab to the next and previous page, the arrows, Enter on a focused button and
// Alt+letter for the buttons' underlined letters. A focus found on a hidden control moves
// to a shown one first.
int RunMessageLoop();

Rect ClientRect(Control control);  // left and top are 0

enum class ControlKind {
  TabControl,  // pages are created as its children and appended as tabs
  TabPage,     // parent: a TabControl; fills the tab control's display area
  ListView,    // report style, read-only, whole-row and single selection, selection shown
               // without focus, unsorted, header clicks do nothing; its caption is not drawn:
               // it is the name a screen reader gives the list
  Button,      // push button; a click raises OnCommand(commandId)
  GroupBox,
  Panel,       // inner and outer bevel lowered, PanelBevelWidth pixels each, drawn inside
               // its client area
  PictureBox,  // shows the copy of a raster given with PictureSetImage; a screen reader reads
               // it as a chart named by its caption (not drawn) with a value (PictureSetValue)
  StatusBar,   // placed like any other control: it neither sizes nor docks itself
};

// The width of each of a panel's two bevels at the window's `dpi`: one pixel at 96 dpi,
// scaled and rounded (two from 144 dpi, three from 240).
inline int PanelBevelWidth(int dpi) { return dpi >= 144 ? (dpi + 48) / 96 : 1; }

struct ControlArgs {
  ControlKind kind = ControlKind::Button;
  Control parent;
  const char* name = "";  // the control's name in the program, e.g. "procListView"
  std::wstring caption;
  Rect rect;
  int commandId = 0;
};

// Controls are created in tab order: within each parent Tab visits them in the order they
// were created, the shown page's controls right after their tab control. A control created
// over a tab control is drawn above it and takes the clicks there.
Control CreateControl(const ControlArgs& args);
void MoveControl(Control control, const Rect& rect);

// Tab control.
// Shows that page and hides the others; a focus inside a hidden page moves to the tabs.
void TabSelect(TabControlHandle tabs, int index);
// The page area of a tab control of the given size, relative to the tab control.
Rect TabDisplayRect(TabControlHandle tabs, int width, int height);

// Report list. Column 0 is the row's caption, column i + 1 its sub-item i. A row change
// reports whether it took effect (Windows refuses one when it runs out of memory): a row
// added is -1 and a change false when it did not.
enum class Align { Left, Right };
void ListAddColumn(ListViewHandle list, const std::wstring& caption, int width, Align align);
void ListSetColumnWidth(ListViewHandle list, int column, int width);
void ListSetImageList(ListViewHandle list, ImageListHandle images);
int ListRowCount(ListViewHandle list);
int ListColumnCount(ListViewHandle list);
int ListAddRow(ListViewHandle list, const std::wstring& caption);  // appended at the bottom
bool ListDeleteRow(ListViewHandle list, int row);
std::wstring ListGetText(ListViewHandle list, int row, int column);
bool ListSetText(ListViewHandle list, int row, int column, const std::wstring& text);
int ListGetImage(ListViewHandle list, int row);
bool ListSetImage(ListViewHandle list, int row, int imageIndex);  // -1: no image
// Repaints the row (after the batch, if one is open) for a change the list cannot see itself,
// such as a new image behind an unchanged image index.
void ListRedrawRow(ListViewHandle list, int row);
void* ListGetData(ListViewHandle list, int row);
bool ListSetData(ListViewHandle list, int row, void* data);
int ListSelectedRow(ListViewHandle list);  // -1 when none
// Batch update: the list is not repainted between Begin and the matching End.
void ListBeginUpdate(ListViewHandle list);
void ListEndUpdate(ListViewHandle list);

// Status bar.
void StatusSetParts(StatusBarHandle bar, const std::vector<int>& widths);
void StatusSetText(StatusBarHandle bar, int part, const std::wstring& text);
std::wstring StatusGetText(StatusBarHandle bar, int part);

// Menus. Items are identified by their command id within the window's menu bar.
MenuHandle CreateMenuBar(MainWindowHandle window);
MenuHandle AddSubMenu(MenuHandle parent, const std::wstring& caption);
void AddMenuItem(MenuHandle parent, const std::wstring& caption, int commandId);
void SetMenuChecked(MainWindowHandle window, int commandId, bool checked);
bool IsMenuChecked(MainWindowHandle window, int commandId);

// The window's one periodic timer: Start replaces any running timer; each tick raises
// OnTimer. An interval of 0 is never started.
void StartTimer(MainWindowHandle window, std::uint32_t intervalMs);
void StopTimer(MainWindowHandle window);

// Window styles and painting.
void SetTopmost(MainWindowHandle window, bool topmost);
void SetDoubleBuffered(MainWindowHandle window);
void RepaintNow(Control control);  // carries out a pending repaint at once
// Keeps a copy of the raster and shows it: at once in a shown picture, else when it shows.
void PictureSetImage(PictureBoxHandle picture, const RasterView& image);
// The text a screen reader reads as the picture's value; each call announces a new value to
// screen readers (one value-change event), so the program calls it only when the text changed.
void PictureSetValue(PictureBoxHandle picture, const std::wstring& value);

// A modal message box owned by `owner`; returns the button pressed (6 Yes, 7 No, 1 OK).
int ShowMessageBox(Control owner, const std::wstring& text, const std::wstring& caption,
                   std::uint32_t flags);

}  // namespace plat
