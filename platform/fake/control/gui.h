#pragma once
// Control API of the simulated GUI behind platform/gui.h (and its image lists, drawing.h):
// every window, control, menu, timer, message box and image list lives in memory, and tests
// drive and inspect it through the functions below. It follows the list view, tab control
// and timer semantics of Win32 (rows shift up on deletion, the selection follows them, pages
// fill their tab control, an interval of 0
// never ticks; a main window has a DPI, 96 unless set, and a font every control shares); a misuse
// that Win32 would reject (a row out of range, an EndUpdate without a Begin, a call on a control
// that does not exist) is recorded in Violations().

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/drawing.h"
#include "platform/fake/control/drawing.h"
#include "platform/gui.h"
#include "platform/types.h"

namespace fake {

// Frame of the simulated main window: the client area is the outer size less these.
inline constexpr int kFrameWidth = 8;
inline constexpr int kFrameHeight = 54;  // caption, menu bar and borders
// The desktop the main window is centred on.
inline constexpr int kDesktopWidth = 1024;
inline constexpr int kDesktopHeight = 768;
// The page area of a tab control of width w and height h is {4, 24, w - 8, h - 28}.
inline constexpr int kTabInsetLeft = 4;
inline constexpr int kTabInsetTop = 24;
inline constexpr int kTabInsetRight = 4;
inline constexpr int kTabInsetBottom = 4;

// Forgets every window, control, menu, image list, message box and log entry, and sets the
// display back to 96 dpi.
void ResetGui();

// Display scale. Main windows created from now on are on a display of `dpi` dots per inch.
void SetDisplayDpi(int dpi);
// The window moves to a display of `dpi`: OnDpiChanged with the suggested outer rectangle.
// A DPI that plat::IsUsableDpi refuses is ignored, as the real window ignores it.
void ChangeDpi(plat::MainWindowHandle window, int dpi, const plat::Rect& suggested);
// The character height of the font the control (or window) last took; 0 when none.
int FontHeightOf(plat::Control control);
int LiveFonts();  // fonts made by SetWindowFont and not yet deleted

// Misuses detected since the last reset, one text each; empty when all calls were sound.
const std::vector<std::string>& Violations();
// Every GUI operation that changes something, in order, as "Operation name [argument]",
// e.g. "ListDeleteRow procListView 2", "StatusSetText StatusBar 0", "ListBeginUpdate
// TaskListView".
// Nothing is logged until a test asks for it: ClearGuiLog empties the log and starts it.
const std::vector<std::string>& GuiLog();
void ClearGuiLog();

// Controls and windows.
plat::Control FindControl(const std::string& name);           // 0 when there is none
plat::MainWindowHandle MainWindow();                          // the last main window created
std::vector<plat::Control> ChildrenOf(plat::Control parent);  // in creation order

// Raises the main window's events as the system would. MoveControl on a shown main window
// raises OnResize too.
void ResizeClient(plat::MainWindowHandle window, int clientWidth, int clientHeight);  // OnResize
void Command(plat::MainWindowHandle window, int commandId);                           // OnCommand
// One tick of the window's timer: OnTimer when the timer runs (it never runs with an
// interval of 0). Returns whether it ticked.
bool FireTimer(plat::MainWindowHandle window);

// The message loop runs `body` (if any) and returns 0 once it is done; by then the body is
// expected to have closed the main window.
void SetMessageLoopBody(std::function<void()> body);

// List views.
struct Column {
  std::wstring caption;
  int width = 0;
  plat::Align align = plat::Align::Left;
};
// Makes the list's row changes (add, delete, set text) throw std::runtime_error from the
// `count`-th one on (1: the next one), to test what a failure in the middle of a refresh
// leaves behind; 0 switches it off. `quietly`: they are refused and report it instead, as
// Windows refuses them when memory runs out.
void FailRowChangesFrom(plat::ListViewHandle list, int count, bool quietly = false);

// Menus.
struct MenuItem {
  std::wstring caption;
  int commandId = 0;  // 0 for a submenu
  std::vector<MenuItem> items;
};
std::vector<MenuItem> MenuBar(plat::MainWindowHandle window);  // top-level items

// A picture's raster: the last one given, copied (empty when it was refused).
struct Picture {
  std::vector<std::uint8_t> bits;
  int width = 0;
  int height = 0;
  int stride = 0;
};

// What the fake knows of one control, copied; the fields of other kinds of control read as
// defaults, and an unknown handle reads as destroyed.
struct ControlView {
  plat::ControlKind kind = plat::ControlKind::Button;
  std::string name;
  int commandId = 0;
  bool destroyed = true;
  bool shown = false;  // a main window once shown
  // Its own visibility, as its WS_VISIBLE style bit reads: a main window once shown, a page
  // while its tab is selected, a list but while a batch update holds its drawing (from the
  // first row added or deleted in it), any other control from its creation.
  bool visible = false;
  plat::MainWindowArgs mainWindowArgs;
  bool timerRunning = false;
  std::uint32_t timerInterval = 0;  // the last interval started
  bool doubleBuffered = false;
  std::vector<Column> columns;
  plat::ImageListHandle imageList;
  int updateDepth = 0;  // a list's Begin calls not yet ended
  int updatePairs = 0;  // its completed Begin/End pairs
  std::vector<int> statusParts;
  Picture picture;
  int pictureSets = 0;  // rasters given, refused ones too
};
ControlView Inspect(plat::Control control);

// Message boxes. A box answers with the next scripted answer; with none scripted, a Yes/No
// box answers plat::kIdNo and any other box plat::kIdOk. A handler, when set, decides instead and
// may run program code while the box is "open".
struct MessageBox {
  plat::Control owner;
  std::wstring text;
  std::wstring caption;
  std::uint32_t flags = 0;
};
void ScriptMessageBoxAnswers(const std::vector<int>& answers);
void SetMessageBoxHandler(std::function<int(const MessageBox&)> handler);
const std::vector<MessageBox>& MessageBoxesShown();

}  // namespace fake
