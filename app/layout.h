#pragma once
// Anchoring: where every control of the main window goes when the window is resized.
// A pure function over a table, so that it can be checked without a window.

#include <functional>
#include <vector>

#include "platform/types.h"

struct TAnchors {
  bool left = true;
  bool top = true;
  bool right = false;
  bool bottom = false;
};

// How a control follows its parent.
enum class TLayoutRule {
  Anchored,     // keeps its distances to the anchored edges of the parent's client area
  AboveStatus,  // fills the parent's client area above the status bar
  TabPage,      // fills the page area of its parent tab control
  DockBottom,   // the status bar: full width, docked to the bottom edge
  InsidePanel,  // fills its parent panel's client area inside the panel's two bevels
};

// The control table's numbers are pixels at this many dots per inch.
inline constexpr int kDesignDpi = 96;

// value * numerator / denominator rounded to the nearest integer, halves away from zero,
// as MulDiv rounds; 0 when the denominator is 0.
int MulDivRound(int value, int numerator, int denominator);
// A length of the control table in device pixels at `dpi`.
inline int Scaled(int logical, int dpi) { return MulDivRound(logical, dpi, kDesignDpi); }
// A rectangle of the control table in device pixels at `dpi`: its edges are scaled, so
// controls that meet or line up in the table still do.
plat::Rect ScaledRect(const plat::Rect& logical, int dpi);

// In the table's units, like the constant below.
inline constexpr int kStatusBarHeight = 19;
// The space kept between a page's lowest bottom-anchored control and the page's bottom edge,
// as the table keeps between a list and the buttons under it.
inline constexpr int kPageBottomMargin = 6;

struct TLayoutItem {
  int parent = -1;    // index of the parent in the same table, -1 for the window itself
  plat::Rect design;  // at the design size, relative to the parent's client area
  TAnchors anchors;
  TLayoutRule rule = TLayoutRule::Anchored;
};

struct TSize {
  int width = 0;
  int height = 0;
};

// What a panel of `panel` device pixels at `dpi` leaves inside its two bevels, relative to
// the panel: at 96 dpi two pixels on every side.
plat::Rect InsideBevels(TSize panel, int dpi);

// The page area, relative to the tab control, of a tab control of the given size.
using TTabDisplayFn = std::function<plat::Rect(int width, int height)>;

// The rectangles of every item, in device pixels at `dpi`, for a window client area of
// `current` device pixels, the table having been designed for `design` (the table's units,
// like every item's design rectangle and the constants above). Parents must come before their
// children in the table. A control's client area is taken to be its whole rectangle (borders and
// captions are part of the design offsets of its children). A page's design height is not the page
// area of the designed tab control but what its controls need: its lowest bottom-anchored control
// ends kPageBottomMargin above the page's bottom edge; positions stay relative to the page's
// top-left corner, so a page smaller than that takes the difference from its stretching
// controls.
std::vector<plat::Rect> ComputeLayout(const std::vector<TLayoutItem>& items, TSize design,
                                      TSize current, const TTabDisplayFn& tabDisplay,
                                      int dpi = kDesignDpi);
