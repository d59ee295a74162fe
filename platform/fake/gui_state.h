#pragma once
// The fake GUI's state, shared by gui.cpp (windows, menus, timer, message boxes),
// gui_controls.cpp (tabs, lists, status bars, pictures) and drawing.cpp (image lists); not for
// tests. Everything runs on the thread of the test.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/call_record.h"
#include "platform/fake/control/gui.h"
#include "platform/gui.h"

namespace fake::gui {

// A list row: its caption, then one text per further column, held back to back in one
// buffer, so that a row is one or two blocks of memory rather than one per text.
class Row {
 public:
  static constexpr std::size_t kMaxCells = 8;  // columns a fake list holds

  std::size_t CellCount() const { return count_; }
  std::wstring Cell(std::size_t i) const { return texts_.substr(Start(i), ends_[i] - Start(i)); }
  void SetCell(std::size_t i, const std::wstring& text) {
    const std::size_t start = Start(i);
    const std::size_t old = ends_[i] - start;
    texts_.replace(start, old, text);
    for (std::size_t k = i; k < count_; ++k) {
      ends_[k] = static_cast<std::uint32_t>(ends_[k] - old + text.size());
    }
  }
  // `count` cells (at most kMaxCells): the first ones keep their texts, new ones are empty.
  void Resize(std::size_t count) {
    count = std::min(count, kMaxCells);
    if (count < count_) texts_.resize(count == 0 ? 0 : ends_[count - 1]);
    for (std::size_t k = count_; k < count; ++k)
      ends_[k] = static_cast<std::uint32_t>(texts_.size());
    count_ = count;
  }
  // Starts loading the row's text buffer; the row itself should be in the cache already.
  void PrefetchTexts() const { __builtin_prefetch(texts_.data()); }
  // A blank row without cells, keeping the buffer's storage.
  void Reset() {
    texts_.clear();
    count_ = 0;
    image = -1;
    data = nullptr;
  }

  int image = -1;
  void* data = nullptr;

 private:
  std::size_t Start(std::size_t i) const { return i == 0 ? 0 : ends_[i - 1]; }
  std::wstring texts_;
  std::uint32_t ends_[kMaxCells] = {};  // where each cell's text ends in texts_
  std::size_t count_ = 0;
};

// A list's rows in positional order, held in a gap buffer: a deletion moves only the rows
// between it and the previous deletion, so a refresh that walks the list deleting rows costs
// linear time while positions still shift up as in a real list view. Rows are held by
// pointer, so a row's address stays put. A deleted row is kept for the next added one, whose
// texts then reuse its storage.
class RowStore {
 public:
  std::size_t size() const { return slots_.size() - gap_; }
  Row* operator[](std::size_t position) {
    return slots_[position < start_ ? position : position + gap_].get();
  }
  // A new blank row at the end.
  Row& Append() {
    MoveGap(size());
    std::unique_ptr<Row> row;
    if (spare_.empty()) {
      row = std::make_unique<Row>();
    } else {
      row = std::move(spare_.back());
      spare_.pop_back();
      row->Reset();
      // Rows are added in runs, and a deleted row has long left the cache by then: start
      // loading the next two spares (the next one's texts, the one after's row).
      const std::size_t n = spare_.size();
      if (n >= 1) spare_[n - 1]->PrefetchTexts();
      if (n >= 2) {
        const char* next = reinterpret_cast<const char*>(spare_[n - 2].get());
        __builtin_prefetch(next);
        __builtin_prefetch(next + sizeof(Row) - 1);
      }
    }
    Row& added = *row;
    if (gap_ > 0) {
      slots_[start_] = std::move(row);
      --gap_;
    } else {
      slots_.push_back(std::move(row));
    }
    ++start_;
    return added;
  }
  void erase(std::size_t position) {
    MoveGap(position);
    spare_.push_back(std::move(slots_[start_ + gap_]));
    ++gap_;
  }
  template <typename Visit>
  void ForEach(Visit&& visit) {
    for (std::size_t i = 0; i < size(); ++i) visit(*(*this)[i]);
  }

