// The GUI adapter against the platform: the fake natively, the real Win32 controls under
// Wine or Windows. Window events, controls and their places, pages, the status bar, list
// rows, images, data, selection and batches, menus, stay-on-top, the timer, image lists and
// pictures, checked through the seam.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/drawing.h"
#include "platform/gui.h"
#include "tests/contract/contract_env.h"
#include "tests/support/probe.h"
#ifdef _WIN32
#include "tests/support/win32/command_helpers.h"
#endif

namespace {

class RecordingEvents final : public plat::WindowEvents {
 public:
  void OnShow() override { log.push_back("show"); }
  void OnTimer() override {
    ++ticks;
    if (ticks == closeAfterTicks) plat::CloseMainWindow(window);
  }
  void OnCommand(int id) override { log.push_back("command " + std::to_string(id)); }
  void OnResize(int w, int h) override {
    log.push_back("resize " + std::to_string(w) + "x" + std::to_string(h));
  }
  void OnClose() override { log.push_back("close"); }
  void OnDpiChanged(int, const plat::Rect&) override {}

  plat::MainWindowHandle window;
  std::vector<std::string> log;
  int ticks = 0;
  int closeAfterTicks = -1;
};

class GuiContract : public ::testing::Test {
 protected:
  void SetUp() override {
    contract::Reset();
    plat::MainWindowArgs args;
    args.caption = L"Varnex";
    args.fontName = L"MS Sans Serif";
    args.events = &events;
    window = plat::CreateMainWindow(args);
    events.window = window;
    ASSERT_TRUE(window);
    plat::MoveControl(window, {20, 10, 434, 430});
    plat::SetWindowFont(window, 11);
  }

  void TearDown() override {
    if (std::find(events.log.begin(), events.log.end(), "close") != events.log.end()) return;
    plat::CloseMainWindow(window);
    // Takes what the closed window left in the queue, its quit message last.
    plat::RunMessageLoop();
  }

  plat::Control Make(plat::ControlKind kind, plat::Control parent, const wchar_t* caption,
                     plat::Rect rect, int id = 0) {
    plat::ControlArgs args;
    args.kind = kind;
    args.parent = parent;
    args.name = "test";
    args.caption = caption;
    args.rect = rect;
    args.commandId = id;
    const plat::Control control = plat::CreateControl(args);
    EXPECT_TRUE(control) << "kind " << static_cast<int>(kind);
    return control;
  }

  // A report list with three columns; AddRows gives it rows a, b (with texts in every column)
  // and c.
  plat::ListViewHandle List3() {
    plat::ListViewHandle list{Make(plat::ControlKind::ListView, window, L"", {0, 0, 300, 200})};
    plat::ListAddColumn(list, L"映像名称", 100, plat::Align::Left);
    plat::ListAddColumn(list, L"PID", 50, plat::Align::Right);
    plat::ListAddColumn(list, L"CPU", 50, plat::Align::Right);
    return list;
  }
  static void AddRows(plat::ListViewHandle list) {
    EXPECT_EQ(plat::ListAddRow(list, L"a.exe"), 0);
    EXPECT_EQ(plat::ListAddRow(list, L"b.exe"), 1);
    EXPECT_EQ(plat::ListAddRow(list, L"c.exe"), 2);
    plat::ListSetText(list, 1, 1, L"1234");
    plat::ListSetText(list, 1, 2, L"00");
  }

