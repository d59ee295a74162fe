// The real main window at the display's scale (the test command runs these once at 96 dpi
// and once in a prefix set to 144): the table's rectangles scaled, every control inside its
// parent, every caption whole in the control's own font, Button4 clear of the tab captions,
// the graphs at the pictures' scaled size; and a move to a display of another scale.

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "app/CpuUseage.h"
#include "app/commands.h"
#include "app/form_member.h"
#include "app/performance_page.h"
#include "platform/gui.h"
#include "tests/support/control_table.h"
#include "tests/windows/command_helpers_win32.h"
#include "tests/windows/main_form_fixture_win32.h"

namespace {

using plat::Rect;

HWND H(plat::Control control) { return reinterpret_cast<HWND>(control.value); }

// The table's length at `dpi`, as a real number: the expectation allows the rounding.
double At(int logical, int dpi) { return logical * dpi / 96.0; }

// The size of `text` (without its '&' marks) in the control's own font.
SIZE TextSize(HWND control, std::wstring text) {
  std::erase(text, L'&');
  HDC dc = ::GetDC(control);
  HGDIOBJ old =
      ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
  SIZE size{};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  ::SelectObject(dc, old);
  ::ReleaseDC(control, dc);
  return size;
}

// The character height of the control's font (cell height less internal leading).
int CharacterHeight(HWND control) {
  HDC dc = ::GetDC(control);
  HGDIOBJ old =
      ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  ::SelectObject(dc, old);
  ::ReleaseDC(control, dc);
  return metrics.tmHeight - metrics.tmInternalLeading;
}

using GuiDpi = MainFormTest;

TEST_F(GuiDpi, TheTableIsScaledAndEveryTextIsWhole) {
  const int dpi = plat::WindowDpi(form->Handle);
  std::printf("window DPI %d\n", dpi);
  const Rect outer = plat::ControlRect(form->Handle);
  EXPECT_NEAR(outer.width, At(434, dpi), 1);
  EXPECT_NEAR(outer.height, At(430, dpi), 1);
  // Before the first show every control sits at its table rectangle, scaled.
  for (const testtable::ExpectedControl& e : testtable::kControls) {
    if (e.kind == plat::ControlKind::TabPage || e.kind == plat::ControlKind::StatusBar) continue;
    SCOPED_TRACE(e.name);
    const Rect r = plat::ControlRect(e.member.Get(*form));
    EXPECT_NEAR(r.left, At(e.rect.left, dpi), 2);
    EXPECT_NEAR(r.top, At(e.rect.top, dpi), 2);
    EXPECT_NEAR(r.width, At(e.rect.width, dpi), 2);
    EXPECT_NEAR(r.height, At(e.rect.height, dpi), 2);
  }
  const int font = static_cast<int>(std::lround(8 * dpi / 72.0));
  EXPECT_NEAR(CharacterHeight(H(form->Button1)), font, 1);

  form->Show();
  form->TimerTimer();  // fills the status texts
  // The figures, for the log.
  for (const plat::Control c : {plat::Control(form->Handle), plat::Control(form->Button1),
                                plat::Control(form->Button4), plat::Control(form->GroupBox1),
                                plat::Control(form->StatusBar), plat::Control(form->CpuImg)}) {
    const Rect r = plat::ControlRect(c);
    std::printf("%s: %d, %d, %d x %d\n", cmdtest::ClassOf(c).c_str(), r.left, r.top, r.width,
                r.height);
  }
  std::printf("character height %d\n", CharacterHeight(H(form->Button1)));
  for (const testtable::ExpectedControl& e : testtable::kControls) {
    SCOPED_TRACE(e.name);
    HWND control = H(e.member.Get(*form));
    RECT inParent{};
    ::GetWindowRect(control, &inParent);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(control), reinterpret_cast<POINT*>(&inParent), 2);
    RECT parent{};
    ::GetClientRect(::GetParent(control), &parent);
    EXPECT_GE(inParent.left, 0);
    EXPECT_GE(inParent.top, 0);
    EXPECT_LE(inParent.right, parent.right);
    EXPECT_LE(inParent.bottom, parent.bottom);
    if (e.kind == plat::ControlKind::Button || e.kind == plat::ControlKind::GroupBox) {
      const SIZE text = TextSize(control, e.caption);
      const int width = inParent.right - inParent.left;
      // A push button's caption inside its 3D edges; a group box's after its frame's corner.
      EXPECT_LE(text.cx + (e.kind == plat::ControlKind::Button ? 8 : 16), width) << text.cx;
      EXPECT_LE(text.cy, inParent.bottom - inParent.top);
    }
  }

