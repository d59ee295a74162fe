// Top-level windows, their icons and owners, and synthesised input on Win32.

#include <windows.h>

#include <exception>

#include "platform/win32/win32_util.h"
#include "platform/windows_input.h"

namespace {

using win32::ToHwnd;

struct EnumContext {
  plat::EnumWindowsCallbackFn callback;
  void* param;
  std::exception_ptr failure;
};

// An exception must not unwind through the system's frames: it stops the enumeration
// here and is thrown again once EnumWindows has returned.
BOOL CALLBACK EnumTrampoline(HWND window, LPARAM lParam) {
  auto* context = reinterpret_cast<EnumContext*>(lParam);
  try {
    return context->callback(win32::FromHwnd(window), context->param) ? TRUE : FALSE;
  } catch (...) {
    context->failure = std::current_exception();
    return FALSE;
  }
}

}  // namespace

namespace plat {

bool EnumWindows(EnumWindowsCallbackFn callback, void* param) {
  EnumContext context{callback, param, nullptr};
  const BOOL ok = ::EnumWindows(EnumTrampoline, reinterpret_cast<LPARAM>(&context));
  if (context.failure) std::rethrow_exception(context.failure);
  return ok != FALSE;
}

std::int32_t GetWindowLongA(WindowHandle window, int index) {
  return ::GetWindowLongA(ToHwnd(window), index);
}

int GetClassNameA(WindowHandle window, char* buffer, int length) {
  return ::GetClassNameA(ToHwnd(window), buffer, length);
}

int GetWindowTextA(WindowHandle window, char* buffer, int length) {
  return ::GetWindowTextA(ToHwnd(window), buffer, length);
}

IconHandle GetClassIcon(WindowHandle window) {
  return IconHandle{static_cast<std::uintptr_t>(::GetClassLongPtrA(ToHwnd(window), GCLP_HICON))};
}

IconHandle SendGetIcon(WindowHandle window, int iconType, std::uint32_t timeoutMs, bool* answered) {
  DWORD_PTR result = 0;
  // SMTO_ABORTIFHUNG returns at once for a window the system already knows as hung.
  const LRESULT ok =
      ::SendMessageTimeoutW(ToHwnd(window), WM_GETICON, static_cast<WPARAM>(iconType), 0,
                            SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs, &result);
  *answered = ok != 0;
  return IconHandle{ok != 0 ? static_cast<std::uintptr_t>(result) : 0};
}

std::uint32_t GetWindowThreadProcessId(WindowHandle window, std::uint32_t* processId) {
  DWORD pid = 0;
  const DWORD thread = ::GetWindowThreadProcessId(ToHwnd(window), &pid);
  if (thread != 0 && processId != nullptr) *processId = pid;
  return thread;
}

bool SetForegroundWindow(WindowHandle window) {
  return ::SetForegroundWindow(ToHwnd(window)) != FALSE;
}

void keybd_event(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                 std::uintptr_t extraInfo) {
  ::keybd_event(virtualKey, scanCode, flags, static_cast<ULONG_PTR>(extraInfo));
}

std::uint32_t MapVirtualKeyA(std::uint32_t code, std::uint32_t mapType) {
  return ::MapVirtualKeyA(code, mapType);
}

}  // namespace plat