  RecordingEvents events;
  plat::MainWindowHandle window;
};

using contract::IsVisible;
using plat::Control;
using plat::ControlKind;
using plat::Rect;

TEST_F(GuiContract, MainWindowIsHiddenUntilShownThenReportsShowBeforeResize) {
  EXPECT_EQ(probe::ControlText(window), L"Varnex");
  const Rect outer = probe::ControlRect(window);
  EXPECT_EQ(std::pair(outer.width, outer.height), std::pair(434, 430));
  EXPECT_TRUE(outer.left >= 0 && outer.top >= 0) << testing::PrintToString(outer);
  EXPECT_FALSE(IsVisible(window));
  EXPECT_TRUE(events.log.empty());

  plat::ShowMainWindow(window);
  EXPECT_TRUE(IsVisible(window));
  const Rect client = plat::ClientRect(window);
  EXPECT_GT(client.width, 0);
  EXPECT_GT(client.height, 0);
  ASSERT_GE(events.log.size(), 2u);
  EXPECT_EQ(events.log[0], "show");
  EXPECT_EQ(events.log[1],
            "resize " + std::to_string(client.width) + "x" + std::to_string(client.height));

  // A second show raises no second OnShow.
  plat::ShowMainWindow(window);
  EXPECT_EQ(std::count(events.log.begin(), events.log.end(), "show"), 1);

  plat::CloseMainWindow(window);
  EXPECT_EQ(events.log.back(), "close");
  EXPECT_EQ(plat::RunMessageLoop(), 0);  // the loop ends at once once the window is gone
}

// Their window classes are checked with the main form's, which has every kind of control
// (GuiMainForm in tests/windows/gui_mainform_win32.cpp).
TEST_F(GuiContract, ControlsKeepTheirCaptionsAndPlaces) {
  // Each is made in the one of the rows before it that `parent` names (-1: the window); the
  // page's place is the tab control's to give.
  const struct {
    ControlKind kind;
    int parent;
    const wchar_t* text;
    Rect rect;
    int id;
  } rows[] = {
      {ControlKind::TabControl, -1, L"", {0, 0, 426, 357}, 0},
      {ControlKind::TabPage, 0, L"性能", {}, 0},
      {ControlKind::ListView, 1, L"", {24, 24, 377, 281}, 0},
      {ControlKind::Button, 1, L"结束任务(&E)", {137, 311, 89, 25}, 101},
      {ControlKind::GroupBox, 1, L"CPU 使用记录", {120, 8, 283, 121}, 0},
      {ControlKind::Panel, 4, L"", {12, 21, 260, 90}, 0},
      {ControlKind::PictureBox, 5, L"", {2, 2, 256, 86}, 0},
      {ControlKind::Button, -1, L"进入工具主站", {152, 0, 273, 20}, 104},
  };
  std::vector<Control> made;
  for (const auto& row : rows) {
    const Control parent = row.parent < 0 ? Control(window) : made[row.parent];
    made.push_back(Make(row.kind, parent, row.text, row.rect, row.id));
  }
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    if (rows[i].kind == ControlKind::TabPage) continue;
    SCOPED_TRACE(testing::PrintToString(rows[i].rect));
    EXPECT_EQ(probe::ControlText(made[i]), rows[i].text);
    EXPECT_EQ(probe::ControlRect(made[i]), rows[i].rect);
  }
  // The panel's bevels lie inside its client area; the picture fills what they enclose.
  EXPECT_EQ(plat::ClientRect(made[5]), (Rect{0, 0, 260, 90}));
}

TEST_F(GuiContract, PagesFillTheTabDisplayAreaAndOnlyTheSelectedOneShows) {
  plat::TabControlHandle tabs{Make(ControlKind::TabControl, window, L"", {0, 0, 426, 357})};
  Control page1 = Make(ControlKind::TabPage, tabs, L"应用程序", {});
  Control page2 = Make(ControlKind::TabPage, tabs, L"进程", {});
  Control page3 = Make(ControlKind::TabPage, tabs, L"性能", {});
  const Rect display = plat::TabDisplayRect(tabs, 426, 357);
  EXPECT_GT(display.top, 0);
  EXPECT_LT(display.width, 426);
  for (Control page : {page1, page2, page3}) EXPECT_EQ(probe::ControlRect(page), display);
  EXPECT_EQ(probe::TabSelected(tabs), 0);  // the first one added
  EXPECT_TRUE(IsVisible(page1));
  EXPECT_FALSE(IsVisible(page3));

  plat::TabSelect(tabs, 2);
  EXPECT_EQ(probe::TabSelected(tabs), 2);
  EXPECT_FALSE(IsVisible(page1));
  EXPECT_FALSE(IsVisible(page2));
  EXPECT_TRUE(IsVisible(page3));
  plat::TabSelect(tabs, 7);  // no such tab: nothing changes
  EXPECT_EQ(probe::TabSelected(tabs), 2);

  plat::MoveControl(tabs, {0, 0, 500, 400});
  EXPECT_EQ(probe::ControlRect(page3), plat::TabDisplayRect(tabs, 500, 400));
}

// The program places the status bar: neither the bar nor its parent moves it.
TEST_F(GuiContract, StatusBarStaysWhereItIsPutWhenTheWindowResizes) {
  plat::StatusBarHandle bar{Make(ControlKind::StatusBar, window, L"", {5, 5, 100, 19})};
  plat::ShowMainWindow(window);
  const Rect outer = probe::ControlRect(window);
  plat::MoveControl(window, {outer.left, outer.top, outer.width + 100, outer.height + 100});
  EXPECT_EQ(probe::ControlRect(bar), (Rect{5, 5, 100, 19}));
  plat::MoveControl(bar, {0, 300, 400, 29});
  EXPECT_EQ(probe::ControlRect(bar), (Rect{0, 300, 400, 29}));
}

