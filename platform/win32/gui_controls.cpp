// The controls of the main window: tab control and pages, report lists, buttons, group
// boxes, bevelled panels, picture boxes and the status bar.

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gui.h"
#include "platform/win32/gui_internal.h"
#include "platform/win32/win32_util.h"

namespace win32gui {
namespace {

constexpr wchar_t kPageClass[] = L"VarnexPage";
constexpr wchar_t kPanelClass[] = L"VarnexPanel";
constexpr wchar_t kPictureClass[] = L"VarnexPicture";

std::unordered_map<HWND, ControlInfo>& Registry() {
  static std::unordered_map<HWND, ControlInfo> controls;
  return controls;
}

bool HasTabControlChild(HWND parent) {
  for (const auto& [window, info] : Registry()) {
    if (info.kind == plat::ControlKind::TabControl && ::GetParent(window) == parent) return true;
  }
  return false;
}

// Pages and panels hold buttons and lists; their notifications belong to the main window.
LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      // Labels and group-box captions on the face colour of the page.
      HDC dc = reinterpret_cast<HDC>(wParam);
      ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
      ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
      return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_COMMAND:
    case WM_NOTIFY: {
      HWND root = ::GetAncestor(window, GA_ROOT);
      if (root && root != window) return ::SendMessageW(root, message, wParam, lParam);
      return 0;
    }
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

// A panel draws its lowered outer and inner bevel inside its own client area, each
// PanelBevelWidth thick, as the layout expects when it fits a picture inside them.
LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    win32::PaintScope paint(window);
    RECT client{};
    ::GetClientRect(window, &client);
    ::FillRect(paint.Get(), &client, ::GetSysColorBrush(COLOR_BTNFACE));
    const MainWindowState* state = MainStateOf(window);
    const int thickness = plat::PanelBevelWidth(state ? state->dpi : 96);
    for (const UINT edge : {BDR_SUNKENOUTER, BDR_SUNKENINNER}) {
      for (int i = 0; i < thickness; ++i)
        ::DrawEdge(paint.Get(), &client, edge, BF_RECT | BF_ADJUST);
    }
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;  // WM_PAINT fills everything
  return ContainerProc(window, message, wParam, lParam);
}

// A group box paints only its frame and caption and leaves its inside to the parent, which
// clips its children away: the group box fills its inside itself.
WNDPROC g_buttonProc = nullptr;

LRESULT CALLBACK GroupBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) {
    RECT client{};
    ::GetClientRect(window, &client);
    ::FillRect(reinterpret_cast<HDC>(wParam), &client, ::GetSysColorBrush(COLOR_BTNFACE));
    return 1;
  }
  return ::CallWindowProcW(g_buttonProc, window, message, wParam, lParam);
}

// A picture box's own copy of its raster: rows padded to 4 bytes, as a DIB wants them.
// Its value text and accessible object are what screen readers read of it.
struct Picture {
  std::vector<std::uint8_t> bits;
  int width = 0;
  int height = 0;
  int stride = 0;
  std::wstring value;
  ChartObject* accessible = nullptr;
};

// The state of a picture box the program created; null for any other window.
Picture* PictureState(HWND window) {
  const ControlInfo* info = FindControl(window);
  if (!info || info->kind != plat::ControlKind::PictureBox) return nullptr;
  return reinterpret_cast<Picture*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Draws the picture's raster at its top left and the face colour around it.
void DrawPicture(HWND window, HDC dc, const Picture* picture) {
  RECT client{};
  ::GetClientRect(window, &client);
  int drawnWidth = 0, drawnHeight = 0;
  if (picture && !picture->bits.empty()) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = picture->width;
    info.bmiHeader.biHeight = -picture->height;  // top-down: row 0 first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    ::SetDIBitsToDevice(dc, 0, 0, picture->width, picture->height, 0, 0, 0, picture->height,
                        picture->bits.data(), &info, DIB_RGB_COLORS);
    drawnWidth = picture->width;
    drawnHeight = picture->height;
  }
  // Whatever the raster does not cover shows the face colour.
  HBRUSH face = ::GetSysColorBrush(COLOR_BTNFACE);
  if (drawnWidth < client.right) {
    RECT right{drawnWidth, 0, client.right, client.bottom};
    ::FillRect(dc, &right, face);
  }
  if (drawnHeight < client.bottom) {
    RECT below{0, drawnHeight, std::min<LONG>(drawnWidth, client.right), client.bottom};
    ::FillRect(dc, &below, face);
  }
}

LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new Picture));
      break;
    case WM_NCDESTROY:
      if (auto* picture = reinterpret_cast<Picture*>(::GetWindowLongPtrW(window, GWLP_USERDATA))) {
        DisconnectChart(picture->accessible);
        delete picture;
      }
      ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      break;
    case WM_GETOBJECT:
      if (auto* picture = reinterpret_cast<Picture*>(::GetWindowLongPtrW(window, GWLP_USERDATA))) {
        return AnswerGetObject(window, wParam, lParam, picture->value, picture->accessible);
      }
      break;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel; erasing first would flicker
    case WM_PAINT: {
      win32::PaintScope paint(window);
      DrawPicture(window, paint.Get(),
                  reinterpret_cast<const Picture*>(::GetWindowLongPtrW(window, GWLP_USERDATA)));
      return 0;
    }
    default:
      break;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void RegisterClassOnce(const wchar_t* name, WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  if (::GetClassInfoExW(instance, name, &wc)) return;
  wc = WNDCLASSEXW{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  ::RegisterClassExW(&wc);
}

HWND Hwnd(plat::Control control) { return win32::ToHwnd(control); }

void FitPages(HWND tabs) {
  ControlInfo* info = FindControl(tabs);
  if (!info) return;
  RECT rc{};
  ::GetClientRect(tabs, &rc);
  ::SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rc));
  for (HWND page : info->pages) {
    ::SetWindowPos(page, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

struct ClassAndStyle {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
};

ClassAndStyle StyleFor(plat::ControlKind kind) {
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  switch (kind) {
    case plat::ControlKind::TabControl:
      // Pages are its children: the dialog keys reach into them.
      return {WC_TABCONTROLW, kChild | WS_CLIPCHILDREN | WS_TABSTOP, WS_EX_CONTROLPARENT};
    case plat::ControlKind::TabPage:
      return {kPageClass, WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT};
    case plat::ControlKind::ListView:
      return {WC_LISTVIEWW,
              kChild | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                  LVS_SHAREIMAGELISTS | LVS_NOSORTHEADER,
              WS_EX_CLIENTEDGE};
    case plat::ControlKind::Button:
      return {WC_BUTTONW, kChild | WS_TABSTOP | BS_PUSHBUTTON, 0};
    case plat::ControlKind::GroupBox:
      return {WC_BUTTONW, kChild | WS_CLIPCHILDREN | BS_GROUPBOX, 0};
    case plat::ControlKind::Panel:
      return {kPanelClass, kChild | WS_CLIPCHILDREN, 0};
    case plat::ControlKind::PictureBox:
      return {kPictureClass, kChild, 0};
    case plat::ControlKind::StatusBar:
      break;
  }
  // A status bar is placed by the program, not by the control: it keeps the height it is given.
  return {STATUSCLASSNAMEW, kChild | SBARS_SIZEGRIP | CCS_NORESIZE | CCS_NOPARENTALIGN, 0};
}

void SetListDoubleBuffered(HWND list) {
  ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_DOUBLEBUFFER, LVS_EX_DOUBLEBUFFER);
}

std::wstring ListText(HWND list, int row, int column) {
  std::wstring buffer(128, L'\0');
  for (;;) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    const auto copied = static_cast<int>(
        ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
    // A text that filled the buffer may have been cut: try again with a larger one.
    if (copied < static_cast<int>(buffer.size()) - 1 || buffer.size() >= 32768) {
      buffer.resize(static_cast<size_t>(std::max(copied, 0)));
      return buffer;
    }
    buffer.assign(buffer.size() * 4, L'\0');
  }
}

bool GetListItem(HWND list, int row, UINT mask, LVITEMW& item) {
  item = LVITEMW{};
  item.mask = mask;
  item.iItem = row;
  return ::SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}

bool SetListItem(HWND list, int row, UINT mask, LVITEMW& item) {
  item.mask = mask;
  item.iItem = row;
  return ::SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != FALSE;
}

bool ValidRow(HWND list, int row) {
  return row >= 0 && row < static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

}  // namespace

ControlInfo* FindControl(HWND window) {
  auto it = Registry().find(window);
  return it == Registry().end() ? nullptr : &it->second;
}

ControlInfo& AddControl(HWND window, plat::ControlKind kind, const char* name) {
  ControlInfo& info = Registry()[window];
  info = ControlInfo{};
  info.kind = kind;
  info.name = name ? name : "";
  static unsigned created = 0;
  info.created = ++created;
  return info;
}

void PruneControls() {
  std::erase_if(Registry(), [](const auto& entry) { return !::IsWindow(entry.first); });
}

void RegisterControlClasses() {
  RegisterClassOnce(kPageClass, ContainerProc);
  RegisterClassOnce(kPanelClass, PanelProc);
  RegisterClassOnce(kPictureClass, PictureProc);
}

void SuspendRedrawInBatch(HWND list) {
  ControlInfo* info = FindControl(list);
  if (!info || info->updateDepth == 0 || info->redrawSuspended) return;
  info->redrawSuspended = true;
  ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
}

void ShowSelectedPage(HWND tabs) {
  ControlInfo* info = FindControl(tabs);
  if (!info || info->kind != plat::ControlKind::TabControl) return;
  const int selected = static_cast<int>(::SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
  // Show the new page before hiding the old one, so nothing behind them shows through.
  if (selected >= 0 && selected < static_cast<int>(info->pages.size())) {
    ::ShowWindow(info->pages[selected], SW_SHOW);
  }
  HWND focus = ::GetFocus();
  for (int i = 0; i < static_cast<int>(info->pages.size()); ++i) {
    if (i == selected) continue;
    HWND page = info->pages[i];
    if (focus && (focus == page || ::IsChild(page, focus))) ::SetFocus(tabs);
    ::ShowWindow(page, SW_HIDE);
  }
}

void ApplyDoubleBuffering(HWND root) {
  for (auto& [window, info] : Registry()) {
    if (info.kind == plat::ControlKind::ListView && ::IsChild(root, window)) {
      SetListDoubleBuffered(window);
    }
  }
}

}  // namespace win32gui

namespace plat {

using win32gui::ControlInfo;
using win32gui::FindControl;
using win32gui::Hwnd;

Control CreateControl(const ControlArgs& args) {
  HWND parent = Hwnd(args.parent);
  if (!::IsWindow(parent)) return {};
  const win32gui::ClassAndStyle cs = win32gui::StyleFor(args.kind);

  ControlInfo* tabsInfo = nullptr;
  Rect rect = args.rect;
  int pageIndex = -1;
  if (args.kind == ControlKind::TabPage) {
    tabsInfo = FindControl(parent);
    if (!tabsInfo || tabsInfo->kind != ControlKind::TabControl) return {};
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<wchar_t*>(args.caption.c_str());  // read only
    pageIndex = static_cast<int>(::SendMessageW(parent, TCM_INSERTITEMW, tabsInfo->pages.size(),
                                                reinterpret_cast<LPARAM>(&tab)));
    if (pageIndex < 0) return {};
    RECT client{};
    ::GetClientRect(parent, &client);
    ::SendMessageW(parent, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&client));
    rect = Rect{client.left, client.top, client.right - client.left, client.bottom - client.top};
  }

  const int id = args.kind == ControlKind::Button ? args.commandId : 0;
  HWND window = ::CreateWindowExW(cs.exStyle, cs.className, args.caption.c_str(), cs.style,
                                  rect.left, rect.top, rect.width, rect.height, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  ::GetModuleHandleW(nullptr), nullptr);
  if (!window) {
    if (pageIndex >= 0) ::SendMessageW(parent, TCM_DELETEITEM, pageIndex, 0);
    return {};
  }
  ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(win32gui::FontFor(parent)), FALSE);
  win32gui::AddControl(window, args.kind, args.name);

  switch (args.kind) {
    case ControlKind::GroupBox: {
      auto previous = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
          window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(win32gui::GroupBoxProc)));
      if (!win32gui::g_buttonProc) win32gui::g_buttonProc = previous;
      break;
    }
    case ControlKind::TabPage:
      // tabsInfo may have moved when the registry grew.
      FindControl(parent)->pages.push_back(window);
      win32gui::ShowSelectedPage(parent);
      break;
    case ControlKind::ListView: {
      ::SendMessageW(window, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                     LVS_EX_FULLROWSELECT);
      win32gui::MainWindowState* state = win32gui::MainStateOf(window);
      if (state && state->doubleBuffered) win32gui::SetListDoubleBuffered(window);
      break;
    }
    default:
      break;
  }
  // Siblings are stacked in creation order: a control made after a tab control beside it (a
  // button in the row of the tab headers) would lie under the strip, which then draws over
  // it and takes its clicks. Tab follows the creation order, so the z-order is free.
  if (args.kind != ControlKind::TabControl && win32gui::HasTabControlChild(parent)) {
    ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  return win32::FromHwnd(window);
}

