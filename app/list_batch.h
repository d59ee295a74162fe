#pragma once
// A batch update of a report list, ended exactly once when the scope is left, also by an
// exception.

#include "platform/gui.h"

class TListBatch {
 public:
  explicit TListBatch(plat::ListViewHandle list) : list_(list) { plat::ListBeginUpdate(list_); }
  ~TListBatch() { plat::ListEndUpdate(list_); }
  TListBatch(const TListBatch&) = delete;
  TListBatch& operator=(const TListBatch&) = delete;

 private:
  plat::ListViewHandle list_;
};