TEST_F(GuiContract, ListStartsEmptyAndRowTextsRoundTrip) {
  plat::ListViewHandle list = List3();
  EXPECT_EQ(plat::ListColumnCount(list), 3);
  EXPECT_EQ(plat::ListRowCount(list), 0);
  EXPECT_EQ(plat::ListSelectedRow(list), -1);
  AddRows(list);
  EXPECT_EQ(plat::ListRowCount(list), 3);
  EXPECT_EQ(plat::ListGetText(list, 1, 0), L"b.exe");
  EXPECT_EQ(plat::ListGetText(list, 1, 1), L"1234");
  EXPECT_EQ(plat::ListGetText(list, 1, 2), L"00");
  EXPECT_EQ(plat::ListGetText(list, 0, 1), L"");
  plat::ListSetText(list, 2, 0, L"任务管理器");
  EXPECT_EQ(plat::ListGetText(list, 2, 0), L"任务管理器");
  // Texts longer than any first guess at a buffer come back whole.
  const std::wstring longText(1000, L'x');
  plat::ListSetText(list, 0, 2, longText);
  EXPECT_EQ(plat::ListGetText(list, 0, 2), longText);
}

TEST_F(GuiContract, ListImagesAndDataAreKeptPerRow) {
  plat::ListViewHandle list = List3();
  AddRows(list);
  EXPECT_EQ(plat::ListGetImage(list, 0), -1);  // a new row shows no image
  plat::ListSetImage(list, 1, 3);
  EXPECT_EQ(plat::ListGetImage(list, 1), 3);
  plat::ListSetImage(list, 1, -1);
  EXPECT_EQ(plat::ListGetImage(list, 1), -1);
  int a = 0, b = 0;
  EXPECT_EQ(plat::ListGetData(list, 0), nullptr);
  plat::ListSetData(list, 0, &a);
  plat::ListSetData(list, 2, &b);
  EXPECT_EQ(plat::ListGetData(list, 0), &a);
  EXPECT_EQ(plat::ListGetData(list, 2), &b);
}

TEST_F(GuiContract, ListSelectsOneRowAtMost) {
  plat::ListViewHandle list = List3();
  AddRows(list);
  // {row selected, row that reads selected}: with no such row, none is.
  const std::pair<int, int> steps[] = {{2, 2}, {1, 1}, {-1, -1}, {0, 0}, {9, -1}};
  for (const auto& [row, selected] : steps) {
    probe::ListSelectRow(list, row);
    EXPECT_EQ(plat::ListSelectedRow(list), selected) << "after selecting " << row;
  }
}

TEST_F(GuiContract, DeletedRowTakesItsTextsAndDataAlongAndMissingRowsReadEmpty) {
  plat::ListViewHandle list = List3();
  AddRows(list);
  int a = 0, b = 0;
  plat::ListSetData(list, 2, &b);
  probe::ListSelectRow(list, 2);
  plat::ListDeleteRow(list, 0);
  EXPECT_EQ(plat::ListRowCount(list), 2);
  EXPECT_EQ(plat::ListGetText(list, 0, 0), L"b.exe");
  EXPECT_EQ(plat::ListGetText(list, 0, 1), L"1234");
  EXPECT_EQ(plat::ListGetData(list, 1), &b);
  EXPECT_EQ(plat::ListSelectedRow(list), 1);  // the selection moves up with its row

  plat::ListDeleteRow(list, 5);
  plat::ListSetText(list, 9, 0, L"nothing");
  plat::ListSetData(list, -1, &a);
  EXPECT_EQ(plat::ListRowCount(list), 2);
  EXPECT_EQ(plat::ListGetText(list, 9, 0), L"");
  EXPECT_EQ(plat::ListGetData(list, 9), nullptr);
  EXPECT_EQ(plat::ListGetImage(list, 9), -1);
  plat::ListDeleteRow(list, 1);
  EXPECT_EQ(plat::ListSelectedRow(list), -1);  // the selected row takes the selection along
}

