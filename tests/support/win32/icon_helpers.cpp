#include "tests/support/win32/icon_helpers.h"

#include <windows.h>

#include <commctrl.h>

namespace icontest {

SolidIcon::SolidIcon(std::uint32_t colour) {
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  HBITMAP image = ::CreateCompatibleBitmap(screen, 16, 16);
  HBITMAP mask = ::CreateBitmap(16, 16, 1, 1, nullptr);
  const RECT all{0, 0, 16, 16};
  HGDIOBJ old = ::SelectObject(dc, image);
  HBRUSH brush = ::CreateSolidBrush(colour);
  ::FillRect(dc, &all, brush);
  ::DeleteObject(brush);
  ::SelectObject(dc, mask);
  ::PatBlt(dc, 0, 0, 16, 16, BLACKNESS);  // a black mask: every pixel opaque
  ::SelectObject(dc, old);
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmMask = mask;
  info.hbmColor = image;
  icon_ = plat::IconHandle{reinterpret_cast<std::uintptr_t>(::CreateIconIndirect(&info))};
  ::DeleteObject(image);
  ::DeleteObject(mask);
  ::DeleteDC(dc);
  ::ReleaseDC(nullptr, screen);
}

SolidIcon::~SolidIcon() { ::DestroyIcon(reinterpret_cast<HICON>(icon_.value)); }

void SetSmallIcon(plat::WindowHandle window, plat::IconHandle icon) {
  ::SendMessageA(reinterpret_cast<HWND>(window.value), WM_SETICON, ICON_SMALL,
                 static_cast<LPARAM>(icon.value));
}

std::vector<std::uint32_t> DrawnIconPixels(plat::Control list, int row) {
  HWND window = reinterpret_cast<HWND>(list.value);
  ::UpdateWindow(window);
  RECT area{};
  area.left = LVIR_ICON;
  if (!::SendMessageW(window, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&area))) return {};
  std::vector<std::uint32_t> pixels;
  HDC dc = ::GetDC(window);
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) pixels.push_back(::GetPixel(dc, x, y));
  }
  ::ReleaseDC(window, dc);
  return pixels;
}

}  // namespace icontest
