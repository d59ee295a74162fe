// The simulated GUI behind platform/gui.h: the main window, creating and placing controls,
// menus, the timer, message boxes and the message loop (the controls' own operations are in
// gui_controls.cpp).

#include "platform/gui.h"

#include <algorithm>
#include <utility>

#include "platform/constants.h"
#include "platform/fake/gui_state.h"

namespace fake {

Gui& TheGui() {
  static Gui gui;
  return gui;
}

namespace gui {

std::uintptr_t NewHandle() { return (TheGui().nextHandle += 4) - 4; }

void Violation(std::string text) { TheGui().violations.push_back(std::move(text)); }

void Log(const char* op, plat::Control control, const std::string& arg) {
  if (!detail::callLog.on) return;
  const std::string& name = Inspect(control).name;
  if (arg.empty()) return detail::Log(op, name.empty() ? "?" : name);
  detail::Log(op, name.empty() ? "?" : name, arg);
}

ControlState* Get(plat::Control control, const char* op) {
  auto it = TheGui().controls.find(control.value);
  if (it == TheGui().controls.end()) Violation(std::string(op) + ": no such control");
  return it == TheGui().controls.end() || it->second.destroyed ? nullptr : &it->second;
}

ControlState* GetKind(plat::Control control, plat::ControlKind kind, const char* op) {
  ControlState* c = Get(control, op);
  if (!c || (!c->isWindow && c->kind == kind)) return c;
  return Violation(std::string(op) + ": wrong kind of control " + c->name), nullptr;
}

ControlState* GetWindow(plat::Control window, const char* op) {
  ControlState* c = Get(window, op);
  if (!c || c->isWindow) return c;
  return Violation(std::string(op) + ": not a main window: " + c->name), nullptr;
}

Row* GetRow(ControlState* list, int row, const char* op) {
  if (!list) return nullptr;
  if (row >= 0 && row < static_cast<int>(list->rows.size())) return &list->rows[row];
  Violation(std::string(op) + ": row " + std::to_string(row) + " out of range in " + list->name);
  return nullptr;
}

namespace {

// Gives the main window a client area of that size; its outer size follows.
void ResizeWindow(ControlState& w, int clientWidth, int clientHeight) {
  w.rect = {0, 0, clientWidth, clientHeight};
  w.outer.width = clientWidth + kFrameWidth;
  w.outer.height = clientHeight + kFrameHeight;
}

// The main window that holds `control` (or is it).
plat::Control RootOf(plat::Control control) {
  while (!Inspect(control).isWindow && Inspect(control).parent) control = Inspect(control).parent;
  return control;
}

plat::Control NewControl(ControlState state) {
  const plat::Control handle{NewHandle()};
  TheGui().controls.emplace(handle.value, std::move(state));
  return handle;
}

bool MenuHasCommand(std::uintptr_t menu, int commandId) {
  for (const auto& [item, submenu] : TheGui().menus[menu]) {
    if (submenu ? MenuHasCommand(submenu, commandId) : item.commandId == commandId) return true;
  }
  return false;
}

std::vector<MenuItem> Expand(std::uintptr_t menu) {
  std::vector<MenuItem> out;
  for (const auto& [item, submenu] : TheGui().menus[menu]) {
    out.push_back(item);
    if (submenu) out.back().items = Expand(submenu);
  }
  return out;
}

}  // namespace
}  // namespace gui

void ResetGui() {
  detail::StopCallLog();
  TheGui() = Gui{};
}

const ControlState& Inspect(plat::Control control) {
  static const ControlState unknown{.destroyed = true};
  auto it = TheGui().controls.find(control.value);
  return it == TheGui().controls.end() ? unknown : it->second;
}

bool IsVisible(plat::Control control) {
  const ControlState& c = Inspect(control);
  if (c.destroyed || c.isWindow) return !c.destroyed && c.shown;
  if (c.kind != plat::ControlKind::TabPage) return !c.redrawSuspended;
  const std::vector<plat::Control>& pages = Inspect(c.parent).pages;
  return std::find(pages.begin(), pages.end(), control) - pages.begin() ==
         Inspect(c.parent).selectedTab;
}

plat::Control FindControl(const std::string& name) {
  for (const auto& [handle, c] : TheGui().controls) {
    if (c.name == name) return plat::Control{handle};
  }
  return {};
}

std::vector<plat::Control> ChildrenOf(plat::Control parent) {
  std::vector<plat::Control> out;
  for (const auto& [handle, c] : TheGui().controls) {
    if (c.parent == parent) out.push_back(plat::Control{handle});
  }
  return out;
}

std::vector<MenuItem> MenuBar(plat::MainWindowHandle window) {
  const std::uintptr_t bar = Inspect(window).menuBar;
  return bar ? gui::Expand(bar) : std::vector<MenuItem>{};
}

void ResizeClient(plat::MainWindowHandle window, int clientWidth, int clientHeight) {
  ControlState* w = gui::GetWindow(window, "ResizeClient");
  if (!w) return;
  gui::ResizeWindow(*w, clientWidth, clientHeight);
  if (w->mainWindowArgs.events) w->mainWindowArgs.events->OnResize(clientWidth, clientHeight);
}

void ChangeDpi(plat::MainWindowHandle window, int dpi, const plat::Rect& suggested) {
  ControlState* w = gui::GetWindow(window, "ChangeDpi");
  if (!w || !plat::IsUsableDpi(dpi)) return;
  w->dpi = dpi;
  if (w->mainWindowArgs.events) w->mainWindowArgs.events->OnDpiChanged(dpi, suggested);
}

void Command(plat::MainWindowHandle window, int commandId) {
  ControlState* w = gui::GetWindow(window, "Command");
  if (w && w->mainWindowArgs.events) w->mainWindowArgs.events->OnCommand(commandId);
}

bool FireTimer(plat::MainWindowHandle window) {
  ControlState* w = gui::GetWindow(window, "FireTimer");
  if (!w || !w->timerRunning || w->timerInterval == 0) return false;
  if (w->mainWindowArgs.events) w->mainWindowArgs.events->OnTimer();
  return true;
}

}  // namespace fake