TEST_F(GuiContract, BatchUpdatesNestAndStillApplyChanges) {
  plat::ListViewHandle list{Make(ControlKind::ListView, window, L"", {0, 0, 300, 200})};
  plat::ListAddColumn(list, L"任务", 250, plat::Align::Left);
  plat::ShowMainWindow(window);
  plat::ListEndUpdate(list);  // an unmatched End is ignored
  plat::ListBeginUpdate(list);
  plat::ListBeginUpdate(list);
  plat::ListAddRow(list, L"one");
  plat::ListEndUpdate(list);
  plat::ListAddRow(list, L"two");
  plat::ListEndUpdate(list);
  EXPECT_EQ(plat::ListRowCount(list), 2);
  EXPECT_EQ(plat::ListGetText(list, 1, 0), L"two");
  EXPECT_TRUE(IsVisible(list));  // redrawing is on again after the last End
}

TEST_F(GuiContract, StatusBarPartsKeepTheirTexts) {
  plat::StatusBarHandle bar{Make(ControlKind::StatusBar, window, L"", {})};
  plat::StatusSetText(bar, 0, L"one part");  // a new bar has one
  EXPECT_EQ(plat::StatusGetText(bar, 0), L"one part");
  plat::StatusSetParts(bar, {95, 120, 50});
  const std::wstring texts[] = {L"进程数：42", L"CPU 使用：7%", L"内存使用：1/2"};
  for (int part = 0; part < 3; ++part) plat::StatusSetText(bar, part, texts[part]);
  for (int part = 0; part < 3; ++part) EXPECT_EQ(plat::StatusGetText(bar, part), texts[part]);
  plat::StatusSetText(bar, 1, L"");
  EXPECT_EQ(plat::StatusGetText(bar, 1), L"");
  EXPECT_EQ(plat::StatusGetText(bar, 3), L"");
}

TEST_F(GuiContract, MenuCheckMarksAreFoundByCommandInNestedMenus) {
  plat::MenuHandle bar = plat::CreateMenuBar(window);
  ASSERT_TRUE(bar);
  plat::MenuHandle view = plat::AddSubMenu(bar, L"查看(&V)");
  plat::MenuHandle speed = plat::AddSubMenu(view, L"更新速度(&U)");
  plat::AddMenuItem(speed, L"高(&H)", 301);
  plat::AddMenuItem(speed, L"标准(&N)", 302);
  plat::MenuHandle options = plat::AddSubMenu(bar, L"选项(&Q)");
  plat::AddMenuItem(options, L"总在最前面(&A)", 201);
  plat::AddSubMenu(bar, L"帮助(&H)");  // a menu without items

  EXPECT_FALSE(plat::IsMenuChecked(window, 302));
  plat::SetMenuChecked(window, 302, true);
  plat::SetMenuChecked(window, 201, true);
  EXPECT_TRUE(plat::IsMenuChecked(window, 302));
  EXPECT_TRUE(plat::IsMenuChecked(window, 201));
  EXPECT_FALSE(plat::IsMenuChecked(window, 301));
  plat::SetMenuChecked(window, 302, false);
  EXPECT_FALSE(plat::IsMenuChecked(window, 302));
  EXPECT_FALSE(plat::IsMenuChecked(window, 999));
}

TEST_F(GuiContract, TopmostStyleFollowsTheSetting) {
  plat::ShowMainWindow(window);
  EXPECT_FALSE(probe::IsTopmost(window));
  for (const bool on : {true, false}) {
    plat::SetTopmost(window, on);
    EXPECT_EQ(probe::IsTopmost(window), on);
  }
}

TEST_F(GuiContract, TimerTicksArriveUntilTheWindowCloses) {
  plat::ShowMainWindow(window);
  events.closeAfterTicks = 3;
  contract::DeliverTimerTicks(window);
  plat::StartTimer(window, 500);
  plat::StartTimer(window, 20);  // replaces the first timer
  EXPECT_EQ(plat::RunMessageLoop(), 0);
  EXPECT_EQ(events.ticks, 3);
  EXPECT_EQ(events.log.back(), "close");
}

