// The fake's top-level windows and synthesised input, behind platform/windows_input.h.

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/constants.h"
#include "platform/fake/call_record.h"
#include "platform/fake/control/windows_input.h"
#include "platform/fake/os_state.h"
#include "platform/windows_input.h"

namespace fake {
namespace {

struct WindowState {
  std::vector<Window> windows;  // Z order, topmost first
  // Handle -> position in `windows` by open addressing (a handle of 0 marks a free slot);
  // rebuilt in place on the first lookup after the order changed.
  std::vector<std::pair<std::uintptr_t, std::size_t>> positions;
  bool positionsStale = true;
  std::size_t hint = 0;  // the last position found: enumerations ask in Z order
  std::uintptr_t nextHandle = 0x10010;
  std::uint64_t iconWaitMs = 0;
  CallRecord<IconQuery> iconQueries;
  std::vector<std::uintptr_t> foregroundRequests;
  std::uintptr_t foreground = 0;
  std::vector<KeyEvent> keyEvents;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> scanCodes{{plat::kVkLWin, 0x5B},
                                                                 {plat::kVkR, 0x13}};
};

std::recursive_mutex windowMutex;
WindowState windowState;

std::size_t PositionSlot(std::uintptr_t handle) {
  auto& slots = windowState.positions;
  const std::size_t mask = slots.size() - 1;
  std::size_t i = static_cast<std::size_t>((handle * 0x9E3779B97F4A7C15ull) >> 32) & mask;
  while (slots[i].first != 0 && slots[i].first != handle) i = (i + 1) & mask;
  return i;
}

Window* FindLocked(std::uintptr_t handle) {
  auto& s = windowState;
  for (std::size_t i : {s.hint, s.hint + 1}) {
    if (i < s.windows.size() && s.windows[i].handle == handle) return &s.windows[(s.hint = i)];
  }
  if (handle == 0) return nullptr;
  if (s.positionsStale) {
    std::size_t size = 16;
    while (size < 2 * s.windows.size()) size *= 2;
    s.positions.assign(size, {0, 0});
    for (std::size_t i = 0; i < s.windows.size(); ++i) {
      const std::uintptr_t h = s.windows[i].handle;
      if (h != 0) s.positions[PositionSlot(h)] = {h, i};
    }
    s.positionsStale = false;
  }
  const auto& found = s.positions[PositionSlot(handle)];
  if (found.first != handle) return nullptr;
  s.hint = found.second;
  return &s.windows[s.hint];
}

// Copies whole characters of the fake double-byte code page, at most length - 1 bytes.
int CopyAnsi(const std::string& text, char* buffer, int length) {
  if (buffer == nullptr || length <= 0) return 0;
  std::size_t count = 0;
  const auto limit = static_cast<std::size_t>(length - 1);
  while (count < text.size()) {
    const std::size_t width = static_cast<unsigned char>(text[count]) >= 0x81 ? 2 : 1;
    if (count + width > limit || count + width > text.size()) break;
    count += width;
  }
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return static_cast<int>(count);
}

}  // namespace

namespace detail {

void ResetWindowsState() {
  std::lock_guard lock(windowMutex);
  windowState = WindowState{};
}

void DestroyWindowsOfProcess(std::uint32_t pid) {
  std::lock_guard lock(windowMutex);
  std::erase_if(windowState.windows, [pid](const Window& w) { return w.pid == pid; });
  windowState.positionsStale = true;
}

}  // namespace detail

std::uintptr_t AddWindow(const Window& window) {
  std::lock_guard lock(windowMutex);
  Window added = window;
  if (added.handle == 0) {
    added.handle = windowState.nextHandle;
    windowState.nextHandle += 0x10;
  }
  if (added.threadId == 0) added.threadId = added.pid * 4 + 1;
  windowState.windows.push_back(added);
  windowState.positionsStale = true;
  return added.handle;
}

Window* FindWindow(std::uintptr_t handle) {
  std::lock_guard lock(windowMutex);
  return FindLocked(handle);
}

void DestroyWindow(std::uintptr_t handle) { DestroyWindows({handle}); }

void DestroyWindows(const std::vector<std::uintptr_t>& handles) {
  std::lock_guard lock(windowMutex);
  std::erase_if(windowState.windows, [&handles](const Window& w) {
    return std::find(handles.begin(), handles.end(), w.handle) != handles.end();
  });
  windowState.positionsStale = true;
}

void MoveWindowToTop(std::uintptr_t handle) {
  std::lock_guard lock(windowMutex);
  auto& windows = windowState.windows;
  auto it = std::find_if(windows.begin(), windows.end(),
                         [handle](const Window& w) { return w.handle == handle; });
  if (it != windows.end()) std::rotate(windows.begin(), it, it + 1);
  windowState.positionsStale = true;
}

void SetZOrder(const std::vector<std::uintptr_t>& topFirst) {
  std::lock_guard lock(windowMutex);
  std::unordered_map<std::uintptr_t, std::size_t> rank;
  for (std::size_t i = 0; i < topFirst.size(); ++i) rank.emplace(topFirst[i], i);
  auto rankOf = [&rank, &topFirst](const Window& w) {
    const auto found = rank.find(w.handle);
    return found == rank.end() ? topFirst.size() : found->second;
  };
  std::stable_sort(windowState.windows.begin(), windowState.windows.end(),
                   [&rankOf](const Window& a, const Window& b) { return rankOf(a) < rankOf(b); });
  windowState.positionsStale = true;
}

std::uint64_t IconWaitMs() {
  std::lock_guard lock(windowMutex);
  return windowState.iconWaitMs;
}

std::vector<IconQuery> IconQueries() {
  std::lock_guard lock(windowMutex);
  return windowState.iconQueries.Calls();
}

void ClearIconQueries() {
  std::lock_guard lock(windowMutex);
  windowState.iconQueries.Start();
}

std::vector<std::uintptr_t> ForegroundRequests() {
  std::lock_guard lock(windowMutex);
  return windowState.foregroundRequests;
}

std::uintptr_t ForegroundWindow() {
  std::lock_guard lock(windowMutex);
  return windowState.foreground;
}

std::vector<KeyEvent> KeyEvents() {
  std::lock_guard lock(windowMutex);
  return windowState.keyEvents;
}

void SetScanCode(std::uint32_t virtualKey, std::uint32_t scanCode) {
  std::lock_guard lock(windowMutex);
  for (auto& entry : windowState.scanCodes) {
    if (entry.first == virtualKey) {
      entry.second = scanCode;
      return;
    }
  }
  windowState.scanCodes.emplace_back(virtualKey, scanCode);
}

}  // namespace fake

