// The fake's top-level windows and synthesised input, behind platform/windows_input.h.

#include "platform/windows_input.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "platform/fake/call_log.h"
#include "platform/fake/control/os.h"

namespace fake {
namespace {

// Copies whole characters of the fake double-byte code page, at most length - 1 bytes.
int CopyAnsi(const Window* window, std::string Window::*text, char* buffer, int length) {
  if (buffer == nullptr || length <= 0) return 0;
  const std::string empty;
  const std::string& from = window ? window->*text : empty;
  std::size_t count = 0;
  while (count < from.size()) {
    const std::size_t width = static_cast<unsigned char>(from[count]) >= 0x81 ? 2 : 1;
    if (count + width > static_cast<std::size_t>(length - 1) || count + width > from.size()) break;
    count += width;
  }
  std::memcpy(buffer, from.data(), count);
  buffer[count] = '\0';
  return static_cast<int>(count);
}

}  // namespace

std::uintptr_t AddWindow(const Window& window) {
  auto os = Os();
  Window added = window;
  if (added.handle == 0) added.handle = (os->nextWindow += 0x10) - 0x10;
  if (added.threadId == 0) added.threadId = added.pid * 4 + 1;
  os->windows[added.handle] = added;
  os->zOrder.push_back(added.handle);
  return added.handle;
}

Window* FindWindow(std::uintptr_t handle) {
  auto os = Os();
  auto it = os->windows.find(handle);
  return it == os->windows.end() ? nullptr : &it->second;
}

void DestroyWindow(std::uintptr_t handle) { DestroyWindows({handle}); }

void DestroyWindows(const std::vector<std::uintptr_t>& handles) {
  auto os = Os();
  const std::unordered_set<std::uintptr_t> gone(handles.begin(), handles.end());
  for (std::uintptr_t handle : handles) os->windows.erase(handle);
  std::erase_if(os->zOrder, [&gone](std::uintptr_t w) { return gone.count(w) != 0; });
}

void MoveWindowToTop(std::uintptr_t handle) { SetZOrder({handle}); }

void SetZOrder(const std::vector<std::uintptr_t>& topFirst) {
  auto os = Os();
  std::unordered_map<std::uintptr_t, std::size_t> rank;
  for (std::size_t i = 0; i < topFirst.size(); ++i) rank.emplace(topFirst[i], i);
  const auto rankOf = [&](std::uintptr_t w) { return rank.count(w) ? rank[w] : topFirst.size(); };
  std::stable_sort(os->zOrder.begin(), os->zOrder.end(),
                   [&](std::uintptr_t a, std::uintptr_t b) { return rankOf(a) < rankOf(b); });
}

}  // namespace fake

namespace plat {

using fake::FindWindow;
using fake::detail::Log;

bool EnumWindows(EnumWindowsCallbackFn callback, void* param) {
  const std::vector<std::uintptr_t> handles = fake::Os()->zOrder;
  // The callback runs without the lock, so it may call back into the fake.
  for (std::uintptr_t handle : handles) {
    if (!callback(WindowHandle{handle}, param)) break;
  }
  return true;
}

std::int32_t GetWindowLongA(WindowHandle window, int index) {
  const fake::Window* found = FindWindow(window.value);
  return found && index == kGwlStyle ? found->style : 0;
}

int GetClassNameA(WindowHandle window, char* buffer, int length) {
  return fake::CopyAnsi(FindWindow(window.value), &fake::Window::className, buffer, length);
}

int GetWindowTextA(WindowHandle window, char* buffer, int length) {
  return fake::CopyAnsi(FindWindow(window.value), &fake::Window::title, buffer, length);
}

IconHandle GetClassIcon(WindowHandle window) {
  const fake::Window* found = FindWindow(window.value);
  return IconHandle{found ? found->classIcon : 0};
}

IconHandle SendGetIcon(WindowHandle window, int iconType, std::uint32_t timeoutMs, bool* answered) {
  auto os = fake::Os();
  Log("SendGetIcon", window.value, iconType, timeoutMs);
  *answered = false;
  const fake::Window* found = FindWindow(window.value);
  if (found == nullptr || found->hung) return {};
  if (found->closesOnMessage) {
    fake::DestroyWindow(window.value);
    return {};
  }
  os->iconWaitMs += std::min(found->answerDelayMs, timeoutMs);
  if (found->answerDelayMs > timeoutMs) return {};
  *answered = true;
  return IconHandle{iconType == kIconSmall ? found->smallIcon
                    : iconType == kIconBig ? found->bigIcon
                                           : 0};
}

std::uint32_t GetWindowThreadProcessId(WindowHandle window, std::uint32_t* processId) {
  const fake::Window* found = FindWindow(window.value);
  if (found == nullptr) return 0;
  if (processId) *processId = found->pid;
  return found->threadId;
}

bool SetForegroundWindow(WindowHandle window) {
  Log("SetForegroundWindow", window.value);
  if (FindWindow(window.value) == nullptr) return false;
  fake::Os()->foreground = window.value;
  return true;
}

void keybd_event(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                 std::uintptr_t extraInfo) {
  Log("keybd_event", virtualKey, scanCode, flags, extraInfo);
}

std::uint32_t MapVirtualKeyA(std::uint32_t code, std::uint32_t mapType) {
  auto os = fake::Os();
  auto it = os->scanCodes.find(code);
  return mapType == kMapVkVkToVsc && it != os->scanCodes.end() ? it->second : 0;
}

}  // namespace plat
