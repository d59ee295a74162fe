// The main window: its class and window procedure, font, menus, timer, stay-on-top style,
// message boxes and the message loop.

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "platform/gui.h"
#include "platform/win32/gui_internal.h"
#include "platform/win32/win32_util.h"

namespace win32gui {
namespace {

constexpr wchar_t kMainClass[] = L"VarnexMainWindow";
constexpr UINT_PTR kTimerId = 1;

ATOM g_mainAtom = 0;
HWND g_mainWindow = nullptr;  // the window whose dialog keys the message loop handles

// Characters the program shows; a face that lacks them would draw boxes.
constexpr wchar_t kChineseSample[] = L"进程性能任务";

bool FontHasGlyphs(HDC dc, HFONT font, const wchar_t* sample) {
  win32::SelectScope select(dc, font);
  const int length = static_cast<int>(std::wcslen(sample));
  std::array<WORD, 16> glyphs{};
  if (length > static_cast<int>(glyphs.size())) return false;
  if (::GetGlyphIndicesW(dc, sample, length, glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS) !=
      static_cast<DWORD>(length)) {
    return false;
  }
  return std::find(glyphs.begin(), glyphs.begin() + length, 0xFFFF) == glyphs.begin() + length;
}

HFONT CreateFaceFont(const wchar_t* face, int height) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;  // precision, quality and pitch: their defaults, all 0
  wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return ::CreateFontIndirectW(&lf);
}

int CALLBACK CollectChineseFace(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM param) {
  auto* faces = reinterpret_cast<std::vector<std::wstring>*>(param);
  if (lf->lfFaceName[0] != L'@') faces->emplace_back(lf->lfFaceName);  // '@': vertical text
  return 1;
}

// The requested face, `height` pixels high (character height). Bitmap faces such as "MS Sans Serif"
// have no Chinese glyphs; Windows fills them in through font linking where it is configured, Wine
// often does not. When the face lacks the program's characters, the first face that has
// them is used instead at the same height: well-known Chinese UI faces first, then any
// face the system lists for the GB2312 character set.
win32::OwnedFont CreateUiFont(const std::wstring& face, int pixelHeight) {
  win32::WindowDc screen(nullptr);
  HDC dc = screen.Get();
  const int height = -(pixelHeight > 0 ? pixelHeight : 11);  // negative: character height

  win32::OwnedFont requested(CreateFaceFont(face.empty() ? L"MS Shell Dlg" : face.c_str(), height));
  if (!dc || !requested || FontHasGlyphs(dc, requested.Get(), kChineseSample)) return requested;

  std::vector<std::wstring> faces = {L"SimSun",
                                     L"宋体",
                                     L"Microsoft YaHei",
                                     L"NSimSun",
                                     L"WenQuanYi Zen Hei",
                                     L"WenQuanYi Micro Hei",
                                     L"SimHei"};
  LOGFONTW query{};
  query.lfCharSet = GB2312_CHARSET;
  ::EnumFontFamiliesExW(dc, &query, CollectChineseFace, reinterpret_cast<LPARAM>(&faces), 0);
  for (const std::wstring& candidate : faces) {
    win32::OwnedFont font(CreateFaceFont(candidate.c_str(), height));
    if (font && FontHasGlyphs(dc, font.Get(), kChineseSample)) return font;
  }
  return requested;
}

// The DPI of the display the window is on: GetDpiForWindow (Windows 10 1607), else the
// monitor's effective DPI (GetDpiForMonitor, Windows 8.1), else the system DPI, which is
// all that Windows XP to 8 have.
int QueryDpi(HWND window) {
  HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  if (auto forWindow = win32::Routine<GetDpiForWindowFn>(user32, "GetDpiForWindow")) {
    if (const UINT dpi = forWindow(window)) return static_cast<int>(dpi);
  }
  using MonitorFromWindowFn = HMONITOR(WINAPI*)(HWND, DWORD);
  using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  // Kept for the process's life.
  static HMODULE shcore = win32::LoadSystemLibrary(L"shcore.dll");
  auto monitorOf = win32::Routine<MonitorFromWindowFn>(user32, "MonitorFromWindow");
  auto forMonitor = win32::Routine<GetDpiForMonitorFn>(shcore, "GetDpiForMonitor");
  if (monitorOf && forMonitor) {
    constexpr DWORD kDefaultToNearest = 2;
    constexpr int kEffectiveDpi = 0;
    UINT x = 0, y = 0;
    if (SUCCEEDED(forMonitor(monitorOf(window, kDefaultToNearest), kEffectiveDpi, &x, &y)) && y) {
      return static_cast<int>(y);
    }
  }
  win32::WindowDc screen(nullptr);
  const int dpi = screen.Get() ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : 96;
}

// WM_DPICHANGED (Windows 8.1): the new DPI in wParam, the suggested outer rectangle at lParam.
constexpr UINT kWmDpiChanged = 0x02E0;

// Handlers must not throw; should one do so anyway, the exception stops here rather than
// unwinding through the system's code.
template <typename Call>
void CallHandler(Call&& call) {
  try {
    call();
  } catch (...) {
  }
}

void ReportResize(HWND window, MainWindowState* state) {
  RECT rc{};
  ::GetClientRect(window, &rc);
  CallHandler([&] { state->events->OnResize(rc.right - rc.left, rc.bottom - rc.top); });
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  auto* state = reinterpret_cast<MainWindowState*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!state) return ::DefWindowProcW(window, message, wParam, lParam);

