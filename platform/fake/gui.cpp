// The simulated GUI behind platform/gui.h: the main window, creating and placing controls,
// menus, the timer, message boxes and the message loop (the controls' own operations are in
// gui_controls.cpp).

#include "platform/gui.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "platform/constants.h"
#include "platform/fake/control/gui.h"
#include "platform/fake/gui_state.h"

namespace fake::gui {

State& S() {
  static State state;
  return state;
}

std::uintptr_t NewHandle() {
  const std::uintptr_t handle = S().nextHandle;
  S().nextHandle += 4;
  return handle;
}

void Violation(std::string text) { S().violations.push_back(std::move(text)); }

void Log(const std::string& op, plat::Control control, const std::string& arg) {
  if (!S().log.On()) return;
  auto it = S().controls.find(control.value);
  std::string entry = op + " " + (it == S().controls.end() ? std::string("?") : it->second.name);
  if (!arg.empty()) entry += " " + arg;
  S().log.Add(std::move(entry));
}

ControlState* Get(plat::Control control, const char* op) {
  auto it = S().controls.find(control.value);
  if (it == S().controls.end()) {
    Violation(std::string(op) + ": no such control");
    return nullptr;
  }
  if (it->second.destroyed) return nullptr;
  return &it->second;
}

ControlState* GetKind(plat::Control control, plat::ControlKind kind, const char* op) {
  ControlState* c = Get(control, op);
  if (c && (c->isWindow || c->kind != kind)) {
    Violation(std::string(op) + ": wrong kind of control " + c->name);
    return nullptr;
  }
  return c;
}

ControlState* GetWindow(plat::Control window, const char* op) {
  ControlState* c = Get(window, op);
  if (c && !c->isWindow) {
    Violation(std::string(op) + ": not a main window: " + c->name);
    return nullptr;
  }
  return c;
}

ControlState* GetList(plat::Control list, const char* op) {
  return GetKind(list, plat::ControlKind::ListView, op);
}

bool RowChange(ControlState* list) {
  if (list && list->failCountdown > 0 && --list->failCountdown == 0) {
    list->failCountdown = 1;
    if (list->failQuietly) return false;
    throw std::runtime_error("row change failed in " + list->name);
  }
  return true;
}

Row* GetRow(ControlState* list, int row, const char* op) {
  if (!list) return nullptr;
  if (row < 0 || row >= static_cast<int>(list->rows.size())) {
    Violation(std::string(op) + ": row " + std::to_string(row) + " out of range in " + list->name);
    return nullptr;
  }
  return list->rows[static_cast<std::size_t>(row)];
}

plat::Control NewControl(ControlState state) {
  plat::Control handle{NewHandle()};
  S().controls.emplace(handle.value, std::move(state));
  S().order.push_back(handle.value);
  return handle;
}

const ControlState* Peek(plat::Control control) {
  auto it = S().controls.find(control.value);
  return it == S().controls.end() ? nullptr : &it->second;
}

namespace {

// Gives the main window a client area of that size; its outer size follows.
void ResizeWindow(ControlState& w, int clientWidth, int clientHeight) {
  w.rect.width = clientWidth;
  w.rect.height = clientHeight;
  w.outer.width = clientWidth + fake::kFrameWidth;
  w.outer.height = clientHeight + fake::kFrameHeight;
}

// The main window that holds `control` (or is it).
plat::Control RootOf(plat::Control control) {
  while (const ControlState* c = Peek(control)) {
    if (c->isWindow || !c->parent) break;
    control = c->parent;
  }
  return control;
}

}  // namespace

}  // namespace fake::gui

using fake::gui::ControlState;
using fake::gui::Get;
using fake::gui::GetWindow;
using fake::gui::Log;
using fake::gui::Menu;
using fake::gui::NewControl;
using fake::gui::Peek;
using fake::gui::ResetImageLists;
using fake::gui::ResizeWindow;
using fake::gui::S;
using fake::gui::State;
using fake::gui::Violation;

