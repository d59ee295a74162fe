// Anchoring of the main window's controls.

#include "app/layout.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "platform/gui.h"

namespace {

// One axis: position and extent for a parent that grew by `delta`. Anchored on the near
// edge only (or on neither), the control stays where it is.
void Follow(int& position, int& extent, bool nearEdge, bool farEdge, int delta) {
  if (nearEdge && farEdge) {
    extent += delta;
  } else if (farEdge) {
    position += delta;
  }
}

// Where one item (its design rectangle already in device pixels) goes inside a parent
// designed at `parentDesign` and now `parentNow`; the status bar is `barHeight` high.
plat::Rect Place(const TLayoutItem& item, TSize parentDesign, TSize parentNow, int barHeight,
                 const TTabDisplayFn& tabDisplay, int dpi) {
  switch (item.rule) {
    case TLayoutRule::InsidePanel:
      return InsideBevels(parentNow, dpi);
    case TLayoutRule::AboveStatus:
      return plat::Rect{0, 0, parentNow.width, parentNow.height - barHeight};
    case TLayoutRule::DockBottom:
      return plat::Rect{0, parentNow.height - barHeight, parentNow.width, barHeight};
    case TLayoutRule::TabPage:
      return tabDisplay ? tabDisplay(parentNow.width, parentNow.height)
                        : plat::Rect{0, 0, parentNow.width, parentNow.height};
    case TLayoutRule::Anchored:
      break;
  }
  plat::Rect r = item.design;
  Follow(r.left, r.width, item.anchors.left, item.anchors.right,
         parentNow.width - parentDesign.width);
  Follow(r.top, r.height, item.anchors.top, item.anchors.bottom,
         parentNow.height - parentDesign.height);
  return r;
}

// The design height of page `page`: its lowest bottom-anchored child's bottom edge plus the
// margin, or `areaHeight` (the designed tab control's page area) when no child follows the
// bottom edge (nothing then depends on the page's height).
int PageDesignHeight(const std::vector<TLayoutItem>& items, int page, int areaHeight, int dpi) {
  int lowest = -1;
  for (const TLayoutItem& item : items) {
    if (item.parent == page && item.rule == TLayoutRule::Anchored && item.anchors.bottom) {
      lowest = std::max(lowest, item.design.top + item.design.height);
    }
  }
  return lowest < 0 ? areaHeight : Scaled(lowest + kPageBottomMargin, dpi);
}

}  // namespace

int MulDivRound(int value, int numerator, int denominator) {
  if (denominator == 0) return 0;
  const std::int64_t product = std::int64_t{value} * numerator;
  const std::int64_t divisor = std::llabs(denominator);
  // Halves away from zero: the magnitude is rounded, then the sign restored.
  const std::int64_t rounded = (std::llabs(product) + divisor / 2) / divisor;
  return static_cast<int>((product < 0) != (denominator < 0) ? -rounded : rounded);
}

plat::Rect ScaledRect(const plat::Rect& logical, int dpi) {
  const int left = Scaled(logical.left, dpi);
  const int top = Scaled(logical.top, dpi);
  return plat::Rect{left, top, Scaled(logical.left + logical.width, dpi) - left,
                    Scaled(logical.top + logical.height, dpi) - top};
}

plat::Rect InsideBevels(TSize panel, int dpi) {
  const int inset = 2 * plat::PanelBevelWidth(dpi);
  return plat::Rect{inset, inset, std::max(0, panel.width - 2 * inset),
                    std::max(0, panel.height - 2 * inset)};
}

std::vector<plat::Rect> ComputeLayout(const std::vector<TLayoutItem>& items, TSize design,
                                      TSize current, const TTabDisplayFn& tabDisplay, int dpi) {
  design = TSize{Scaled(design.width, dpi), Scaled(design.height, dpi)};
  const int barHeight = Scaled(kStatusBarHeight, dpi);
  // Each item's rectangle at the design size, so that its children know their parent's
  // design size: a filled control's design size follows from its parent's, like its
  // current size does.
  std::vector<plat::Rect> atDesign(items.size());
  std::vector<plat::Rect> now(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    const TLayoutItem& item = items[i];
    TSize parentDesign = design;
    TSize parentNow = current;
    if (item.parent >= 0) {
      const plat::Rect& d = atDesign[item.parent];
      const plat::Rect& n = now[item.parent];
      parentDesign = TSize{d.width, d.height};
      parentNow = TSize{n.width, n.height};
    }
    TLayoutItem scaled = item;
    scaled.design = ScaledRect(item.design, dpi);
    atDesign[i] = Place(scaled, parentDesign, parentDesign, barHeight, tabDisplay, dpi);
    if (item.rule == TLayoutRule::TabPage) {
      atDesign[i].height = PageDesignHeight(items, static_cast<int>(i), atDesign[i].height, dpi);
    }
    now[i] = Place(scaled, parentDesign, parentNow, barHeight, tabDisplay, dpi);
  }
  return now;
}