void MoveControl(Control control, const Rect& rect) {
  HWND window = Hwnd(control);
  ::SetWindowPos(window, nullptr, rect.left, rect.top, rect.width, rect.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  ControlInfo* info = FindControl(window);
  if (info && info->kind == ControlKind::TabControl) win32gui::FitPages(window);
}

void TabSelect(TabControlHandle tabs, int index) {
  HWND window = Hwnd(tabs);
  const auto count = static_cast<int>(::SendMessageW(window, TCM_GETITEMCOUNT, 0, 0));
  if (index < 0 || index >= count) return;
  ::SendMessageW(window, TCM_SETCURSEL, index, 0);
  win32gui::ShowSelectedPage(window);
}

Rect TabDisplayRect(TabControlHandle tabs, int width, int height) {
  RECT rc{0, 0, width, height};
  ::SendMessageW(Hwnd(tabs), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rc));
  return Rect{rc.left, rc.top, std::max<LONG>(rc.right - rc.left, 0),
              std::max<LONG>(rc.bottom - rc.top, 0)};
}

void ListAddColumn(ListViewHandle list, const std::wstring& caption, int width, Align align) {
  HWND window = Hwnd(list);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
  column.fmt = align == Align::Right ? LVCFMT_RIGHT : LVCFMT_LEFT;
  column.cx = width;
  column.pszText = const_cast<wchar_t*>(caption.c_str());  // read only
  column.iSubItem = ListColumnCount(list);
  ::SendMessageW(window, LVM_INSERTCOLUMNW, column.iSubItem, reinterpret_cast<LPARAM>(&column));
}

