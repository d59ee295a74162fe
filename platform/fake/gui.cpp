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
  if (!S().logging) return;
  auto it = S().controls.find(control.value);
  std::string entry = op + " " + (it == S().controls.end() ? std::string("?") : it->second.name);
  if (!arg.empty()) entry += " " + arg;
  S().log.push_back(std::move(entry));
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

void RowChange(ControlState* list) {
  if (list && list->failCountdown > 0 && --list->failCountdown == 0) {
    list->failCountdown = 1;
    throw std::runtime_error("row change failed in " + list->name);
  }
}

Row* GetRow(ControlState* list, int row, const char* op) {
  if (!list) return nullptr;
  if (row < 0 || row >= static_cast<int>(list->rows.size())) {
    Violation(std::string(op) + ": row " + std::to_string(row) + " out of range in " + list->name);
    return nullptr;
  }
  return list->rows[row].get();
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

void DockStatusBars(plat::Control parent) {
  const ControlState* p = Peek(parent);
  if (!p) return;
  for (auto& [handle, c] : S().controls) {
    if (c.parent != parent || c.isWindow || c.kind != plat::ControlKind::StatusBar) continue;
    c.rect = plat::Rect{0, p->rect.height - c.barHeight, p->rect.width, c.barHeight};
  }
}

namespace {

// Gives the main window a client area of that size; its outer size follows.
void ResizeWindow(ControlState& w, plat::Control window, int clientWidth, int clientHeight) {
  w.rect.width = clientWidth;
  w.rect.height = clientHeight;
  w.outer.width = clientWidth + fake::kFrameWidth;
  w.outer.height = clientHeight + fake::kFrameHeight;
  DockStatusBars(window);
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
  state.rect =
      Rect{0, 0, args.outerWidth - fake::kFrameWidth, args.outerHeight - fake::kFrameHeight};
  state.outer = Rect{std::max(0, (fake::kDesktopWidth - args.outerWidth) / 2),
                     std::max(0, (fake::kDesktopHeight - args.outerHeight) / 2), args.outerWidth,
                     args.outerHeight};
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
  for (auto& [handle, c] : S().controls) {
    for (Control p = c.parent; p; p = S().controls[p.value].parent) {
      if (p == window) c.destroyed = true;
    }
  }
  if (S().logging) S().log.push_back("CloseMainWindow MainForm");
}

int RunMessageLoop() {
  if (S().loopBody) {
    auto body = std::move(S().loopBody);
    S().loopBody = nullptr;
    body();
  }
  return 0;
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
  if (args.kind == ControlKind::StatusBar) {
    state.barHeight = args.rect.height > 0 ? args.rect.height : fake::kStatusBarHeight;
  }
  Control control = NewControl(std::move(state));
  ControlState& p = S().controls[args.parent.value];
  if (args.kind == ControlKind::TabPage && !p.isWindow && p.kind == ControlKind::TabControl) {
    p.pages.push_back(control);
    if (p.selectedTab < 0) p.selectedTab = 0;
    Rect display = TabDisplayRect(TabControlHandle{args.parent}, p.rect.width, p.rect.height);
    S().controls[control.value].rect = display;
  }
  if (args.kind == ControlKind::StatusBar) fake::gui::DockStatusBars(args.parent);
  return control;
}

void MoveControl(Control control, const Rect& rect) {
  ControlState* c = Get(control, "MoveControl");
  if (!c) return;
  if (c->isWindow) {
    c->outer = rect;
    ResizeWindow(*c, control, rect.width - fake::kFrameWidth, rect.height - fake::kFrameHeight);
  } else {
    c->rect = rect;
  }
  if (!c->isWindow && c->kind == ControlKind::TabControl) {
    const Rect display = TabDisplayRect(TabControlHandle{control}, rect.width, rect.height);
    for (Control page : c->pages) S().controls[page.value].rect = display;
  }
  if (!c->isWindow && c->kind == ControlKind::StatusBar && rect.height > 0) {
    c->barHeight = rect.height;  // docking keeps the latest height
  }
  Log("MoveControl", control);
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
  if (!c) return;
  ++c->repaints;
  Log("RepaintNow", control);
}

int ShowMessageBox(Control owner, const std::wstring& text, const std::wstring& caption,
                   std::uint32_t flags) {
  fake::MessageBox box{owner, text, caption, flags};
  S().boxes.push_back(box);
  if (S().logging) S().log.push_back("ShowMessageBox");
  ++S().boxesOpen;
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
  --S().boxesOpen;
  return answer;
}

}  // namespace plat

namespace fake {

void ResetGui() {
  S() = State{};
  ResetImageLists();
}

const std::vector<std::string>& Violations() { return S().violations; }
const std::vector<std::string>& GuiLog() { return S().log; }
void ClearGuiLog() {
  S().log.clear();
  S().logging = true;
}

plat::Control FindControl(const std::string& name) {
  for (std::uintptr_t handle : S().order) {
    if (S().controls[handle].name == name) return plat::Control{handle};
  }
  return {};
}

plat::MainWindowHandle MainWindow() { return plat::MainWindowHandle{S().mainWindow}; }

plat::ControlKind KindOf(plat::Control control) {
  const ControlState* c = Peek(control);
  return c ? c->kind : plat::ControlKind::Button;
}

std::string NameOf(plat::Control control) {
  const ControlState* c = Peek(control);
  return c ? c->name : std::string();
}

plat::Control ParentOf(plat::Control control) {
  const ControlState* c = Peek(control);
  return c ? c->parent : plat::Control{};
}

int CommandIdOf(plat::Control control) {
  const ControlState* c = Peek(control);
  return c ? c->commandId : 0;
}

std::vector<plat::Control> ChildrenOf(plat::Control parent) {
  std::vector<plat::Control> out;
  for (std::uintptr_t handle : S().order) {
    if (S().controls[handle].parent == parent) out.push_back(plat::Control{handle});
  }
  return out;
}

bool IsDestroyed(plat::Control control) {
  const ControlState* c = Peek(control);
  return !c || c->destroyed;
}

bool IsShown(plat::MainWindowHandle window) {
  const ControlState* c = Peek(window);
  return c && c->shown;
}

bool IsVisible(plat::Control control) {
  const ControlState* c = Peek(control);
  if (!c || c->destroyed) return false;
  if (c->isWindow) return c->shown;
  if (c->kind == plat::ControlKind::TabPage) {
    const ControlState* tabs = Peek(c->parent);
    const auto& pages = tabs->pages;
    const auto at = std::find(pages.begin(), pages.end(), control) - pages.begin();
    return at == tabs->selectedTab;
  }
  return !c->redrawSuspended;
}

plat::MainWindowArgs MainWindowArgsOf(plat::MainWindowHandle window) {
  const ControlState* c = Peek(window);
  return c ? c->args : plat::MainWindowArgs{};
}

void ResizeClient(plat::MainWindowHandle window, int clientWidth, int clientHeight) {
  ControlState* w = GetWindow(window, "ResizeClient");
  if (!w) return;
  ResizeWindow(*w, window, clientWidth, clientHeight);
  if (w->args.events) w->args.events->OnResize(clientWidth, clientHeight);
}

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

bool TimerRunning(plat::MainWindowHandle window) {
  const ControlState* c = Peek(window);
  return c && c->timerRunning;
}

std::uint32_t TimerInterval(plat::MainWindowHandle window) {
  const ControlState* c = Peek(window);
  return c ? c->timerInterval : 0;
}

bool DoubleBuffered(plat::MainWindowHandle window) {
  const ControlState* c = Peek(window);
  return c && c->doubleBuffered;
}

int RepaintCount(plat::Control control) {
  const ControlState* c = Peek(control);
  return c ? c->repaints : 0;
}

void ScriptMessageBoxAnswers(const std::vector<int>& answers) {
  S().answers.assign(answers.begin(), answers.end());
}

void SetMessageBoxHandler(std::function<int(const MessageBox&)> handler) {
  S().boxHandler = std::move(handler);
}

const std::vector<MessageBox>& MessageBoxesShown() { return S().boxes; }

bool MessageBoxOpen() { return S().boxesOpen > 0; }

}  // namespace fake
