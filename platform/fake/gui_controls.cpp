// The simulated controls behind platform/gui.h: tab controls, report lists, status bars and
// picture boxes, with Win32's semantics (rows shift up on deletion and the selection follows
// them), and their probes for tests.

#include "platform/gui.h"

#include <algorithm>
#include <stdexcept>

#include "platform/fake/gui_state.h"

using fake::ControlState;
using fake::Row;
using fake::gui::GetKind;
using fake::gui::GetRow;
using fake::gui::Log;
using fake::gui::Violation;

namespace {

ControlState* GetList(plat::Control list, const char* op) {
  return GetKind(list, plat::ControlKind::ListView, op);
}

Row* ListRow(plat::ListViewHandle list, int row, const char* op) {
  return GetRow(GetList(list, op), row, op);
}

// Counts down an injected failure of a row change; false when the change is refused.
bool RowChange(ControlState* list) {
  if (list && list->failCountdown > 0 && --list->failCountdown == 0) {
    list->failCountdown = 1;
    if (list->failQuietly) return false;
    throw std::runtime_error("row change failed in " + list->name);
  }
  return true;
}

}  // namespace

namespace plat {

void TabSelect(TabControlHandle tabs, int index) {
  ControlState* t = GetKind(tabs, ControlKind::TabControl, "TabSelect");
  if (!t) return;
  if (index < 0 || index >= static_cast<int>(t->pages.size()))
    return Violation("TabSelect: no page " + std::to_string(index));
  t->selectedTab = index;
  Log("TabSelect", tabs, std::to_string(index));
}


Rect TabDisplayRect(TabControlHandle tabs, int width, int height) {
  GetKind(tabs, ControlKind::TabControl, "TabDisplayRect");
  return Rect{4, 24, width - 8, height - 28};
}

void ListAddColumn(ListViewHandle list, const std::wstring& caption, int width, Align align) {
  ControlState* l = GetList(list, "ListAddColumn");
  if (!l) return;
  l->columns.push_back(fake::Column{caption, width, align});
  for (Row& row : l->rows) row.cells.resize(l->columns.size());
}

void ListSetColumnWidth(ListViewHandle list, int column, int width) {
  ControlState* l = GetList(list, "ListSetColumnWidth");
  if (!l) return;
  if (column < 0 || column >= static_cast<int>(l->columns.size()))
    return Violation("ListSetColumnWidth: no column " + std::to_string(column));
  l->columns[column].width = width;
}

void ListSetImageList(ListViewHandle list, ImageListHandle images) {
  ControlState* l = GetList(list, "ListSetImageList");
  if (l) l->imageList = images;
}

int ListRowCount(ListViewHandle list) {
  ControlState* l = GetList(list, "ListRowCount");
  return l ? static_cast<int>(l->rows.size()) : 0;
}

int ListColumnCount(ListViewHandle list) {
  ControlState* l = GetList(list, "ListColumnCount");
  return l ? static_cast<int>(l->columns.size()) : 0;
}

int ListAddRow(ListViewHandle list, const std::wstring& caption) {
  ControlState* l = GetList(list, "ListAddRow");
  if (!l || !RowChange(l)) return -1;
  l->rows.push_back({std::vector<std::wstring>(std::max<std::size_t>(l->columns.size(), 1))});
  l->rows.back().cells[0] = caption;
  if (l->updateDepth > 0) l->redrawSuspended = true;
  Log("ListAddRow", list, std::to_string(l->rows.size() - 1));
  return static_cast<int>(l->rows.size()) - 1;
}

bool ListDeleteRow(ListViewHandle list, int row) {
  ControlState* l = GetList(list, "ListDeleteRow");
  if (!GetRow(l, row, "ListDeleteRow") || !RowChange(l)) return false;
  l->rows.erase(l->rows.begin() + row);
  if (l->updateDepth > 0) l->redrawSuspended = true;
  l->selected = l->selected == row ? -1 : l->selected - (l->selected > row);
  Log("ListDeleteRow", list, std::to_string(row));
  return true;
}

std::wstring ListGetText(ListViewHandle list, int row, int column) {
  Row* r = ListRow(list, row, "ListGetText");
  if (!r || column < 0 || column >= static_cast<int>(r->cells.size())) return {};
  return r->cells[static_cast<std::size_t>(column)];
}

bool ListSetText(ListViewHandle list, int row, int column, const std::wstring& text) {
  ControlState* l = GetList(list, "ListSetText");
  Row* r = GetRow(l, row, "ListSetText");
  if (!r || !RowChange(l)) return false;
  if (column < 0 || column >= static_cast<int>(r->cells.size())) {
    Violation("ListSetText: no column " + std::to_string(column));
    return false;
  }
  r->cells[static_cast<std::size_t>(column)] = text;
  if (fake::detail::callLog.on)
    Log("ListSetText", list, std::to_string(row) + " " + std::to_string(column));
  return true;
}

int ListGetImage(ListViewHandle list, int row) {
  Row* r = ListRow(list, row, "ListGetImage");
  return r ? r->image : -1;
}

bool ListSetImage(ListViewHandle list, int row, int imageIndex) {
  Row* r = ListRow(list, row, "ListSetImage");
  return r && ((r->image = std::max(imageIndex, -1)), true);
}

void ListRedrawRow(ListViewHandle list, int row) {
  if (ListRow(list, row, "ListRedrawRow")) Log("ListRedrawRow", list, std::to_string(row));
}

void* ListGetData(ListViewHandle list, int row) {
  Row* r = ListRow(list, row, "ListGetData");
  return r ? r->data : nullptr;
}

bool ListSetData(ListViewHandle list, int row, void* data) {
  Row* r = ListRow(list, row, "ListSetData");
  return r && ((r->data = data), true);
}

int ListSelectedRow(ListViewHandle list) {
  ControlState* l = GetList(list, "ListSelectedRow");
  return l ? l->selected : -1;
}


void ListBeginUpdate(ListViewHandle list) {
  ControlState* l = GetList(list, "ListBeginUpdate");
  if (!l) return;
  ++l->updateDepth;
  Log("ListBeginUpdate", list);
}

void ListEndUpdate(ListViewHandle list) {
  ControlState* l = GetList(list, "ListEndUpdate");
  if (!l) return;
  if (l->updateDepth == 0) return Violation("ListEndUpdate without ListBeginUpdate on " + l->name);
  ++l->updatePairs;
  l->redrawSuspended = --l->updateDepth > 0 && l->redrawSuspended;
  Log("ListEndUpdate", list);
}

void StatusSetParts(StatusBarHandle bar, const std::vector<int>& widths) {
  ControlState* b = GetKind(bar, ControlKind::StatusBar, "StatusSetParts");
  if (!b) return;
  b->statusParts = widths;
  b->partTexts.resize(std::max<std::size_t>(widths.size(), 1));  // never fewer than one
}

void StatusSetText(StatusBarHandle bar, int part, const std::wstring& text) {
  ControlState* b = GetKind(bar, ControlKind::StatusBar, "StatusSetText");
  if (!b) return;
  if (part < 0 || part >= static_cast<int>(b->partTexts.size()))
    return Violation("StatusSetText: no part " + std::to_string(part));
  b->partTexts[part] = text;
  Log("StatusSetText", bar, std::to_string(part));
}

std::wstring StatusGetText(StatusBarHandle bar, int part) {
  ControlState* b = GetKind(bar, ControlKind::StatusBar, "StatusGetText");
  if (!b || part < 0 || part >= static_cast<int>(b->partTexts.size())) return {};
  return b->partTexts[part];
}

void PictureSetImage(PictureBoxHandle picture, const RasterView& image) {
  ControlState* p = GetKind(picture, ControlKind::PictureBox, "PictureSetImage");
  if (!p) return;
  // A raster whose rows would not hold its width is refused; it, like an empty one, clears
  // the box.
  p->picture = {};
  if (image.bits && image.width > 0 && image.height > 0 && image.width <= 0x7FFF &&
      image.height <= 0x7FFF && image.stride >= image.width * 3) {
    const std::size_t bytes = static_cast<std::size_t>(image.stride) * image.height;
    p->picture = {{image.bits, image.bits + bytes}, image.width, image.height, image.stride};
  }
  ++p->pictureSets;
  Log("PictureSetImage", picture);
}

void PictureSetValue(PictureBoxHandle picture, const std::wstring& value) {
  ControlState* p = GetKind(picture, ControlKind::PictureBox, "PictureSetValue");
  if (!p) return;
  p->value = value;
  Log("PictureSetValue", picture);
}

}  // namespace plat

namespace fake {

void FailRowChangesFrom(plat::ListViewHandle list, int count, bool quietly) {
  if (ControlState* l = GetList(list, "FailRowChangesFrom")) {
    l->failCountdown = count;
    l->failQuietly = quietly;
  }
}

}  // namespace fake
