// The real main window at the display's scale (the test command runs these at 96 dpi and
// again in a prefix set to 144): the table scaled, every control inside its parent, every
// caption whole in its control's font, Button4 clear of the tab captions; a move between
// scales.

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/CpuUseage.h"
#include "app/commands.h"
#include "app/form_member.h"
#include "app/performance_page.h"
#include "tests/support/control_table.h"
#include "tests/windows/main_form_fixture_win32.h"

namespace {

using plat::Rect;

HWND H(plat::Control control) { return reinterpret_cast<HWND>(control.value); }
double At(int logical, int dpi) { return logical * dpi / 96.0; }  // rounding left to the test

// The extent of `text` (its '&' marks left out) in the control's font; with no text, cy is
// the font's character height.
SIZE Measure(HWND control, std::wstring text = L"") {
  std::erase(text, L'&');
  HDC dc = ::GetDC(control);
  HGDIOBJ old =
      ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
  SIZE size{};
  TEXTMETRICW metrics{};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  ::GetTextMetricsW(dc, &metrics);
  if (text.empty()) size.cy = metrics.tmHeight - metrics.tmInternalLeading;
  ::SelectObject(dc, old);
  ::ReleaseDC(control, dc);
  return size;
}

using GuiDpi = MainFormTest;

TEST_F(GuiDpi, TheTableIsScaledAndEveryTextIsWhole) {
  const int dpi = plat::WindowDpi(form->Handle);
  EXPECT_NEAR(plat::ControlRect(form->Handle).width, At(434, dpi), 1);
  EXPECT_NEAR(Measure(H(form->Button1)).cy, At(8 * 4, dpi) / 3, 1);  // 8 points
  for (const testtable::ExpectedControl& e : testtable::kControls) {
    const Rect r = plat::ControlRect(e.member.Get(*form));
    if (e.kind == plat::ControlKind::TabPage || e.kind == plat::ControlKind::StatusBar) continue;
    EXPECT_NEAR(r.left, At(e.rect.left, dpi), 2) << e.name;
    EXPECT_NEAR(r.top, At(e.rect.top, dpi), 2) << e.name;
    EXPECT_NEAR(r.width, At(e.rect.width, dpi), 2) << e.name;
    EXPECT_NEAR(r.height, At(e.rect.height, dpi), 2) << e.name;
  }

  form->Show();
  form->TimerTimer();  // fills the status texts
  std::printf("at %d dpi: Button1 %d,%d %dx%d, CpuImg %dx%d, font %d\n", dpi,
              plat::ControlRect(form->Button1).left, plat::ControlRect(form->Button1).top,
              plat::ControlRect(form->Button1).width, plat::ControlRect(form->Button1).height,
              plat::ControlRect(form->CpuImg).width, plat::ControlRect(form->CpuImg).height,
              static_cast<int>(Measure(H(form->Button1)).cy));
  for (const testtable::ExpectedControl& e : testtable::kControls) {
    const Rect r = plat::ControlRect(e.member.Get(*form));
    const Rect parent = plat::ClientRect(
        plat::Control{reinterpret_cast<std::uintptr_t>(::GetParent(H(e.member.Get(*form))))});
    EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.left + r.width <= parent.width &&
                r.top + r.height <= parent.height)
        << e.name;
    if (e.kind == plat::ControlKind::Button || e.kind == plat::ControlKind::GroupBox) {
      // A button's caption inside its 3D edges, a group box's after its frame's corner.
      const SIZE text = Measure(H(e.member.Get(*form)), e.caption);
      EXPECT_LE(text.cx + (e.kind == plat::ControlKind::Button ? 8 : 16), r.width) << e.name;
      EXPECT_LE(text.cy, r.height) << e.name;
    }
  }
  // The tab captions, centred in their tabs, whole and clear of Button4 (the tab control and
  // Button4 share the window's top-left corner); the status texts whole in their parts.
  const wchar_t* captions[] = {L"应用程序", L"进程", L"性能"};
  for (int i = 0; i < 3; ++i) {
    RECT tab{};
    ::SendMessageW(H(form->PageControl1), TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&tab));
    const int text = Measure(H(form->PageControl1), captions[i]).cx;
    EXPECT_LE(text, tab.right - tab.left) << i;
    EXPECT_LE(tab.left + (tab.right - tab.left + text) / 2, plat::ControlRect(form->Button4).left);
    RECT part{};
    ::SendMessageW(H(form->StatusBar), SB_GETRECT, i, reinterpret_cast<LPARAM>(&part));
    const SIZE status = Measure(H(form->StatusBar), plat::StatusGetText(form->StatusBar, i));
    EXPECT_LE(status.cx + 4, part.right - part.left) << i;
    EXPECT_LE(status.cy, part.bottom - part.top) << i;
  }
  EXPECT_NEAR(plat::ControlRect(form->memImg).width, At(256, dpi), 1);
  EXPECT_NEAR(plat::ControlRect(form->memImg).height, At(86, dpi), 1);
}

// One 25 % step up and back (the window must fit Xvfb's screen): the window takes each
// suggested rectangle, controls and font follow, the process list keeps its selection and
// its first row shown.
TEST_F(GuiDpi, MovingToAnotherScaleAndBackLaysEverythingOutAgain) {
  form->Show();
  form->TimerTimer();
  plat::TabSelect(form->PageControl1, 1);
  const int rows = plat::ListRowCount(form->procListView);
  ASSERT_GT(rows, 2);
  plat::ListSelectRow(form->procListView, rows - 1);  // scrolls it into sight
  const auto top = ::SendMessageW(H(form->procListView), LVM_GETTOPINDEX, 0, 0);
  const int dpi = plat::WindowDpi(form->Handle);
  const Rect before = plat::ControlRect(form->Handle);
  for (const int to : {dpi + 24, dpi}) {
    const Rect suggested{before.left, before.top, before.width * to / dpi,
                         before.height * to / dpi};
    cmdtest::SendDpiChanged(form->Handle, to, suggested);
    EXPECT_EQ(plat::WindowDpi(form->Handle), to);
    EXPECT_EQ(plat::ControlRect(form->Handle), suggested);
    EXPECT_NEAR(plat::ControlRect(form->CpuImg).width, At(256, to), 1);
    EXPECT_NEAR(Measure(H(form->endProcBtn)).cy, At(8 * 4, to) / 3, 1);
    EXPECT_EQ(plat::ListSelectedRow(form->procListView), rows - 1);
  }
  EXPECT_EQ(::SendMessageW(H(form->procListView), LVM_GETTOPINDEX, 0, 0), top);
}

}  // namespace
