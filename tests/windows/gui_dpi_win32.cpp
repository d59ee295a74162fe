// The real main window at the display's scale (the test command runs this at 96 dpi and
// again in a prefix set to 144): the table scaled, every control inside its parent, every
// caption whole in its control's font, Button4 clear of the tab captions; a move between
// scales.

#include <windows.h>

#include <commctrl.h>

#include <gmock/gmock.h>

#include "tests/support/control_table.h"
#include "tests/windows/main_form_fixture_win32.h"

namespace {

using ::testing::DoubleNear;
using ::testing::Pointwise;

HWND H(plat::Control control) { return reinterpret_cast<HWND>(control.value); }
// A rectangle's fields, scaled from 96 dpi to `dpi`.
std::vector<double> At(const plat::Rect& r, int dpi) {
  return {r.left * dpi / 96.0, r.top * dpi / 96.0, r.width * dpi / 96.0, r.height * dpi / 96.0};
}

// The extent of `text` (its '&' marks left out) in the control's font.
SIZE Measure(plat::Control control, std::wstring text) {
  std::erase(text, L'&');
  HDC dc = ::GetDC(H(control));
  HGDIOBJ old =
      ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(H(control), WM_GETFONT, 0, 0)));
  SIZE size{};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  ::SelectObject(dc, old);
  ::ReleaseDC(H(control), dc);
  return size;
}

using GuiDpi = MainFormTest;

// Then one 25 % step up and back (the window must fit Xvfb's screen): the window takes each
// suggested rectangle, controls and font follow, the process list keeps its selection and
// its first row shown.
TEST_F(GuiDpi, TheTableIsScaledEveryTextIsWholeAndAMoveLaysItOutAgain) {
  const int dpi = plat::WindowDpi(form->Handle);
  for (const testtable::ExpectedControl& e : testtable::kControls) {
    const plat::Rect r = probe::ControlRect(e.member.Get(*form));
    if (e.kind != plat::ControlKind::TabPage && e.kind != plat::ControlKind::StatusBar) {
      EXPECT_THAT(At(r, 96), Pointwise(DoubleNear(2), At(e.rect, dpi))) << e.name;
    }
  }

  // Hidden, it stays hidden through a change of scale; a DPI of 0 or 4000 is ignored.
  HWND window = reinterpret_cast<HWND>(form->Handle.value);
  for (const int to : {0, 4000, dpi + 24, dpi}) {
    cmdtest::SendDpiChanged(form->Handle, to, probe::ControlRect(form->Handle));
    EXPECT_EQ(std::pair(plat::WindowDpi(form->Handle), ::IsWindowVisible(window)),
              std::pair(to == 0 || to == 4000 ? dpi : to, FALSE));
  }

  form->Show();
  form->TimerTimer();  // fills the status texts and the process list
  for (const testtable::ExpectedControl& e : testtable::kControls) {
    const plat::Rect r = probe::ControlRect(e.member.Get(*form));
    RECT parent{};
    ::GetClientRect(::GetParent(H(e.member.Get(*form))), &parent);
    EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.left + r.width <= parent.right &&
                r.top + r.height <= parent.bottom)
        << e.name;
    if (e.kind != plat::ControlKind::Button && e.kind != plat::ControlKind::GroupBox) continue;
    // A button's caption inside its 3D edges, a group box's after its frame's corner.
    const SIZE text = Measure(e.member.Get(*form), e.caption);
    EXPECT_TRUE(text.cx + (e.kind == plat::ControlKind::Button ? 8 : 16) <= r.width &&
                text.cy <= r.height)
        << e.name;
  }
  // The tab captions, centred in their tabs, whole and clear of Button4 (the tab control and
  // Button4 share the window's top-left corner); the status texts whole in their parts.
  const wchar_t* captions[] = {L"应用程序", L"进程", L"性能"};
  for (int i = 0; i < 3; ++i) {
    RECT tab{}, part{};
    ::SendMessageW(H(form->PageControl1), TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&tab));
    ::SendMessageW(H(form->StatusBar), SB_GETRECT, i, reinterpret_cast<LPARAM>(&part));
    const int text = Measure(form->PageControl1, captions[i]).cx;
    const SIZE status = Measure(form->StatusBar, plat::StatusGetText(form->StatusBar, i));
    EXPECT_TRUE(text <= tab.right - tab.left && tab.left + (tab.right - tab.left + text) / 2 <=
                                                    probe::ControlRect(form->Button4).left)
        << i;
    EXPECT_TRUE(status.cx + 4 <= part.right - part.left && status.cy <= part.bottom - part.top)
        << i;
  }

  plat::TabSelect(form->PageControl1, 1);
  const int rows = plat::ListRowCount(form->procListView);
  ASSERT_GT(rows, 2);
  probe::ListSelectRow(form->procListView, rows - 1);  // scrolls it into sight
  const auto top = ::SendMessageW(H(form->procListView), LVM_GETTOPINDEX, 0, 0);
  const plat::Rect before = probe::ControlRect(form->Handle);
  for (const int to : {dpi + 24, dpi}) {
    const plat::Rect suggested{before.left, before.top, before.width * to / dpi,
                               before.height * to / dpi};
    cmdtest::SendDpiChanged(form->Handle, to, suggested);
    EXPECT_EQ(std::tuple(plat::WindowDpi(form->Handle), probe::ControlRect(form->Handle),
                         ::IsWindowVisible(window)),
              std::tuple(to, suggested, TRUE));
    // The graph fills its panel inside two bevels of 1 pixel each (2 from 144 dpi).
    EXPECT_EQ(probe::ControlRect(form->CpuImg).width,
              probe::ControlRect(form->CpuPanel).width - (to < 144 ? 4 : 8));
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HGDIOBJ>(::SendMessageW(H(form->endProcBtn), WM_GETFONT, 0, 0)),
                 sizeof font, &font);
    EXPECT_NEAR(-font.lfHeight, 8 * to / 72.0, 1);  // 8 points
  }
  EXPECT_EQ(std::pair(plat::ListSelectedRow(form->procListView),
                      ::SendMessageW(H(form->procListView), LVM_GETTOPINDEX, 0, 0)),
            std::pair(rows - 1, top));
}

}  // namespace