namespace plat {

MainWindowHandle CreateMainWindow(const MainWindowArgs& args) {
  ControlState state;
  state.isWindow = true;
  state.name = "MainForm";
  state.caption = args.caption;
  state.outer = Rect{0, 0, fake::kFrameWidth, fake::kFrameHeight};
  state.dpi = S().displayDpi;
  state.args = args;
  Control window = NewControl(std::move(state));
  S().mainWindow = window;
  return MainWindowHandle{window};
}

void ShowMainWindow(MainWindowHandle window) {
  ControlState* w = GetWindow(window, "ShowMainWindow");
  if (!w || w->shown) return;
  w->shown = true;
  WindowEvents* events = w->args.events;
  int width = w->rect.width;
  int height = w->rect.height;
  if (events) {
    events->OnShow();
    events->OnResize(width, height);
  }
}

void CloseMainWindow(MainWindowHandle window) {
  ControlState* w = GetWindow(window, "CloseMainWindow");
  if (!w) return;
  if (w->args.events) w->args.events->OnClose();
  w = GetWindow(window, "CloseMainWindow");
  if (!w) return;
  w->destroyed = true;
  w->timerRunning = false;
  if (w->fontHeight != 0) --S().fonts;  // the window's font goes with it
  for (auto& [handle, c] : S().controls) {
    for (Control p = c.parent; p; p = S().controls[p.value].parent) {
      if (p == window) c.destroyed = true;
    }
  }
  S().log.Add("CloseMainWindow MainForm");
}

int RunMessageLoop() {
  if (S().loopBody) {
    auto body = std::move(S().loopBody);
    S().loopBody = nullptr;
    body();
  }
  return 0;
}

int WindowDpi(MainWindowHandle window) {
  ControlState* w = GetWindow(window, "WindowDpi");
  return w ? w->dpi : 96;
}

Rect DesktopRect() { return Rect{0, 0, fake::kDesktopWidth, fake::kDesktopHeight}; }

void SetWindowFont(MainWindowHandle window, int pixelHeight) {
  ControlState* w = GetWindow(window, "SetWindowFont");
  if (!w) return;
  const bool hadFont = w->fontHeight != 0;
  ++S().fonts;
  for (auto& [handle, c] : S().controls) {
    if (!c.destroyed && fake::gui::RootOf(Control{handle}) == window) c.fontHeight = pixelHeight;
  }
  if (hadFont) --S().fonts;  // no control uses the old one any more
  Log("SetWindowFont", window, std::to_string(pixelHeight));
}

Rect ClientRect(Control control) {
  ControlState* c = Get(control, "ClientRect");
  if (!c) return {};
  return Rect{0, 0, c->rect.width, c->rect.height};
}

Control CreateControl(const ControlArgs& args) {
  ControlState* parent = Get(args.parent, "CreateControl");
  if (!parent) return {};
  if (args.kind == ControlKind::TabPage &&
      (parent->isWindow || parent->kind != ControlKind::TabControl)) {
    Violation(std::string("CreateControl: page outside a tab control: ") + args.name);
    return {};
  }
  ControlState state;
  state.kind = args.kind;
  state.name = args.name;
  state.caption = args.caption;
  state.rect = args.rect;
  state.parent = args.parent;
  state.commandId = args.commandId;
  state.fontHeight = Peek(fake::gui::RootOf(args.parent))->fontHeight;
  Control control = NewControl(std::move(state));
  ControlState& p = S().controls[args.parent.value];
  if (args.kind == ControlKind::TabPage && !p.isWindow && p.kind == ControlKind::TabControl) {
    p.pages.push_back(control);
    if (p.selectedTab < 0) p.selectedTab = 0;
    Rect display = TabDisplayRect(TabControlHandle{args.parent}, p.rect.width, p.rect.height);
    S().controls[control.value].rect = display;
  }
  return control;
}

void MoveControl(Control control, const Rect& rect) {
  ControlState* c = Get(control, "MoveControl");
  if (!c) return;
  Log("MoveControl", control);
  if (c->isWindow) {
    c->outer = rect;
    const Rect before = c->rect;
    ResizeWindow(*c, rect.width - fake::kFrameWidth, rect.height - fake::kFrameHeight);
    if (c->shown && c->args.events && !(c->rect == before)) {
      c->args.events->OnResize(c->rect.width, c->rect.height);
    }
    return;
  }
  c->rect = rect;
  if (c->kind == ControlKind::TabControl) {
    const Rect display = TabDisplayRect(TabControlHandle{control}, rect.width, rect.height);
    for (Control page : c->pages) S().controls[page.value].rect = display;
  }
}

Rect ControlRect(Control control) {
  ControlState* c = Get(control, "ControlRect");
  if (!c) return {};
  return c->isWindow ? c->outer : c->rect;
}

std::wstring ControlText(Control control) {
  ControlState* c = Get(control, "ControlText");
  return c ? c->caption : std::wstring();
}

MenuHandle CreateMenuBar(MainWindowHandle window) {
  ControlState* w = GetWindow(window, "CreateMenuBar");
  if (!w) return {};
  MenuHandle bar{S().nextHandle};
  S().nextHandle += 4;
  S().menus[bar.value];
  w->menuBar = bar.value;
  return bar;
}

MenuHandle AddSubMenu(MenuHandle parent, const std::wstring& caption) {
  auto it = S().menus.find(parent.value);
  if (it == S().menus.end()) {
    Violation("AddSubMenu: no such menu");
    return {};
  }
  MenuHandle sub{S().nextHandle};
  S().nextHandle += 4;
  S().menus[sub.value];
  Menu& menu = S().menus[parent.value];
  menu.items.push_back(fake::MenuItem{caption, 0, {}});
  menu.submenus.push_back(sub.value);
  return sub;
}

void AddMenuItem(MenuHandle parent, const std::wstring& caption, int commandId) {
  auto it = S().menus.find(parent.value);
  if (it == S().menus.end()) {
    Violation("AddMenuItem: no such menu");
    return;
  }
  if (commandId == 0) Violation("AddMenuItem: command id 0");
  it->second.items.push_back(fake::MenuItem{caption, commandId, {}});
  it->second.submenus.push_back(0);
}

namespace {
bool MenuHasCommand(std::uintptr_t menu, int commandId) {
  const Menu& m = S().menus[menu];
  for (std::size_t i = 0; i < m.items.size(); ++i) {
    if (m.submenus[i] ? MenuHasCommand(m.submenus[i], commandId)
                      : m.items[i].commandId == commandId) {
      return true;
    }
  }
  return false;
}
}  // namespace

void SetMenuChecked(MainWindowHandle window, int commandId, bool checked) {
  ControlState* w = GetWindow(window, "SetMenuChecked");
  if (!w) return;
  if (!w->menuBar || !MenuHasCommand(w->menuBar, commandId)) {
    Violation("SetMenuChecked: no item " + std::to_string(commandId));
    return;
  }
  w->checks[commandId] = checked;
}

bool IsMenuChecked(MainWindowHandle window, int commandId) {
  ControlState* w = GetWindow(window, "IsMenuChecked");
  if (!w) return false;
  auto it = w->checks.find(commandId);
  return it != w->checks.end() && it->second;
}

void StartTimer(MainWindowHandle window, std::uint32_t intervalMs) {
  ControlState* w = GetWindow(window, "StartTimer");
  if (!w) return;
  w->timerInterval = intervalMs;
  w->timerRunning = intervalMs != 0;
  Log("StartTimer", window, std::to_string(intervalMs));
}

void StopTimer(MainWindowHandle window) {
  ControlState* w = GetWindow(window, "StopTimer");
  if (!w) return;
  w->timerRunning = false;
  Log("StopTimer", window);
}

void SetTopmost(MainWindowHandle window, bool topmost) {
  ControlState* w = GetWindow(window, "SetTopmost");
  if (w) w->topmost = topmost;
}

bool IsTopmost(MainWindowHandle window) {
  ControlState* w = GetWindow(window, "IsTopmost");
  return w && w->topmost;
}

void SetDoubleBuffered(MainWindowHandle window) {
  ControlState* w = GetWindow(window, "SetDoubleBuffered");
  if (w) w->doubleBuffered = true;
}

void RepaintNow(Control control) {
  ControlState* c = Get(control, "RepaintNow");
  if (c) Log("RepaintNow", control);
}

int ShowMessageBox(Control owner, const std::wstring& text, const std::wstring& caption,
                   std::uint32_t flags) {
  fake::MessageBox box{owner, text, caption, flags};
  S().boxes.push_back(box);
  S().log.Add("ShowMessageBox");
  int answer;
  if (S().boxHandler) {
    auto handler = S().boxHandler;
    answer = handler(box);
  } else if (!S().answers.empty()) {
    answer = S().answers.front();
    S().answers.pop_front();
  } else {
    answer = (flags & plat::kMbTypeMask) == plat::kMbYesNo ? plat::kIdNo : plat::kIdOk;
  }
  return answer;
}

}  // namespace plat

