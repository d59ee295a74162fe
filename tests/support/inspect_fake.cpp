// The fake's side of the inspection layer, over its control API.

#include <chrono>

#include "platform/fake/control/drawing.h"
#include "platform/fake/control/gui.h"
#include "platform/fake/control/os.h"
#include "tests/support/inspect.h"

// The fake's own readers, and its row selection, which its control API does not offer yet.
namespace plat {
Rect ControlRect(Control control);
std::wstring ControlText(Control control);
int TabSelected(TabControlHandle tabs);
bool IsTopmost(MainWindowHandle window);
void ListSelectRow(ListViewHandle list, int row);
}  // namespace plat

namespace inspect {

std::uint64_t MonotonicMilliseconds() {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch())
                                        .count());
}

int ImageListCount(plat::ImageListHandle list) {
  return static_cast<int>(fake::ImageListIcons(list).size());
}

plat::Rect ControlRect(plat::Control control) { return plat::ControlRect(control); }
std::wstring ControlText(plat::Control control) { return plat::ControlText(control); }
int TabSelected(plat::TabControlHandle tabs) { return plat::TabSelected(tabs); }
bool IsTopmost(plat::MainWindowHandle window) { return plat::IsTopmost(window); }
void ListSelectRow(plat::ListViewHandle list, int row) { plat::ListSelectRow(list, row); }

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

}  // namespace inspect
