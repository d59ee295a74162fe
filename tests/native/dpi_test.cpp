// Display scale: the 96-dpi table in device pixels at 120, 144 and 192 dpi with the font and
// icon sizes, a move to a display of another scale, and the graphs scaled without smoothing.

#include <set>

#include "graphs/TUseage.h"
#include "platform/fake/control/drawing.h"
#include "tests/native/app_fixture.h"

namespace {

using R = plat::Rect;
// Before the first show, with the edges scaled; the window centred on the 1024 x 768 desktop
// (at the top when taller). CpuImg shows the 256 x 86 graph at its own size.
const struct Scale {
  int dpi;
  R outer, button1, cpuImg, button4;
  int font, icon;
  std::vector<int> taskColumns, parts;
} kScales[] = {
    {96,
     {295, 169, 434, 430},
     {137, 311, 89, 25},
     {2, 2, 256, 86},
     {152, 0, 273, 20},
     11,
     16,
     {250, 100},
     {95, 120, 50}},
    {120,
     {240, 115, 543, 538},
     {171, 389, 112, 31},
     {3, 3, 320, 107},
     {190, 0, 341, 25},
     13,
     20,
     {313, 125},
     {119, 150, 62}},
    {144,
     {186, 61, 651, 645},
     {206, 467, 133, 37},
     {3, 3, 384, 129},
     {228, 0, 410, 30},
     16,
     24,
     {375, 150},
     {143, 180, 75}},
    {192,
     {78, 0, 868, 860},
     {274, 622, 178, 50},
     {4, 4, 512, 172},
     {304, 0, 546, 40},
     21,
     32,
     {500, 200},
     {190, 240, 100}},
};

class DpiTest : public AppTest {
 protected:
  // The sizes at that scale, and the places too while the layout has not moved anything.
  void ExpectScale(const Scale& s) {
    SCOPED_TRACE(s.dpi);
    EXPECT_EQ(plat::WindowDpi(form->Handle), s.dpi);
    if (!fake::Inspect(form->Handle).shown) {
      EXPECT_EQ(plat::ControlRect(form->Handle), s.outer);
      EXPECT_EQ(plat::ControlRect(form->Button1), s.button1);
    }
    EXPECT_EQ(plat::ControlRect(form->CpuImg), s.cpuImg);
    EXPECT_EQ(plat::ControlRect(form->Button4), s.button4);
    for (plat::Control c : {plat::Control(form->Handle), plat::Control(form->StatusBar)}) {
      EXPECT_EQ(fake::FontHeightOf(c), s.font);
    }
    EXPECT_EQ(fake::LiveFonts(), 1);
    std::vector<int> widths;
    for (const fake::Column& c : fake::Inspect(form->TaskListView).columns)
      widths.push_back(c.width);
    EXPECT_EQ(widths, s.taskColumns);
    EXPECT_EQ(fake::Inspect(form->StatusBar).statusParts, s.parts);
    EXPECT_EQ(fake::ImageListSize(form->ImageList), s.icon);
    EXPECT_EQ(fake::Inspect(form->TaskListView).imageList, form->ImageList);
    EXPECT_EQ(fake::LiveImageLists(), 1);
  }
};

TEST_F(DpiTest, TheTableIsScaledToTheDisplay) {
  // 144 last: it is shown below.
  for (const Scale& s : {kScales[0], kScales[1], kScales[3], kScales[2]}) {
    form.reset();
    fake::ResetGui();
    fake::SetDisplayDpi(s.dpi);
    form = std::make_unique<TMainForm>();
    ExpectScale(s);
  }
  // Shown at 144: a 643 x 591 client area, a 29-pixel status bar, pages of 635 x 534 whose
  // buttons end 9 px (6 x 1.5) above the bottom edge; the 256 x 86 graphs at 384 x 129.
  form->Show();
  EXPECT_EQ(plat::ControlRect(form->PageControl1), (R{0, 0, 643, 562}));
  EXPECT_EQ(plat::ControlRect(form->StatusBar), (R{0, 562, 643, 29}));
  EXPECT_EQ(plat::ControlRect(form->TaskListView), (R{33, 36, 570, 443}));
  EXPECT_EQ(plat::ControlRect(form->Button1), (R{210, 488, 133, 37}));
  EXPECT_EQ(R(0, 0, CpuGraph->Width(), CpuGraph->Height()), (R{0, 0, 256, 86}));
  const fake::Picture picture = fake::Inspect(form->memImg).picture;
  EXPECT_EQ(R(0, 0, picture.width, picture.height), (R{0, 0, 384, 129}));
}

// The window takes the suggested rectangle, every size follows the new DPI, one font and one
// image list stay alive, and the task rows keep their texts, icons and selection.
TEST_F(DpiTest, MovingToAnotherScaleAndBackKeepsRowsAndSelection) {
  for (std::uint32_t pid : {7u, 8u, 9u}) AddWindow("W", pid, "Notepad", 0x40 + pid);
  form->RefreshTaskList();
  plat::ListSelectRow(form->TaskListView, 1);
  form->Show();
  for (const Scale& s : {kScales[2], kScales[0]}) {
    const R suggested{100, 50, s.outer.width, s.outer.height};
    fake::ChangeDpi(form->Handle, s.dpi, suggested);
    EXPECT_EQ(plat::ControlRect(form->Handle), suggested);
    ExpectScale(s);
    EXPECT_EQ(fake::Inspect(form->CpuImg).picture.width, s.cpuImg.width);
    EXPECT_EQ(plat::ListSelectedRow(form->TaskListView), 1);
    EXPECT_EQ(fake::ImageListIcons(form->ImageList),
              (std::vector<std::uintptr_t>{0x47, 0x48, 0x49}));
    for (int row = 0; row < 3; ++row) EXPECT_EQ(plat::ListGetImage(form->TaskListView, row), row);
  }
}

// Nearest neighbour: at 2x each pixel is a 2 x 2 block; at 1.5x every colour stays and none
// is added; at 1x the raster itself is shown.
TEST(ScaleNearestTest, BlocksAtTwiceAndNoNewColoursAtOneAndAHalf) {
  const std::vector<std::uint8_t> source = {1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4,
                                            5, 5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8};
  const plat::RasterView from{source.data(), 4, 2, 12};
  std::vector<std::uint8_t> pixels;
  auto column = [&](int width, int height) {  // the first byte of each pixel
    const plat::RasterView v = ScaleNearest(from, width, height, pixels);
    std::vector<int> out;
    for (int i = 0; i < v.width * v.height; ++i)
      out.push_back(v.bits[i / v.width * v.stride + i % v.width * 3]);
    return out;
  };
  EXPECT_EQ(column(8, 4), (std::vector<int>{1, 1, 2, 2, 3, 3, 4, 4, 1, 1, 2, 2, 3, 3, 4, 4,
                                            5, 5, 6, 6, 7, 7, 8, 8, 5, 5, 6, 6, 7, 7, 8, 8}));
  const std::vector<int> half = column(6, 3);
  EXPECT_EQ(std::set<int>(half.begin(), half.end()), (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(ScaleNearest(from, 4, 2, pixels).bits, source.data());
}

}  // namespace
