// The yardstick for Varnex's own cost: a Win32 program that only runs a message loop with a
// 1-second timer on a hidden window. scripts/own-cost.sh runs it beside Varnex.exe under the
// same Wine and compares their CPU time and peak memory.

#include <windows.h>

namespace {

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"VarnexYardstick";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, L"VarnexYardstick", L"yardstick", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                100, nullptr, nullptr, instance, nullptr);
  SetTimer(window, 1, 1000, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