void ListSetColumnWidth(ListViewHandle list, int column, int width) {
  ::SendMessageW(Hwnd(list), LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width, 0));
}

void ListSetImageList(ListViewHandle list, ImageListHandle images) {
  ::SendMessageW(Hwnd(list), LVM_SETIMAGELIST, LVSIL_SMALL,
                 reinterpret_cast<LPARAM>(win32::ToHimagelist(images)));
}

int ListRowCount(ListViewHandle list) {
  return static_cast<int>(::SendMessageW(Hwnd(list), LVM_GETITEMCOUNT, 0, 0));
}

int ListColumnCount(ListViewHandle list) {
  HWND header = reinterpret_cast<HWND>(::SendMessageW(Hwnd(list), LVM_GETHEADER, 0, 0));
  return header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int ListAddRow(ListViewHandle list, const std::wstring& caption) {
  win32gui::SuspendRedrawInBatch(Hwnd(list));
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = ListRowCount(list);
  item.pszText = const_cast<wchar_t*>(caption.c_str());  // read only
  item.iImage = -1;  // without this a new row would show image 0
  item.lParam = 0;
  return static_cast<int>(
      ::SendMessageW(Hwnd(list), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

bool ListDeleteRow(ListViewHandle list, int row) {
  if (!win32gui::ValidRow(Hwnd(list), row)) return false;
  win32gui::SuspendRedrawInBatch(Hwnd(list));
  return ::SendMessageW(Hwnd(list), LVM_DELETEITEM, row, 0) != FALSE;
}

std::wstring ListGetText(ListViewHandle list, int row, int column) {
  if (!win32gui::ValidRow(Hwnd(list), row) || column < 0) return {};
  return win32gui::ListText(Hwnd(list), row, column);
}

bool ListSetText(ListViewHandle list, int row, int column, const std::wstring& text) {
  if (!win32gui::ValidRow(Hwnd(list), row) || column < 0) return false;
  // An unchanged cell is left alone: the list then repaints only the cells that changed.
  if (win32gui::ListText(Hwnd(list), row, column) == text) return true;
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(text.c_str());  // read only
  return ::SendMessageW(Hwnd(list), LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)) !=
         FALSE;
}

int ListGetImage(ListViewHandle list, int row) {
  LVITEMW item;
  if (!win32gui::GetListItem(Hwnd(list), row, LVIF_IMAGE, item)) return -1;
  return item.iImage;
}

bool ListSetImage(ListViewHandle list, int row, int imageIndex) {
  if (!win32gui::ValidRow(Hwnd(list), row)) return false;
  LVITEMW item{};
  item.iImage = imageIndex < 0 ? -1 : imageIndex;
  if (ListGetImage(list, row) == item.iImage) return true;
  return win32gui::SetListItem(Hwnd(list), row, LVIF_IMAGE, item);
}

void ListRedrawRow(ListViewHandle list, int row) {
  if (!win32gui::ValidRow(Hwnd(list), row)) return;
  ::SendMessageW(Hwnd(list), LVM_REDRAWITEMS, row, row);
}

void* ListGetData(ListViewHandle list, int row) {
  LVITEMW item;
  if (!win32gui::GetListItem(Hwnd(list), row, LVIF_PARAM, item)) return nullptr;
  return reinterpret_cast<void*>(item.lParam);
}

bool ListSetData(ListViewHandle list, int row, void* data) {
  if (!win32gui::ValidRow(Hwnd(list), row)) return false;
  LVITEMW item{};
  item.lParam = reinterpret_cast<LPARAM>(data);
  return win32gui::SetListItem(Hwnd(list), row, LVIF_PARAM, item);
}

int ListSelectedRow(ListViewHandle list) {
  return static_cast<int>(
      ::SendMessageW(Hwnd(list), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void ListBeginUpdate(ListViewHandle list) {
  if (ControlInfo* info = FindControl(Hwnd(list))) ++info->updateDepth;
}

void ListEndUpdate(ListViewHandle list) {
  HWND window = Hwnd(list);
  ControlInfo* info = FindControl(window);
  if (!info || info->updateDepth == 0) return;  // an End without a Begin changes nothing
  if (--info->updateDepth == 0 && info->redrawSuspended) {
    info->redrawSuspended = false;
    ::SendMessageW(window, WM_SETREDRAW, TRUE, 0);
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
}

void StatusSetParts(StatusBarHandle bar, const std::vector<int>& widths) {
  // The system wants right edges; the last part runs to the bar's right end.
  std::vector<int> edges;
  int right = 0;
  for (size_t i = 0; i < widths.size() && i < 255; ++i) {
    right += std::max(widths[i], 0);
    edges.push_back(i + 1 == widths.size() ? -1 : right);
  }
  if (edges.empty()) edges.push_back(-1);
  ::SendMessageW(Hwnd(bar), SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void StatusSetText(StatusBarHandle bar, int part, const std::wstring& text) {
  if (part < 0 || part > 255) return;
  // Setting a part repaints it; a text equal to the shown one would repaint nothing new.
  if (!text.empty() && StatusGetText(bar, part) == text) return;
  ::SendMessageW(Hwnd(bar), SB_SETTEXTW, static_cast<WPARAM>(part),
                 reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring StatusGetText(StatusBarHandle bar, int part) {
  HWND window = Hwnd(bar);
  const auto parts = static_cast<int>(::SendMessageW(window, SB_GETPARTS, 0, 0));
  if (part < 0 || part >= parts) return {};
  const auto length = LOWORD(::SendMessageW(window, SB_GETTEXTLENGTHW, part, 0));
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  ::SendMessageW(window, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()));
  text.resize(std::wcslen(text.c_str()));
  return text;
}

void PictureSetImage(PictureBoxHandle picture, const RasterView& image) {
  HWND window = Hwnd(picture);
  win32gui::Picture* copy = win32gui::PictureState(window);
  if (!copy) return;
  // A raster whose rows would not hold its width is refused; an empty one clears the box.
  const bool usable = image.bits && image.width > 0 && image.height > 0 && image.width <= 0x7FFF &&
                      image.height <= 0x7FFF && image.stride >= image.width * 3;
  if (!usable) {
    copy->bits.clear();
    copy->width = copy->height = copy->stride = 0;
  } else {
    const int rowBytes = image.width * 3;
    const int stride = (rowBytes + 3) & ~3;
    // Only changed rows are copied; the same frame again (a tick between two sampler
    // passes) leaves nothing to repaint.
    bool changed = copy->width != image.width || copy->height != image.height;
    if (changed) copy->bits.assign(static_cast<size_t>(stride) * image.height, 0);
    for (int y = 0; y < image.height; ++y) {
      std::uint8_t* row = copy->bits.data() + static_cast<size_t>(y) * stride;
      const std::uint8_t* from = image.bits + static_cast<size_t>(y) * image.stride;
      if (std::memcmp(row, from, static_cast<size_t>(rowBytes)) == 0) continue;
      std::memcpy(row, from, static_cast<size_t>(rowBytes));
      changed = true;
    }
    if (!changed) return;
    copy->width = image.width;
    copy->height = image.height;
    copy->stride = stride;
  }
  // A shown picture takes the new frame at once through a borrowed device context: a paint
  // cycle (update region, caret, the DC's reset) costs ten times the blit, every tick, and
  // leaves the same pixels. A hidden or minimized one is painted when it shows again.
  if (::IsWindowVisible(window) && !::IsIconic(::GetAncestor(window, GA_ROOT))) {
    win32::WindowDc dc(window);
    if (dc.Get()) {
      win32gui::DrawPicture(window, dc.Get(), copy);
      return;
    }
  }
  ::InvalidateRect(window, nullptr, FALSE);
}

void PictureSetValue(PictureBoxHandle picture, const std::wstring& value) {
  HWND window = Hwnd(picture);
  win32gui::Picture* copy = win32gui::PictureState(window);
  if (!copy) return;
  copy->value = value;
  // Hooks of other processes get it through their own message queues: nothing waits here.
  ::NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, window, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace plat