namespace plat {

using fake::windowMutex;
using fake::windowState;

bool EnumWindows(EnumWindowsCallbackFn callback, void* param) {
  std::vector<std::uintptr_t> handles;
  {
    std::lock_guard lock(windowMutex);
    for (const fake::Window& window : windowState.windows) handles.push_back(window.handle);
  }
  // The callback runs without the lock, so it may call back into the fake.
  for (std::uintptr_t handle : handles) {
    if (!callback(WindowHandle{handle}, param)) break;
  }
  return true;
}

std::int32_t GetWindowLongA(WindowHandle window, int index) {
  std::lock_guard lock(windowMutex);
  const fake::Window* found = fake::FindLocked(window.value);
  if (found == nullptr || index != kGwlStyle) return 0;
  return found->style;
}

int GetClassNameA(WindowHandle window, char* buffer, int length) {
  std::lock_guard lock(windowMutex);
  const fake::Window* found = fake::FindLocked(window.value);
  if (found == nullptr) return fake::CopyAnsi("", buffer, length);
  return fake::CopyAnsi(found->className, buffer, length);
}

int GetWindowTextA(WindowHandle window, char* buffer, int length) {
  std::lock_guard lock(windowMutex);
  const fake::Window* found = fake::FindLocked(window.value);
  if (found == nullptr) return fake::CopyAnsi("", buffer, length);
  return fake::CopyAnsi(found->title, buffer, length);
}

IconHandle GetClassIcon(WindowHandle window) {
  std::lock_guard lock(windowMutex);
  const fake::Window* found = fake::FindLocked(window.value);
  return IconHandle{found ? found->classIcon : 0};
}

IconHandle SendGetIcon(WindowHandle window, int iconType, std::uint32_t timeoutMs, bool* answered) {
  std::lock_guard lock(windowMutex);
  windowState.iconQueries.Add({window.value, iconType, timeoutMs});
  *answered = false;
  const fake::Window* found = fake::FindLocked(window.value);
  if (found == nullptr || found->hung) return {};
  if (found->closesOnMessage) {
    fake::DestroyWindow(window.value);
    return {};
  }
  if (found->answerDelayMs > timeoutMs) {
    windowState.iconWaitMs += timeoutMs;
    return {};
  }
  windowState.iconWaitMs += found->answerDelayMs;
  *answered = true;
  if (iconType == kIconSmall) return IconHandle{found->smallIcon};
  if (iconType == kIconBig) return IconHandle{found->bigIcon};
  return {};
}

std::uint32_t GetWindowThreadProcessId(WindowHandle window, std::uint32_t* processId) {
  std::lock_guard lock(windowMutex);
  const fake::Window* found = fake::FindLocked(window.value);
  if (found == nullptr) return 0;
  if (processId) *processId = found->pid;
  return found->threadId;
}

bool SetForegroundWindow(WindowHandle window) {
  std::lock_guard lock(windowMutex);
  windowState.foregroundRequests.push_back(window.value);
  if (fake::FindLocked(window.value) == nullptr) return false;
  windowState.foreground = window.value;
  return true;
}

void keybd_event(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                 std::uintptr_t extraInfo) {
  std::lock_guard lock(windowMutex);
  windowState.keyEvents.push_back({virtualKey, scanCode, flags, extraInfo});
}

std::uint32_t MapVirtualKeyA(std::uint32_t code, std::uint32_t mapType) {
  std::lock_guard lock(windowMutex);
  if (mapType != kMapVkVkToVsc) return 0;
  for (const auto& entry : windowState.scanCodes) {
    if (entry.first == code) return entry.second;
  }
  return 0;
}

}  // namespace plat
