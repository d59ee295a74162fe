#pragma once
// Control API of the simulated GUI behind platform/gui.h and its image lists (drawing.h):
// every window, control, menu, timer, message box and image list lives in memory, and tests
// drive and inspect it through the functions below. It follows the list view, tab control
// and timer semantics of Win32 (rows shift up on deletion, the selection follows them, pages
// fill their tab control, an interval of 0 never ticks; a main window has a DPI, 96 unless
// set, and a font every control shares); a misuse that Win32 would reject (a row out of
// range, an EndUpdate without a Begin, a call on a control that does not exist) is recorded
// in Violations(). Everything runs on the thread of the test.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/drawing.h"
#include "platform/fake/control/calls.h"
#include "platform/gui.h"
#include "platform/types.h"

namespace fake {

// Frame of the simulated main window: the client area is the outer size less these.
inline constexpr int kFrameWidth = 8;
inline constexpr int kFrameHeight = 54;  // caption, menu bar and borders
// The desktop the main window is centred on is 1024 x 768. The page area of a tab control of
// width w and height h is {4, 24, w - 8, h - 28}.

struct Column {
  std::wstring caption;
  int width = 0;
  plat::Align align = plat::Align::Left;
};

struct Row {
  std::vector<std::wstring> cells;  // the caption, then one text per further column
  int image = -1;
  void* data = nullptr;
};

struct MenuItem {
  std::wstring caption;
  int commandId = 0;  // 0 for a submenu
  std::vector<MenuItem> items;
};

// A picture's raster: the last one given, copied (empty when it was refused).
struct Picture {
  std::vector<std::uint8_t> bits;
  int width = 0;
  int height = 0;
  int stride = 0;
};

// What the fake holds of one control or main window; the fields of other kinds read as
// defaults.
struct ControlState {
  plat::ControlKind kind = plat::ControlKind::Button;
  bool isWindow = false;
  std::string name = {};
  std::wstring caption = {};
  plat::Rect rect = {};  // a main window's: its client area, at 0, 0
  plat::Control parent = {};
  int commandId = 0;
  bool destroyed = false;
  int fontHeight = 0;  // the character height of the font it last took, 0: none
  // main window
  plat::MainWindowArgs mainWindowArgs = {};
  plat::Rect outer = {};  // on the desktop
  int dpi = 96;
  bool shown = false;
  bool timerRunning = false;
  std::uint32_t timerInterval = 0;  // the last interval started
  bool topmost = false;
  bool doubleBuffered = false;
  std::uintptr_t menuBar = 0;
  std::map<int, bool> checks = {};
  // tab control
  std::vector<plat::Control> pages = {};
  int selectedTab = -1;
  // list view
  std::vector<Column> columns = {};
  std::vector<Row> rows = {};
  int selected = -1;
  int updateDepth = 0;           // Begin calls not yet ended
  int updatePairs = 0;           // completed Begin/End pairs
  bool redrawSuspended = false;  // a row was added or deleted inside the open batch
  int failCountdown = 0;         // FailRowChangesFrom
  bool failQuietly = false;
  plat::ImageListHandle imageList = {};
  // status bar
  std::vector<int> statusParts = {};
  std::vector<std::wstring> partTexts = std::vector<std::wstring>(1);  // one part at first
  // picture box
  Picture picture = {};
  int pictureSets = 0;      // rasters given, refused ones too
  std::wstring value = {};  // PictureSetValue's last text
};

struct MessageBox {
  plat::Control owner;
  std::wstring text;
  std::wstring caption;
  std::uint32_t flags = 0;
};

struct ImageList {
  std::vector<std::uintptr_t> icons;  // the icon behind each image, in order
  bool destroyed = false;
  int size = 0;  // the width and height of its images
};

struct Gui {
  std::uintptr_t nextHandle = 0x100;
  std::map<std::uintptr_t, ControlState> controls;  // in creation order: handles only grow
  std::map<std::uintptr_t, std::vector<std::pair<MenuItem, std::uintptr_t>>> menus;  // 0: command
  plat::Control mainWindow;             // the last main window created
  int displayDpi = 96;                  // what a new main window is shown at
  int fonts = 0;                        // fonts made by SetWindowFont and not yet deleted
  std::vector<std::string> violations;  // misuses, one text each
  std::function<void()> loopBody;       // what RunMessageLoop runs; it should close the window
  // Message boxes: a box answers with the next scripted answer; with none, a Yes/No box
  // answers plat::kIdNo and any other plat::kIdOk. A handler, when set, decides instead and
  // may run program code while the box is "open".
  std::deque<int> answers;
  std::function<int(const MessageBox&)> boxHandler;
  std::vector<MessageBox> boxes;  // shown
  std::map<std::uintptr_t, ImageList> imageLists;
  std::unordered_map<std::uintptr_t, std::uintptr_t> iconImages;  // live icon image -> its icon
  std::set<std::uintptr_t> destroyedIcons;                        // copying their image fails
};

// The one state of the simulated GUI.
Gui& TheGui();

// Forgets every window, control, menu, image list, message box and log entry, and sets the
// display back to 96 dpi.
void ResetGui();
inline const std::vector<std::string>& Violations() { return TheGui().violations; }
inline plat::MainWindowHandle MainWindow() { return plat::MainWindowHandle{TheGui().mainWindow}; }
// An unknown handle reads as a destroyed control.
const ControlState& Inspect(plat::Control control);
// Its own visibility, as its WS_VISIBLE style bit reads: a main window once shown, a page
// while its tab is selected, a list but while a batch update holds its drawing (from the
// first row added or deleted in it), any other control from its creation.
bool IsVisible(plat::Control control);
plat::Control FindControl(const std::string& name);            // 0 when there is none
std::vector<plat::Control> ChildrenOf(plat::Control parent);   // in creation order
std::vector<MenuItem> MenuBar(plat::MainWindowHandle window);  // top-level items

// The window moves to a display of `dpi`: OnDpiChanged with the suggested outer rectangle.
// A DPI that plat::IsUsableDpi refuses is ignored, as the real window ignores it.
void ChangeDpi(plat::MainWindowHandle window, int dpi, const plat::Rect& suggested);
// Raise the main window's events as the system would. MoveControl on a shown main window
// raises OnResize too.
void ResizeClient(plat::MainWindowHandle window, int clientWidth, int clientHeight);
void Command(plat::MainWindowHandle window, int commandId);
// One tick of the window's timer: OnTimer when the timer runs (never with an interval of
// 0). Returns whether it ticked.
bool FireTimer(plat::MainWindowHandle window);

// Makes the list's row changes (add, delete, set text) throw std::runtime_error from the
// `count`-th one on (1: the next one), to test what a failure in the middle of a refresh
// leaves behind; 0 switches it off. `quietly`: they are refused and report it instead, as
// Windows refuses them when memory runs out.
void FailRowChangesFrom(plat::ListViewHandle list, int count, bool quietly = false);

// Image lists: the icons behind a list's images, lists created and not destroyed, icon
// images copied and not destroyed.
std::vector<std::uintptr_t> ImageListIcons(plat::ImageListHandle list);
int LiveImageLists();
inline int LiveIconImages() { return static_cast<int>(TheGui().iconImages.size()); }
// An icon its owner has destroyed: copying its image fails from now on.
inline void DestroyIcon(std::uintptr_t icon) { TheGui().destroyedIcons.insert(icon); }

}  // namespace fake
