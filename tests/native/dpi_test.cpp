// Display scale: the 96-dpi control table in device pixels at 120, 144 and 192 dpi, the
// font and icon sizes, a move to a display of another scale, and the graphs scaled without
// smoothing.

#include <set>

#include "app/layout.h"
#include "graphs/TUseage.h"
#include "platform/fake/control/drawing.h"
#include "tests/native/app_fixture.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

TEST(DpiScaleTest, MulDivRoundsHalvesAwayFromZero) {
  const struct {
    int value, numerator, denominator, expected;
  } cases[] = {{8, 96, 72, 11}, {8, 120, 72, 13}, {8, 144, 72, 16}, {8, 192, 72, 21},
               {1, 3, 2, 2},    {-1, 3, 2, -2},   {5, 1, 2, 3},     {1, -3, 2, -2},
               {7, 1, 3, 2},    {-7, 1, 3, -2},   {5, 1, 0, 0},     {100000, 30000, 60000, 50000}};
  for (const auto& c : cases) {
    EXPECT_EQ(MulDivRound(c.value, c.numerator, c.denominator), c.expected)
        << c.value << " * " << c.numerator << " / " << c.denominator;
  }
}

// What the window is made with at each display scale, before its first show.
struct Scale {
  int dpi;
  plat::Rect outer, button1, cpuImg, button4;
  int font, taskColumn0, taskColumn1, icon;
  std::vector<int> parts;
};
// Outer windows centred on the fake's 1024 x 768 desktop; rectangles with scaled edges.
const Scale kScales[] = {
    {96,
     {295, 169, 434, 430},
     {137, 311, 89, 25},
     {2, 2, 256, 86},
     {152, 0, 273, 20},
     11,
     250,
     100,
     16,
     {95, 120, 50}},
    {120,
     {240, 115, 543, 538},
     {171, 389, 112, 31},
     {3, 3, 320, 107},
     {190, 0, 341, 25},
     13,
     313,
     125,
     20,
     {119, 150, 62}},
    {144,
     {186, 61, 651, 645},
     {206, 467, 133, 37},
     {3, 3, 384, 129},
     {228, 0, 410, 30},
     16,
     375,
     150,
     24,
     {143, 180, 75}},
    {192,
     {78, 0, 868, 860},
     {274, 622, 178, 50},
     {4, 4, 512, 172},
     {304, 0, 546, 40},
     21,
     500,
     200,
     32,
     {190, 240, 100}},
};

class DpiTest : public AppTest {
 protected:
  void MakeFormAt(int dpi) {
    form.reset();
    fake::ResetGui();
    fake::SetDisplayDpi(dpi);
    form = std::make_unique<TMainForm>();
  }
  // The sizes at that scale; the places as the table gives them unless the window is shown
  // (then the layout moves what is anchored right or bottom).
  void ExpectScale(const Scale& s) {
    SCOPED_TRACE(s.dpi);
    EXPECT_EQ(plat::WindowDpi(form->Handle), s.dpi);
    if (!fake::IsShown(form->Handle)) {
      EXPECT_EQ(plat::ControlRect(form->Button1), s.button1);
    }
    EXPECT_EQ(plat::ControlRect(form->CpuImg), s.cpuImg);
    EXPECT_EQ(plat::ControlRect(form->memImg), s.cpuImg);
    EXPECT_EQ(plat::ControlRect(form->Button4), s.button4);
    for (plat::Control c : {plat::Control(form->Handle), plat::Control(form->Button1),
                            plat::Control(form->StatusBar), plat::Control(form->TaskListView)}) {
      EXPECT_EQ(fake::FontHeightOf(c), s.font);
    }
    EXPECT_EQ(fake::LiveFonts(), 1);
    const auto columns = fake::Columns(form->TaskListView);
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[0].width, s.taskColumn0);
    EXPECT_EQ(columns[1].width, s.taskColumn1);
    EXPECT_THAT(fake::StatusParts(form->StatusBar), ElementsAreArray(s.parts));
    EXPECT_EQ(fake::ImageListSize(form->ImageList), s.icon);
    EXPECT_EQ(fake::ListImageList(form->TaskListView), form->ImageList);
  }
};

TEST_F(DpiTest, TheTableIsScaledToTheDisplay) {
  for (const Scale& s : kScales) {
    MakeFormAt(s.dpi);
    EXPECT_EQ(plat::ControlRect(form->Handle), s.outer);
    ExpectScale(s);
  }
}