 private:
  void MoveGap(std::size_t to) {
    if (gap_ == 0) {
      start_ = to;
      return;
    }
    for (; start_ > to; --start_) slots_[start_ - 1 + gap_] = std::move(slots_[start_ - 1]);
    for (; start_ < to; ++start_) slots_[start_] = std::move(slots_[start_ + gap_]);
  }
  std::vector<std::unique_ptr<Row>> slots_;
  std::size_t start_ = 0;                    // the gap's first slot
  std::size_t gap_ = 0;                      // empty slots from start_ on
  std::vector<std::unique_ptr<Row>> spare_;  // deleted rows, for reuse
};

struct Menu {
  std::vector<fake::MenuItem> items;
  std::vector<std::uintptr_t> submenus;  // per item: the submenu handle, 0 for a command
};

struct ControlState {
  plat::ControlKind kind = plat::ControlKind::Button;
  bool isWindow = false;
  std::string name;
  std::wstring caption;
  plat::Rect rect;  // a main window's: its client area, at 0, 0
  plat::Control parent;
  int commandId = 0;
  bool destroyed = false;
  int fontHeight = 0;  // the character height of the font it was last given, 0: none
  // main window
  plat::MainWindowArgs args;
  plat::Rect outer;  // on the desktop
  int dpi = 96;
  bool shown = false;
  bool timerRunning = false;
  std::uint32_t timerInterval = 0;
  bool topmost = false;
  bool doubleBuffered = false;
  std::uintptr_t menuBar = 0;
  std::map<int, bool> checks;
  // tab control
  std::vector<plat::Control> pages;
  int selectedTab = -1;
  // list view
  std::vector<fake::Column> columns;
  RowStore rows;
  int selected = -1;
  int updateDepth = 0;
  int updatePairs = 0;
  bool redrawSuspended = false;  // a row changed inside the open batch
  int failCountdown = 0;
  bool failQuietly = false;  // a failing row change reports failure instead of throwing
  plat::ImageListHandle images;
  // status bar
  std::vector<int> parts;
  std::vector<std::wstring> partTexts = std::vector<std::wstring>(1);  // one part at first
  // picture box
  fake::Picture picture;
  int pictureSets = 0;
};

struct State {
  std::uintptr_t nextHandle = 0x100;
  std::map<std::uintptr_t, ControlState> controls;
  std::vector<std::uintptr_t> order;  // creation order
  std::map<std::uintptr_t, Menu> menus;
  plat::Control mainWindow;
  int displayDpi = 96;  // what a new main window is shown at
  int fonts = 0;        // fonts made and not yet deleted
  std::vector<std::string> violations;
  CallRecord<std::string> log;  // started by ClearGuiLog
  std::function<void()> loopBody;
  std::deque<int> answers;
  std::function<int(const fake::MessageBox&)> boxHandler;
  std::vector<fake::MessageBox> boxes;
};

// The one state of the simulated GUI.
State& S();

// A new handle value for a control, window, menu or image list.
std::uintptr_t NewHandle();
void Violation(std::string text);
// Appends "op name [arg]" to the log.
void Log(const std::string& op, plat::Control control, const std::string& arg = "");
// The live control, or null (and a violation) when there is none; a destroyed control
// fails quietly, as calls on a destroyed window do.
ControlState* Get(plat::Control control, const char* op);
ControlState* GetKind(plat::Control control, plat::ControlKind kind, const char* op);
ControlState* GetWindow(plat::Control window, const char* op);
ControlState* GetList(plat::Control list, const char* op);
// Counts down an injected failure of a row change; false when the change is refused.
bool RowChange(ControlState* list);
Row* GetRow(ControlState* list, int row, const char* op);
plat::Control NewControl(ControlState state);
// The control's state for a probe: no violation, destroyed controls too.
const ControlState* Peek(plat::Control control);

// drawing.cpp: forgets every image list.
void ResetImageLists();

}  // namespace fake::gui