TEST_F(GuiContract, ImageListCopiesIconsAndRefusesNone) {
  plat::ImageListHandle images = plat::CreateSmallImageList(16);
  ASSERT_TRUE(images);
  EXPECT_FALSE(plat::CopyIconImage(images, plat::IconHandle{}));
  EXPECT_EQ(plat::ImageListAddImage(images, plat::IconImageHandle{}), -1);
  EXPECT_EQ(probe::ImageListCount(images), 0);
  const plat::IconHandle icon = contract::AnyIcon(window);
  ASSERT_TRUE(icon);
  const plat::IconImageHandle image = plat::CopyIconImage(images, icon);
  ASSERT_TRUE(image);
  EXPECT_EQ(plat::ImageListAddImage(images, image), 0);
  EXPECT_EQ(plat::ImageListAddImage(images, image), 1);
  EXPECT_EQ(probe::ImageListCount(images), 2);
  plat::ImageListClear(images);
  EXPECT_EQ(probe::ImageListCount(images), 0);
  EXPECT_EQ(plat::ImageListAddImage(images, image), 0);  // the copy stays the caller's
  plat::DestroyIconImage(image);
  const plat::IconImageHandle again = plat::CopyIconImage(images, icon);
  EXPECT_EQ(plat::ImageListAddImage(images, again), 1);  // the icon itself is still usable
  plat::DestroyIconImage(again);
  const plat::IconImageHandle built = plat::CopyIconImage(images, contract::BuiltIcon());
  EXPECT_EQ(plat::ImageListAddImage(images, built), 2);  // not a shared resource: scaled
  plat::DestroyIconImage(built);
  plat::DestroyImageList(images);
}

TEST_F(GuiContract, PicturesShowTheirRasterAndRefuseRowsTooShort) {
  plat::PictureBoxHandle picture{Make(ControlKind::PictureBox, window, L"", {0, 0, 256, 86})};
  std::vector<std::uint8_t> pixels(256 * 3 * 86, 0x80);
  std::uint8_t* pixel = &pixels[3 * 256 * 3 + 5 * 3];  // (5, 3): blue, green, red
  pixel[0] = 0x10, pixel[1] = 0x20, pixel[2] = 0x30;
  plat::ShowMainWindow(window);
  plat::RepaintNow(window);
  // The raster shows as given, row 0 at the top, at once: no repaint is asked for.
  plat::PictureSetImage(picture, {pixels.data(), 256, 86, 256 * 3});
  EXPECT_EQ(contract::ShownPixel(picture, 5, 3), 0x302010u);
  EXPECT_EQ(contract::ShownPixel(picture, 3, 5), 0x808080u);
  EXPECT_EQ(contract::ShownPixel(picture, 255, 85), 0x808080u);
  pixel[0] = 0x40;  // the next frame replaces it
  plat::PictureSetImage(picture, {pixels.data(), 256, 86, 256 * 3});
  EXPECT_EQ(contract::ShownPixel(picture, 5, 3), 0x302040u);
  // A refused raster shows nothing: the last frame goes too.
  for (const plat::RasterView refused : {plat::RasterView{pixels.data(), 256, 86, 10},  // too short
                                         plat::RasterView{nullptr, 256, 86, 768}}) {
    plat::PictureSetImage(picture, {pixels.data(), 256, 86, 256 * 3});
    plat::PictureSetImage(picture, refused);
    plat::RepaintNow(window);
    EXPECT_NE(contract::ShownPixel(picture, 5, 3), 0x302040u);
  }
  EXPECT_EQ(probe::ControlRect(picture), (Rect{0, 0, 256, 86}));
}

#ifdef _WIN32
// The real system only (the fake has no dialog manager): the dialog manager's Alt+letter walk
// starts at the focus and never ends when the focus lies on a control of a hidden page; the focus
// leaves such a page for the tab control, however it came there, and the keys that follow do not
// stop the loop.
TEST_F(GuiContract, FocusOnAHiddenPageMovesToTheTabsAndKeysDoNotHang) {
  plat::TabControlHandle tabs{Make(ControlKind::TabControl, window, L"", {0, 0, 426, 357})};
  Make(ControlKind::TabPage, tabs, L"应用程序", {});
  Control page2 = Make(ControlKind::TabPage, tabs, L"进程", {});
  Control button = Make(ControlKind::Button, page2, L"结束进程(&E)", {298, 310, 101, 25}, 101);
  plat::ShowMainWindow(window);
  // Its page is switched away while it has the focus, or something focuses it while hidden.
  for (bool switchedAway : {true, false}) {
    SCOPED_TRACE(switchedAway ? "page switched away" : "focused while hidden");
    plat::TabSelect(tabs, switchedAway ? 1 : 0);
    cmdtest::Focus(button);
    if (switchedAway) plat::TabSelect(tabs, 0);
    EXPECT_EQ(cmdtest::FocusedControl(), switchedAway ? tabs : button);
    cmdtest::PostCharacters(button, L'z');
    cmdtest::CallAfter(300, cmdtest::QuitLoop);
    {
      cmdtest::Watchdog watchdog(30000, "the message loop with the focus on a hidden page");
      plat::RunMessageLoop();
    }
    EXPECT_EQ(cmdtest::FocusedControl(), tabs);
  }
}
#endif

}  // namespace