// At 144 dpi the fake's 651 x 645 window has a 643 x 591 client area: the tab control takes
// all but the 29-pixel status bar, its pages are 635 x 534 and the buttons end 9 px (6 x 1.5)
// above the page's bottom edge; the graphs are 256 x 86 images shown at 384 x 129.
TEST_F(DpiTest, ShownAt144TheLayoutIsTheTableScaled) {
  MakeFormAt(144);
  form->Show();
  EXPECT_EQ(plat::ControlRect(form->PageControl1), (plat::Rect{0, 0, 643, 562}));
  EXPECT_EQ(plat::ControlRect(form->StatusBar), (plat::Rect{0, 562, 643, 29}));
  EXPECT_EQ(plat::ControlRect(form->TabSheet1), (plat::Rect{4, 24, 635, 534}));
  EXPECT_EQ(plat::ControlRect(form->Button1), (plat::Rect{210, 488, 133, 37}));
  EXPECT_EQ(plat::ControlRect(form->TaskListView), (plat::Rect{33, 36, 570, 443}));
  EXPECT_EQ(plat::ControlRect(form->CpuImg), (plat::Rect{3, 3, 384, 129}));
  ASSERT_NE(CpuGraph, nullptr);
  EXPECT_EQ(CpuGraph->Width(), 256);
  EXPECT_EQ(CpuGraph->Height(), 86);
  EXPECT_EQ(fake::PictureOf(form->CpuImg).width, 384);
  EXPECT_EQ(fake::PictureOf(form->memImg).height, 129);
}

// A move to a display of another scale: the window takes the suggested rectangle, every
// size follows the new DPI, one font and one image list stay alive, and the task rows keep
// their texts, icons and selection.
TEST_F(DpiTest, MovingToAnotherScaleKeepsRowsSelectionAndNothingLeaks) {
  for (std::uint32_t pid : {7u, 8u, 9u})
    AddWindow("W" + std::to_string(pid), pid, "Notepad", 0x40 + pid);
  form->RefreshTaskList();
  plat::ListSelectRow(form->TaskListView, 1);
  form->Show();
  const auto rows = fake::RowCaptions(form->TaskListView);

  const plat::Rect suggested{100, 50, 651, 645};
  fake::ChangeDpi(form->Handle, 144, suggested);
  EXPECT_EQ(plat::ControlRect(form->Handle), suggested);
  ExpectScale(kScales[2]);
  EXPECT_EQ(plat::ControlRect(form->Button1), (plat::Rect{210, 488, 133, 37}));
  EXPECT_EQ(fake::PictureOf(form->CpuImg).width, 384);
  EXPECT_EQ(fake::LiveImageLists(), 1);
  EXPECT_EQ(fake::RowCaptions(form->TaskListView), rows);
  EXPECT_EQ(plat::ListSelectedRow(form->TaskListView), 1);
  EXPECT_THAT(fake::ImageListIcons(form->ImageList), ElementsAre(0x47u, 0x48u, 0x49u));
  for (int row = 0; row < 3; ++row) EXPECT_EQ(plat::ListGetImage(form->TaskListView, row), row);

  fake::ChangeDpi(form->Handle, 96, plat::Rect{100, 50, 434, 430});
  ExpectScale(kScales[0]);
  EXPECT_EQ(fake::LiveImageLists(), 1);
  EXPECT_EQ(plat::ListSelectedRow(form->TaskListView), 1);
}

// Nearest neighbour: at 2x every source pixel is a 2 x 2 block; at 1.5x no colour appears
// that the source does not hold; at 1x the source itself is shown.
TEST(ScaleNearestTest, BlocksAtTwiceAndNoNewColoursAtOneAndAHalf) {
  std::vector<std::uint8_t> source;
  for (int i = 0; i < 4 * 2; ++i)
    source.insert(source.end(), {std::uint8_t(i), 0x80, std::uint8_t(0xF0 - i)});
  const plat::RasterView from{source.data(), 4, 2, 12};
  std::vector<std::uint8_t> pixels;
  auto at = [](const plat::RasterView& v, int x, int y) {
    const std::uint8_t* p = v.bits + y * v.stride + 3 * x;
    return std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
  };

  const plat::RasterView twice = ScaleNearest(from, 8, 4, pixels);
  ASSERT_EQ(twice.width, 8);
  ASSERT_EQ(twice.height, 4);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 8; ++x) EXPECT_EQ(at(twice, x, y), at(from, x / 2, y / 2)) << x << "," << y;
  }

  std::set<std::uint32_t> colours;
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) colours.insert(at(from, x, y));
  }
  const plat::RasterView half = ScaleNearest(from, 6, 3, pixels);
  std::set<std::uint32_t> shown;
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 6; ++x) shown.insert(at(half, x, y));
  }
  EXPECT_EQ(shown, colours);  // nothing new, nothing lost

  EXPECT_EQ(ScaleNearest(from, 4, 2, pixels).bits, source.data());
}

}  // namespace