  switch (message) {
    case WM_SHOWWINDOW:
      if (wParam && !state->shown) {
        state->shown = true;
        if (state->events) {
          CallHandler([&] { state->events->OnShow(); });
          ReportResize(window, state);
        }
      }
      break;
    case WM_SIZE:
      if (state->shown && state->events && wParam != SIZE_MINIMIZED) {
        CallHandler([&] { state->events->OnResize(LOWORD(lParam), HIWORD(lParam)); });
      }
      return 0;
    case WM_TIMER:
      if (wParam == kTimerId && state->events) CallHandler([&] { state->events->OnTimer(); });
      return 0;
    case WM_COMMAND: {
      // Buttons report BN_CLICKED with their window in lParam; menu items come with a
      // zero notification code and no window. BN_CLICKED is 0 as well.
      if (HIWORD(wParam) == BN_CLICKED && state->events) {
        CallHandler([&] { state->events->OnCommand(LOWORD(wParam)); });
      }
      return 0;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header && header->code == static_cast<UINT>(TCN_SELCHANGE)) {
        ShowSelectedPage(header->hwndFrom);
      }
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus && ::IsChild(window, focus)) state->lastFocus = focus;
      }
      break;  // activation gives the window itself the focus: WM_SETFOCUS passes it on
    case WM_SETFOCUS: {
      // To the control that had it before the window was deactivated (a message box came
      // up), else to the first control in tab order: the keyboard is at work at once.
      HWND target = state->lastFocus;
      if (!target || !::IsChild(window, target) || !::IsWindowVisible(target) ||
          !::IsWindowEnabled(target)) {
        target = FirstTabStop(window);
      }
      if (target) ::SetFocus(target);
      return 0;
    }
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(state->font.Get());
    case kWmDpiChanged: {
      const auto* r = reinterpret_cast<const RECT*>(lParam);
      const int dpi = HIWORD(wParam);  // the vertical DPI; both are the same on Windows
      if (!plat::IsUsableDpi(dpi)) return 0;
      state->dpi = dpi;
      if (state->events && r) {
        // The window is redrawn once, when everything has taken the new DPI. DefWindowProc
        // takes WM_SETREDRAW as clearing WS_VISIBLE and setting it again (also on a hidden
        // window), and a window moved while it counts as hidden leaves its old place
        // unpainted: only the window's shown children stop drawing.
        std::vector<HWND> held;
        for (HWND child = ::GetWindow(window, GW_CHILD); child;
             child = ::GetWindow(child, GW_HWNDNEXT)) {
          if (::GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) held.push_back(child);
        }
        for (HWND child : held) ::SendMessageW(child, WM_SETREDRAW, FALSE, 0);
        const plat::Rect suggested{r->left, r->top, r->right - r->left, r->bottom - r->top};
        CallHandler([&] { state->events->OnDpiChanged(state->dpi, suggested); });
        for (HWND child : held) ::SendMessageW(child, WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(window, nullptr, nullptr,
                       RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
      }
      return 0;
    }
    case WM_CLOSE:
      if (state->events) CallHandler([&] { state->events->OnClose(); });
      ::DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      ::KillTimer(window, kTimerId);
      if (window == g_mainWindow) g_mainWindow = nullptr;
      ::PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      delete state;
      PruneControls();
      return ::DefWindowProcW(window, message, wParam, lParam);
    default:
      break;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void RegisterMainClass() {
  if (g_mainAtom) return;
  INITCOMMONCONTROLSEX icc{
      sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&icc);

  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  // The program's icon is resource 1 when the executable carries one.
  wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
  if (!wc.hIcon) wc.hIcon = ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  wc.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                               ::GetSystemMetrics(SM_CXSMICON),
                                               ::GetSystemMetrics(SM_CYSMICON), 0));
  wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kMainClass;
  g_mainAtom = ::RegisterClassExW(&wc);
  RegisterControlClasses();
}

}  // namespace

