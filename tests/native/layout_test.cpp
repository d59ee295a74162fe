// Anchoring of controls to their parents on resize.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/layout.h"

using ::testing::ElementsAre;

namespace {

constexpr TAnchors kLeftTop{true, true, false, false};
constexpr TAnchors kRightBottom{false, false, true, true};
constexpr TAnchors kAll{true, true, true, true};

plat::Rect Inset(int width, int height) { return plat::Rect{4, 24, width - 8, height - 28}; }

TEST(LayoutTest, AnchorsDecideWhatMovesAndWhatStretches) {
  const std::vector<TLayoutItem> items = {
      {-1, {10, 20, 30, 40}, kLeftTop, TLayoutRule::Anchored},
      {-1, {300, 250, 80, 25}, kRightBottom, TLayoutRule::Anchored},
      {-1, {10, 10, 380, 280}, kAll, TLayoutRule::Anchored},
      {-1, {5, 5, 50, 50}, TAnchors{true, false, true, false}, TLayoutRule::Anchored},
  };
  auto rects = ComputeLayout(items, {400, 300}, {460, 350}, Inset);
  EXPECT_EQ(rects[0], (plat::Rect{10, 20, 30, 40}));
  EXPECT_EQ(rects[1], (plat::Rect{360, 300, 80, 25}));  // right and bottom distances kept
  EXPECT_EQ(rects[2], (plat::Rect{10, 10, 440, 330}));  // stretches both ways
  EXPECT_EQ(rects[3], (plat::Rect{5, 5, 110, 50}));     // stretches across only

  rects = ComputeLayout(items, {400, 300}, {300, 200}, Inset);  // shrinking
  EXPECT_EQ(rects[1], (plat::Rect{200, 150, 80, 25}));
  EXPECT_EQ(rects[2], (plat::Rect{10, 10, 280, 180}));
}

TEST(LayoutTest, NestedControlsFollowTheirParentsNewSize) {
  const std::vector<TLayoutItem> items = {
      {-1, {0, 0, 400, 281}, kLeftTop, TLayoutRule::AboveStatus},
      {0, {}, kLeftTop, TLayoutRule::TabPage},
      {1, {20, 20, 300, 227}, kAll, TLayoutRule::Anchored},
      {2, {250, 150, 40, 20}, kRightBottom, TLayoutRule::Anchored},
      {-1, {0, 281, 400, 19}, kLeftTop, TLayoutRule::DockBottom},
  };
  auto rects = ComputeLayout(items, {400, 300}, {500, 400}, Inset);
  EXPECT_EQ(rects[0], (plat::Rect{0, 0, 500, 381}));
  EXPECT_EQ(rects[1], Inset(500, 381));
  EXPECT_EQ(rects[2], (plat::Rect{20, 20, 400, 327}));
  EXPECT_EQ(rects[3], (plat::Rect{350, 250, 40, 20}));  // grew with its stretched parent
  EXPECT_EQ(rects[4], (plat::Rect{0, 381, 500, 19}));

  // At the design size everything is where it was designed.
  rects = ComputeLayout(items, {400, 300}, {400, 300}, Inset);
  EXPECT_EQ(rects[2], (plat::Rect{20, 20, 300, 227}));
  EXPECT_EQ(rects[3], (plat::Rect{250, 150, 40, 20}));
}

// A page is as high as its lowest bottom-anchored control needs (its bottom edge 250 plus a
// 6 px margin: 256), not as high as the designed tab control's page area (253); its controls
// keep their places relative to its top-left corner.
TEST(LayoutTest, PagesKeepAMarginUnderTheirBottomAnchoredControls) {
  const std::vector<TLayoutItem> items = {
      {-1, {0, 0, 400, 281}, kLeftTop, TLayoutRule::AboveStatus},
      {0, {}, kLeftTop, TLayoutRule::TabPage},
      {1, {20, 20, 300, 200}, kAll, TLayoutRule::Anchored},
      {1, {250, 230, 40, 20}, kRightBottom, TLayoutRule::Anchored},
  };
  struct Case {
    TSize client;
    plat::Rect list, button;
  };
  const Case cases[] = {
      {{400, 300}, {20, 20, 300, 197}, {250, 227, 40, 20}},
      {{500, 400}, {20, 20, 400, 297}, {350, 327, 40, 20}},
      {{400, 250}, {20, 20, 300, 147}, {250, 177, 40, 20}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.client.height);
    const auto rects = ComputeLayout(items, {400, 300}, c.client, Inset);
    EXPECT_EQ(rects[2], c.list);
    EXPECT_EQ(rects[3], c.button);
  }
}

}  // namespace
