#pragma once
// The texts of a process row, the row's key read back from its PID column, and what each row
// shows, kept beside the list.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gui.h"
#include "sampling/uProcInfo.h"

inline constexpr int kPidColumn = 1;

// The process key that a row shows in its PID column.
std::string ProcessRowKey(plat::ListViewHandle list, int row);

// Decimal digits written over `text`, or as a new text. (std::to_wstring formats through the
// swprintf family, which costs more than all the rest of a row and 28 KB of the executable.)
void DecimalText(std::wstring& text, std::int64_t value);
std::wstring DecimalText(std::int64_t value);
// The CPU time (days) as hours within the day, minutes and seconds joined by the locale's
// time separator, written over `text`.
void FormatCpuTime(std::wstring& text, double cpuTimeDays, const std::wstring& separator);
// The working set as "<n> K", written over `text`.
void FormatMemoryK(std::wstring& text, std::uint32_t kilobytes);

// The process list's rows as the last refresh left them, in row order, so that a refresh
// compares each record with what its row shows and writes only the texts that changed. It is
// trusted after a walk that ran to its end with every change taken, while it holds one entry
// per row and the time separator is the one its texts were written with; otherwise every row
// is written afresh, as read back from the list.
class TProcessRows {
 public:
  // The reconcile walk and the append walk of one refresh, over a snapshot of this tick.
  void Reconcile(plat::ListViewHandle list, TProcList& snapshot);

 private:
  struct Shown {
    std::int32_t pid = 0;
    std::uint32_t memoryK = 0;
    double cpuTime = 0;
    std::string name;
  };
  // Writes the row's caption (unless `captionSet`) and sub-items where they differ from
  // `shown` (all of them when not `known`), then records the record in `shown`; false when
  // the list refused a text.
  bool Show(plat::ListViewHandle list, int row, const TProcInfo& info, Shown& shown, bool known,
            bool captionSet);

  std::vector<Shown> shown_;
  bool complete_ = false;  // the last walk ran to its end over a list with every column
  std::wstring separator_;
  std::wstring text_;  // reused for every text formatted
};
