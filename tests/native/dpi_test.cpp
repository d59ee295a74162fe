// Display scale: the 96-dpi table in device pixels at 96 to 240 dpi, a move to a display of
// another scale, and the graphs scaled without smoothing.

#include <set>

#include "graphs/TUseage.h"
#include "platform/fake/control/gui.h"
#include "tests/native/app_fixture.h"

namespace {

using R = plat::Rect;
using Ints = std::vector<int>;
// Before the first show: the window centred on the fake's 1024 x 768 desktop (at the top when
// taller) and Button1; wherever the window is: CpuImg and Button4, then the font's height, the
// icons' size, the task list's column widths and the status bar's part widths. CpuImg fills
// its panel (12, 21, 260, 90 scaled by edges) inside two bevels of 1, 1, 2, 2, 2, 3 pixels.
const struct Scale {
  int dpi;
  R outer, button1;
  std::vector<R> rects;
  Ints sizes;
} kScales[] = {
    // clang-format off
    {96,  {295, 169, 434, 430}, {137, 311, 89, 25},  {{2, 2, 256, 86},  {152, 0, 273, 20}}, {11, 16, 250, 100, 95, 120, 50}},
    {120, {240, 115, 543, 538}, {171, 389, 112, 31}, {{2, 2, 321, 109}, {190, 0, 341, 25}}, {13, 20, 313, 125, 119, 150, 62}},
    {144, {186, 61, 651, 645},  {206, 467, 133, 37}, {{4, 4, 382, 127}, {228, 0, 410, 30}}, {16, 24, 375, 150, 143, 180, 75}},
    {192, {78, 0, 868, 860},    {274, 622, 178, 50}, {{4, 4, 512, 172}, {304, 0, 546, 40}}, {21, 32, 500, 200, 190, 240, 100}},
    {168, {132, 7, 760, 753},   {240, 544, 156, 44}, {{4, 4, 447, 149}, {266, 0, 478, 35}}, {19, 28, 438, 175, 166, 210, 88}},
    {240, {0, 0, 1085, 1075},   {343, 778, 222, 62}, {{6, 6, 638, 213}, {380, 0, 683, 50}}, {27, 40, 625, 250, 238, 300, 125}},
    // clang-format on
};

std::pair<std::vector<R>, Ints> AtScale(const TMainForm& f) {
  Ints sizes{fake::Inspect(f.StatusBar).fontHeight,
             fake::TheGui().imageLists[fake::Inspect(f.TaskListView).imageList.value].size};
  for (const fake::Column& c : fake::Inspect(f.TaskListView).columns) sizes.push_back(c.width);
  for (int part : fake::Inspect(f.StatusBar).statusParts) sizes.push_back(part);
  return {{probe::ControlRect(f.CpuImg), probe::ControlRect(f.Button4)}, sizes};
}

using DpiTest = AppTest;

// The window made at each scale; then, shown at 144, moved to each other scale: it takes the
// suggested rectangle, the sizes and the graphs' pictures follow, one font and one image list
// stay alive, and the task rows keep the selection and their own icons.
TEST_F(DpiTest, TheTableIsScaledToTheDisplayAndToTheNextOne) {
  for (const Scale& s : {kScales[0], kScales[1], kScales[3], kScales[4], kScales[5], kScales[2]}) {
    form.reset();
    fake::ResetGui();
    fake::TheGui().displayDpi = s.dpi;
    form = std::make_unique<TMainForm>();
    EXPECT_EQ(
        std::vector({probe::ControlRect(form->Handle), probe::ControlRect(form->Button1)}),
        std::vector({s.outer, s.button1}));
    EXPECT_EQ(AtScale(*form), std::pair(s.rects, s.sizes)) << s.dpi;
  }
  for (std::uint32_t pid : {7u, 8u, 9u}) AddWindow("W", pid, "Notepad", 0x40 + pid);
  form->RefreshTaskList();
  probe::ListSelectRow(form->TaskListView, 1);
  // Shown at 144: a 643 x 591 client area, a 29-pixel status bar, pages whose buttons end
  // 9 px (6 x 1.5) above their bottom edge; the graphs' images stay 256 x 86.
  form->Show();
  EXPECT_EQ(
      std::vector({probe::ControlRect(form->PageControl1), probe::ControlRect(form->StatusBar),
                   probe::ControlRect(form->TaskListView), probe::ControlRect(form->Button1),
                   R{0, 0, CpuGraph->Width(), CpuGraph->Height()}}),
      // clang-format off
            std::vector<R>({{0, 0, 643, 562}, {0, 562, 643, 29}, {33, 36, 570, 443},
                            {210, 488, 133, 37}, {0, 0, 256, 86}}));
  // clang-format on
  for (const Scale& s : {kScales[3], kScales[5], kScales[4], kScales[1], kScales[0]}) {
    const R suggested{100, 50, s.outer.width, s.outer.height};
    fake::ChangeDpi(form->Handle, s.dpi, suggested);
    const fake::Picture cpu = fake::Inspect(form->CpuImg).picture;
    EXPECT_EQ(std::vector({probe::ControlRect(form->Handle), R{0, 0, cpu.width, cpu.height}}),
              std::vector({suggested, R{0, 0, s.rects[0].width, s.rects[0].height}}));
    EXPECT_EQ(AtScale(*form), std::pair(s.rects, s.sizes)) << s.dpi;
    const plat::ListViewHandle list = form->TaskListView;
    EXPECT_EQ(Ints({fake::TheGui().fonts, fake::LiveImageLists(), plat::ListSelectedRow(list),
                    plat::ListGetImage(list, 0), plat::ListGetImage(list, 1),
                    plat::ListGetImage(list, 2)}),
              Ints({1, 1, 1, 0, 1, 2}));
    EXPECT_EQ(fake::ImageListIcons(fake::Inspect(list).imageList),
              (std::vector<std::uintptr_t>{0x47, 0x48, 0x49}));
  }
}

// Nearest neighbour: at 2x each pixel is a 2 x 2 block; at 1.5x every colour stays and none
// is added (a blend of any two would be new); at 1x the raster itself is shown.
TEST(ScaleNearestTest, BlocksAtTwiceAndNoNewColoursAtOneAndAHalf) {
  std::vector<std::uint8_t> source{10, 10, 10, 20, 20, 20, 40, 40, 40, 80, 80, 80}, pixels;
  const plat::RasterView from{source.data(), 2, 2, 6};
  auto colours = [&](int size) {  // the first byte of each pixel, scaled to size x size
    const plat::RasterView v = ScaleNearest(from, size, size, pixels);
    Ints out;
    for (int i = 0; i < v.height * v.stride; i += 3) out.push_back(v.bits[i]);
    return out;
  };
  EXPECT_EQ(colours(4), Ints({10, 10, 20, 20, 10, 10, 20, 20, 40, 40, 80, 80, 40, 40, 80, 80}));
  const Ints half = colours(3);
  EXPECT_EQ(std::set<int>(half.begin(), half.end()), (std::set<int>{10, 20, 40, 80}));
  EXPECT_EQ(ScaleNearest(from, 2, 2, pixels).bits, source.data());
  // Across and down by different ratios (as 256 x 86 to 320 x 107 at 120 dpi): 4 x 1 to 8 x 3.
  const plat::RasterView wide = ScaleNearest({source.data(), 4, 1, 12}, 8, 3, pixels);
  EXPECT_EQ(Ints(wide.bits + 2 * wide.stride, wide.bits + 3 * wide.stride),
            Ints({10, 10, 10, 10, 10, 10, 20, 20, 20, 20, 20, 20,
                  40, 40, 40, 40, 40, 40, 80, 80, 80, 80, 80, 80}));
}

}  // namespace