MainWindowState* MainStateOf(HWND window) {
  HWND root = window ? ::GetAncestor(window, GA_ROOT) : nullptr;
  if (!root || !g_mainAtom) return nullptr;
  if (static_cast<ATOM>(::GetClassLongPtrW(root, GCW_ATOM)) != g_mainAtom) return nullptr;
  return reinterpret_cast<MainWindowState*>(::GetWindowLongPtrW(root, GWLP_USERDATA));
}

HFONT FontFor(HWND window) {
  MainWindowState* state = MainStateOf(window);
  if (state && state->font) return state->font.Get();
  return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

}  // namespace win32gui

namespace plat {

using win32::FromHwnd;
using win32::ToHwnd;

MainWindowHandle CreateMainWindow(const MainWindowArgs& args) {
  win32gui::RegisterMainClass();
  auto* state = new win32gui::MainWindowState;
  state->events = args.events;
  state->fontFace = args.fontName;

  // No size yet: the program places the window once it knows the window's DPI.
  HWND window = ::CreateWindowExW(0, win32gui::kMainClass, args.caption.c_str(),
                                  WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 0, 0, nullptr,
                                  nullptr, ::GetModuleHandleW(nullptr), state);
  if (!window) {
    delete state;
    return {};
  }
  state->dpi = win32gui::QueryDpi(window);
  win32gui::g_mainWindow = window;
  return MainWindowHandle{FromHwnd(window)};
}

int WindowDpi(MainWindowHandle window) {
  const win32gui::MainWindowState* state = win32gui::MainStateOf(ToHwnd(window));
  return state ? state->dpi : win32gui::QueryDpi(ToHwnd(window));
}

Rect DesktopRect() {
  return Rect{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

void SetWindowFont(MainWindowHandle window, int pixelHeight) {
  HWND hwnd = ToHwnd(window);
  win32gui::MainWindowState* state = win32gui::MainStateOf(hwnd);
  if (!state) return;
  win32::OwnedFont font = win32gui::CreateUiFont(state->fontFace, pixelHeight);
  if (!font) return;
  // The old font lives until every control has taken the new one.
  win32::OwnedFont old = std::exchange(state->font, std::move(font));
  const auto handle = reinterpret_cast<WPARAM>(state->font.Get());
  ::SendMessageW(hwnd, WM_SETFONT, handle, FALSE);
  win32gui::ForEachControl(
      hwnd, [handle](HWND control) { ::SendMessageW(control, WM_SETFONT, handle, FALSE); });
}

void ShowMainWindow(MainWindowHandle window) {
  HWND hwnd = ToHwnd(window);
  ::ShowWindow(hwnd, SW_SHOWNORMAL);
  ::UpdateWindow(hwnd);
}

void CloseMainWindow(MainWindowHandle window) {
  HWND hwnd = ToHwnd(window);
  if (::IsWindow(hwnd)) ::SendMessageW(hwnd, WM_CLOSE, 0, 0);
}

int RunMessageLoop() {
  MSG msg{};
  for (;;) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) break;
    if (got == -1) return -1;
    HWND main = win32gui::g_mainWindow;
    if (main && ::IsWindow(main) && msg.hwnd && (msg.hwnd == main || ::IsChild(main, msg.hwnd))) {
      // Something may have put the focus on a control of a hidden page (another program
      // clicking a button there): it leaves before any key is handled.
      const bool key = msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST;
      HWND focus = key ? win32gui::KeepFocusVisible(main) : ::GetFocus();
      if (win32gui::HandleNavigationKey(main, msg)) continue;
      // Enter and Escape would come back from the dialog manager as commands 1 and 2, which
      // the program may use for something else: Enter clicks the focused button instead.
      const bool enterOrEscape =
          msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE);
      // The dialog manager's Alt+letter walk starts at the message's window and never ends
      // when that, or the focus, lies out of sight: such a message is only dispatched.
      const bool inSight = ::IsWindowVisible(msg.hwnd) && (!focus || ::IsWindowVisible(focus));
      if (enterOrEscape) {
        if (msg.wParam == VK_RETURN && focus &&
            (::SendMessageW(focus, WM_GETDLGCODE, 0, 0) &
             (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
          ::SendMessageW(focus, BM_CLICK, 0, 0);
          continue;
        }
      } else if (inSight && ::IsDialogMessageW(main, &msg)) {
        continue;  // arrows and Alt+letter for the buttons
      }
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

Rect ClientRect(Control control) {
  RECT rc{};
  ::GetClientRect(ToHwnd(control), &rc);
  return Rect{0, 0, rc.right - rc.left, rc.bottom - rc.top};
}

MenuHandle CreateMenuBar(MainWindowHandle window) {
  HMENU bar = ::CreateMenu();
  if (bar && !::SetMenu(ToHwnd(window), bar)) {
    ::DestroyMenu(bar);
    return {};
  }
  return win32::FromHmenu(bar);
}

namespace {
// The menu bar changed: the main window draws it again.
void RedrawMenuBar() {
  if (win32gui::g_mainWindow) ::DrawMenuBar(win32gui::g_mainWindow);
}
}  // namespace

MenuHandle AddSubMenu(MenuHandle parent, const std::wstring& caption) {
  HMENU popup = ::CreatePopupMenu();
  if (!popup) return {};
  if (!::AppendMenuW(win32::ToHmenu(parent), MF_STRING | MF_POPUP,
                     reinterpret_cast<UINT_PTR>(popup), caption.c_str())) {
    ::DestroyMenu(popup);
    return {};
  }
  RedrawMenuBar();
  return win32::FromHmenu(popup);
}

void AddMenuItem(MenuHandle parent, const std::wstring& caption, int commandId) {
  ::AppendMenuW(win32::ToHmenu(parent), MF_STRING, static_cast<UINT_PTR>(commandId),
                caption.c_str());
  RedrawMenuBar();
}

void SetMenuChecked(MainWindowHandle window, int commandId, bool checked) {
  if (HMENU bar = ::GetMenu(ToHwnd(window))) {
    ::CheckMenuItem(bar, static_cast<UINT>(commandId),
                    MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
  }
}

bool IsMenuChecked(MainWindowHandle window, int commandId) {
  HMENU bar = ::GetMenu(ToHwnd(window));
  if (!bar) return false;
  const UINT state = ::GetMenuState(bar, static_cast<UINT>(commandId), MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && (state & MF_CHECKED) != 0;
}

void StartTimer(MainWindowHandle window, std::uint32_t intervalMs) {
  HWND hwnd = ToHwnd(window);
  ::KillTimer(hwnd, win32gui::kTimerId);
  if (intervalMs > 0) ::SetTimer(hwnd, win32gui::kTimerId, intervalMs, nullptr);
}

void StopTimer(MainWindowHandle window) { ::KillTimer(ToHwnd(window), win32gui::kTimerId); }

void SetTopmost(MainWindowHandle window, bool topmost) {
  ::SetWindowPos(ToHwnd(window), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void SetDoubleBuffered(MainWindowHandle window) {
  win32gui::MainWindowState* state = win32gui::MainStateOf(ToHwnd(window));
  if (state) state->doubleBuffered = true;
  win32gui::ApplyDoubleBuffering(ToHwnd(window));
}

void RepaintNow(Control control) {
  // UpdateWindow alone paints only the window itself; its children (the picture boxes in
  // a panel) have update regions of their own.
  ::RedrawWindow(ToHwnd(control), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

int ShowMessageBox(Control owner, const std::wstring& text, const std::wstring& caption,
                   std::uint32_t flags) {
  return ::MessageBoxW(ToHwnd(owner), text.c_str(), caption.c_str(), flags);
}

}  // namespace plat