namespace fake {

void ResetGui() {
  S() = State{};
  ResetImageLists();
}

const std::vector<std::string>& Violations() { return S().violations; }
const std::vector<std::string>& GuiLog() { return S().log.Calls(); }
void ClearGuiLog() { S().log.Start(); }

plat::Control FindControl(const std::string& name) {
  for (std::uintptr_t handle : S().order) {
    if (S().controls[handle].name == name) return plat::Control{handle};
  }
  return {};
}

plat::MainWindowHandle MainWindow() { return plat::MainWindowHandle{S().mainWindow}; }

std::vector<plat::Control> ChildrenOf(plat::Control parent) {
  std::vector<plat::Control> out;
  for (std::uintptr_t handle : S().order) {
    if (S().controls[handle].parent == parent) out.push_back(plat::Control{handle});
  }
  return out;
}

ControlView Inspect(plat::Control control) {
  ControlView view;
  const ControlState* c = Peek(control);
  if (!c) return view;
  view = {.kind = c->kind,
          .name = c->name,
          .commandId = c->commandId,
          .destroyed = c->destroyed,
          .shown = c->shown,
          .mainWindowArgs = c->args,
          .timerRunning = c->timerRunning,
          .timerInterval = c->timerInterval,
          .doubleBuffered = c->doubleBuffered,
          .columns = c->columns,
          .imageList = c->images,
          .updateDepth = c->updateDepth,
          .updatePairs = c->updatePairs,
          .statusParts = c->parts,
          .picture = c->picture,
          .pictureSets = c->pictureSets};
  // As WS_VISIBLE reads: a page while its tab is selected, a list outside a held batch.
  if (c->destroyed) {
    view.visible = false;
  } else if (c->isWindow) {
    view.visible = c->shown;
  } else if (c->kind == plat::ControlKind::TabPage) {
    const std::vector<plat::Control>& pages = Peek(c->parent)->pages;
    const auto at = std::find(pages.begin(), pages.end(), control) - pages.begin();
    view.visible = at == Peek(c->parent)->selectedTab;
  } else {
    view.visible = !c->redrawSuspended;
  }
  return view;
}

void ResizeClient(plat::MainWindowHandle window, int clientWidth, int clientHeight) {
  ControlState* w = GetWindow(window, "ResizeClient");
  if (!w) return;
  ResizeWindow(*w, clientWidth, clientHeight);
  if (w->args.events) w->args.events->OnResize(clientWidth, clientHeight);
}

void SetDisplayDpi(int dpi) { S().displayDpi = dpi; }

void ChangeDpi(plat::MainWindowHandle window, int dpi, const plat::Rect& suggested) {
  ControlState* w = GetWindow(window, "ChangeDpi");
  if (!w || !plat::IsUsableDpi(dpi)) return;
  w->dpi = dpi;
  if (w->args.events) w->args.events->OnDpiChanged(dpi, suggested);
}

int FontHeightOf(plat::Control control) {
  const ControlState* c = Peek(control);
  return c ? c->fontHeight : 0;
}

int LiveFonts() { return S().fonts; }

void Command(plat::MainWindowHandle window, int commandId) {
  ControlState* w = GetWindow(window, "Command");
  if (w && w->args.events) w->args.events->OnCommand(commandId);
}

bool FireTimer(plat::MainWindowHandle window) {
  ControlState* w = GetWindow(window, "FireTimer");
  if (!w || !w->timerRunning || w->timerInterval == 0) return false;
  if (w->args.events) w->args.events->OnTimer();
  return true;
}

void SetMessageLoopBody(std::function<void()> body) { S().loopBody = std::move(body); }

namespace {
std::vector<MenuItem> Expand(std::uintptr_t menu) {
  std::vector<MenuItem> out;
  const Menu& m = S().menus[menu];
  for (std::size_t i = 0; i < m.items.size(); ++i) {
    MenuItem item = m.items[i];
    if (m.submenus[i]) item.items = Expand(m.submenus[i]);
    out.push_back(std::move(item));
  }
  return out;
}
}  // namespace

std::vector<MenuItem> MenuBar(plat::MainWindowHandle window) {
  const ControlState* c = Peek(window);
  if (!c || !c->menuBar) return {};
  return Expand(c->menuBar);
}

void ScriptMessageBoxAnswers(const std::vector<int>& answers) {
  S().answers.assign(answers.begin(), answers.end());
}

void SetMessageBoxHandler(std::function<int(const MessageBox&)> handler) {
  S().boxHandler = std::move(handler);
}

const std::vector<MessageBox>& MessageBoxesShown() { return S().boxes; }

}  // namespace fake