using fake::ControlState;
using fake::TheGui;
using fake::gui::Get;
using fake::gui::GetWindow;
using fake::gui::Log;
using fake::gui::Violation;

namespace plat {

MainWindowHandle CreateMainWindow(const MainWindowArgs& args) {
  TheGui().mainWindow =
      fake::gui::NewControl({.isWindow = true,
                             .name = "MainForm",
                             .caption = args.caption,
                             .mainWindowArgs = args,
                             .outer = {0, 0, fake::kFrameWidth, fake::kFrameHeight},
                             .dpi = TheGui().displayDpi});
  return MainWindowHandle{TheGui().mainWindow};
}

void ShowMainWindow(MainWindowHandle window) {
  ControlState* w = GetWindow(window, "ShowMainWindow");
  if (!w || w->shown) return;
  w->shown = true;
  if (WindowEvents* events = w->mainWindowArgs.events) {
    const Rect client = w->rect;
    events->OnShow();
    events->OnResize(client.width, client.height);
  }
}

void CloseMainWindow(MainWindowHandle window) {
  ControlState* w = GetWindow(window, "CloseMainWindow");
  if (!w) return;
  if (w->mainWindowArgs.events) w->mainWindowArgs.events->OnClose();
  w = GetWindow(window, "CloseMainWindow");
  if (!w) return;
  w->destroyed = true;
  w->timerRunning = false;
  if (w->fontHeight != 0) --TheGui().fonts;  // the window's font goes with it
  for (auto& [handle, c] : TheGui().controls) {
    if (fake::gui::RootOf(Control{handle}) == window) c.destroyed = true;
  }
  Log("CloseMainWindow", window);
}

int RunMessageLoop() {
  auto body = std::exchange(TheGui().loopBody, nullptr);
  if (body) body();
  return 0;
}

int WindowDpi(MainWindowHandle window) {
  ControlState* w = GetWindow(window, "WindowDpi");
  return w ? w->dpi : 96;
}

Rect DesktopRect() { return Rect{0, 0, 1024, 768}; }

void SetWindowFont(MainWindowHandle window, int pixelHeight) {
  ControlState* w = GetWindow(window, "SetWindowFont");
  if (!w) return;
  if (w->fontHeight == 0) ++TheGui().fonts;  // else the new font replaces the old one
  for (auto& [handle, c] : TheGui().controls) {
    if (!c.destroyed && fake::gui::RootOf(Control{handle}) == window) c.fontHeight = pixelHeight;
  }
  Log("SetWindowFont", window, std::to_string(pixelHeight));
}

Rect ClientRect(Control control) {
  ControlState* c = Get(control, "ClientRect");
  return c ? Rect{0, 0, c->rect.width, c->rect.height} : Rect{};
}

Control CreateControl(const ControlArgs& args) {
  ControlState* parent = Get(args.parent, "CreateControl");
  if (!parent) return {};
  const bool page = args.kind == ControlKind::TabPage;
  if (page && (parent->isWindow || parent->kind != ControlKind::TabControl))
    return Violation(std::string("CreateControl: page outside a tab control: ") + args.name),
           Control{};
  const Control control = fake::gui::NewControl(
      {.kind = args.kind,
       .name = args.name,
       .caption = args.caption,
       .rect = page ? TabDisplayRect(TabControlHandle{args.parent}, parent->rect.width,
                                     parent->rect.height)
                    : args.rect,
       .parent = args.parent,
       .commandId = args.commandId,
       .fontHeight = fake::Inspect(fake::gui::RootOf(args.parent)).fontHeight});
  if (page) {
    parent->pages.push_back(control);
    parent->selectedTab = std::max(parent->selectedTab, 0);
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
    fake::gui::ResizeWindow(*c, rect.width - fake::kFrameWidth, rect.height - fake::kFrameHeight);
    if (c->shown && c->mainWindowArgs.events && !(c->rect == before)) {
      c->mainWindowArgs.events->OnResize(c->rect.width, c->rect.height);
    }
    return;
  }
  c->rect = rect;
  for (Control page : c->pages) {
    TheGui().controls[page.value].rect =
        TabDisplayRect(TabControlHandle{control}, rect.width, rect.height);
  }
}


MenuHandle CreateMenuBar(MainWindowHandle window) {
  ControlState* w = GetWindow(window, "CreateMenuBar");
  if (!w) return {};
  w->menuBar = fake::gui::NewHandle();
  TheGui().menus[w->menuBar];
  return MenuHandle{w->menuBar};
}

MenuHandle AddSubMenu(MenuHandle parent, const std::wstring& caption) {
  if (!TheGui().menus.count(parent.value))
    return Violation("AddSubMenu: no such menu"), MenuHandle{};
  const MenuHandle sub{fake::gui::NewHandle()};
  TheGui().menus[sub.value];
  TheGui().menus[parent.value].push_back({fake::MenuItem{caption, 0, {}}, sub.value});
  return sub;
}

void AddMenuItem(MenuHandle parent, const std::wstring& caption, int commandId) {
  if (!TheGui().menus.count(parent.value)) return Violation("AddMenuItem: no such menu");
  if (commandId == 0) Violation("AddMenuItem: command id 0");
  TheGui().menus[parent.value].push_back({fake::MenuItem{caption, commandId, {}}, 0});
}

void SetMenuChecked(MainWindowHandle window, int commandId, bool checked) {
  ControlState* w = GetWindow(window, "SetMenuChecked");
  if (!w) return;
  if (!w->menuBar || !fake::gui::MenuHasCommand(w->menuBar, commandId))
    return Violation("SetMenuChecked: no item " + std::to_string(commandId));
  w->checks[commandId] = checked;
}

bool IsMenuChecked(MainWindowHandle window, int commandId) {
  ControlState* w = GetWindow(window, "IsMenuChecked");
  return w && w->checks[commandId];
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
  if (ControlState* w = GetWindow(window, "SetTopmost")) w->topmost = topmost;
}


void SetDoubleBuffered(MainWindowHandle window) {
  if (ControlState* w = GetWindow(window, "SetDoubleBuffered")) w->doubleBuffered = true;
}

void RepaintNow(Control control) {
  if (Get(control, "RepaintNow")) Log("RepaintNow", control);
}

int ShowMessageBox(Control owner, const std::wstring& text, const std::wstring& caption,
                   std::uint32_t flags) {
  fake::Gui& gui = TheGui();
  const fake::MessageBox box{owner, text, caption, flags};
  gui.boxes.push_back(box);
  fake::detail::Log("ShowMessageBox");
  if (gui.boxHandler) return std::function(gui.boxHandler)(box);
  if (gui.answers.empty()) return (flags & kMbTypeMask) == kMbYesNo ? kIdNo : kIdOk;
  const int answer = gui.answers.front();
  gui.answers.pop_front();
  return answer;
}

}  // namespace plat
