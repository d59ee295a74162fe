// Anchoring of the main window's controls.

#include "app/layout.h"

#include <algorithm>

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

// Where one item goes inside a parent designed at `parentDesign` and now `parentNow`.
plat::Rect Place(const TLayoutItem& item, TSize parentDesign, TSize parentNow,
                 const TTabDisplayFn& tabDisplay) {
  switch (item.rule) {
    case TLayoutRule::AboveStatus:
      return plat::Rect{0, 0, parentNow.width, parentNow.height - kStatusBarHeight};
    case TLayoutRule::DockBottom:
      return plat::Rect{0, parentNow.height - kStatusBarHeight, parentNow.width, kStatusBarHeight};
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
int PageDesignHeight(const std::vector<TLayoutItem>& items, int page, int areaHeight) {
  int lowest = -1;
  for (const TLayoutItem& item : items) {
    if (item.parent == page && item.rule == TLayoutRule::Anchored && item.anchors.bottom) {
      lowest = std::max(lowest, item.design.top + item.design.height);
    }
  }
  return lowest < 0 ? areaHeight : lowest + kPageBottomMargin;
}

}  // namespace

std::vector<plat::Rect> ComputeLayout(const std::vector<TLayoutItem>& items, TSize design,
                                      TSize current, const TTabDisplayFn& tabDisplay) {
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
    atDesign[i] = Place(item, parentDesign, parentDesign, tabDisplay);
    if (item.rule == TLayoutRule::TabPage) {
      atDesign[i].height = PageDesignHeight(items, static_cast<int>(i), atDesign[i].height);
    }
    now[i] = Place(item, parentDesign, parentNow, tabDisplay);
  }
  return now;
}