  // The tab captions: whole, and none under Button4 (which lies over the tab strip's row).
  // The tab control is the window's first child at its top-left corner, as is Button4.
  HWND tabs = H(form->PageControl1);
  const Rect button4 = plat::ControlRect(form->Button4);
  const wchar_t* captions[] = {L"应用程序", L"进程", L"性能"};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    RECT item{};
    ASSERT_TRUE(::SendMessageW(tabs, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item)));
    const int text = TextSize(tabs, captions[i]).cx;
    EXPECT_LE(text, item.right - item.left);
    // The caption is centred in its tab; the tab's padding may lie under the button.
    EXPECT_LE(item.left + (item.right - item.left + text) / 2, button4.left);
  }

  // The status texts in their parts (the last part runs to the bar's end).
  HWND bar = H(form->StatusBar);
  for (int part = 0; part < 3; ++part) {
    SCOPED_TRACE(part);
    RECT r{};
    ASSERT_TRUE(::SendMessageW(bar, SB_GETRECT, part, reinterpret_cast<LPARAM>(&r)));
    const SIZE text = TextSize(bar, plat::StatusGetText(form->StatusBar, part));
    EXPECT_LE(text.cx + 4, r.right - r.left);
    EXPECT_LE(text.cy, r.bottom - r.top);
  }

  for (plat::Control picture : {plat::Control(form->CpuImg), plat::Control(form->memImg)}) {
    const Rect r = plat::ControlRect(picture);
    EXPECT_NEAR(r.width, At(256, dpi), 1);
    EXPECT_NEAR(r.height, At(86, dpi), 1);
  }
}

// A move to a display one 25 % step larger and back (96 to 120, 144 to 168; the window must
// fit Xvfb's 1280 x 1024 screen): the window takes each suggested rectangle, the controls and
// the font follow, the process rows keep their selection and the list its first row shown.
TEST_F(GuiDpi, MovingToAnotherScaleAndBackLaysEverythingOutAgain) {
  form->Show();
  form->TimerTimer();
  HWND list = H(form->procListView);
  plat::TabSelect(form->PageControl1, 1);
  const int rows = plat::ListRowCount(form->procListView);
  ASSERT_GT(rows, 2);
  plat::ListSelectRow(form->procListView, rows - 1);  // scrolls it into sight
  const auto top = ::SendMessageW(list, LVM_GETTOPINDEX, 0, 0);

  const int dpi = plat::WindowDpi(form->Handle);
  const Rect before = plat::ControlRect(form->Handle);
  for (const int to : {dpi + 24, dpi}) {
    SCOPED_TRACE(to);
    const Rect suggested{before.left, before.top, before.width * to / dpi,
                         before.height * to / dpi};
    cmdtest::SendDpiChanged(form->Handle, to, suggested);
    EXPECT_EQ(plat::WindowDpi(form->Handle), to);
    EXPECT_EQ(plat::ControlRect(form->Handle), suggested);
    EXPECT_NEAR(plat::ControlRect(form->Button4).height, At(20, to), 1);
    EXPECT_NEAR(plat::ControlRect(form->CpuImg).width, At(256, to), 1);
    EXPECT_NEAR(CharacterHeight(H(form->endProcBtn)), std::lround(8 * to / 72.0), 1);
    EXPECT_EQ(plat::ListRowCount(form->procListView), rows);
    EXPECT_EQ(plat::ListSelectedRow(form->procListView), rows - 1);
  }
  EXPECT_EQ(::SendMessageW(list, LVM_GETTOPINDEX, 0, 0), top);
}

}  // namespace
