// The fake's side of the inspection layer, over its control API.

#include <chrono>
#include <thread>

#include "platform/fake/control/gui.h"
#include "platform/fake/control/os.h"
#include "tests/support/probe.h"

namespace probe {

std::uint64_t MonotonicMilliseconds() {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch())
                                        .count());
}

void Sleep(std::uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::uint32_t GetCurrentProcessId() { return fake::kOwnPid; }

int ImageListCount(plat::ImageListHandle list) {
  return static_cast<int>(fake::ImageListIcons(list).size());
}

plat::Rect ControlRect(plat::Control control) {
  const fake::ControlState& c = fake::Inspect(control);
  return c.isWindow ? c.outer : c.rect;
}
std::wstring ControlText(plat::Control control) { return fake::Inspect(control).caption; }
int TabSelected(plat::TabControlHandle tabs) { return fake::Inspect(tabs).selectedTab; }
bool IsTopmost(plat::MainWindowHandle window) { return fake::Inspect(window).topmost; }
void ListSelectRow(plat::ListViewHandle list, int row) {
  fake::ControlState& l = fake::TheGui().controls.at(list.value);
  l.selected = row >= 0 && row < static_cast<int>(l.rows.size()) ? row : -1;
}

plat::WindowHandle CreateTestWindow(const char* className, const char* title, bool visible) {
  return plat::WindowHandle{fake::AddWindow({.className = className,
                                             .title = title,
                                             .style = visible ? 0x10CF0000 : 0x00CF0000,
                                             .classIcon = 0x7F00})};
}

void DestroyTestWindow(plat::WindowHandle window) { fake::DestroyWindow(window.value); }

std::uintptr_t SetTestWindowSmallIcon(plat::WindowHandle window) {
  fake::FindWindow(window.value)->smallIcon = 0x7F05;
  return 0x7F05;
}

}  // namespace probe
