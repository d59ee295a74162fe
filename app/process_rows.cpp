#include "app/process_rows.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <utility>

#include "platform/sysinfo.h"

namespace {

constexpr int kSubItemCount = 4;  // PID, CPU, CPU time, memory

void AppendTwoDigits(std::wstring& text, std::int64_t value) {
  text.push_back(static_cast<wchar_t>(L'0' + value / 10 % 10));
  text.push_back(static_cast<wchar_t>(L'0' + value % 10));
}

}  // namespace

void DecimalText(std::wstring& text, std::int64_t value) {
  char digits[24];
  const char* const end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  text.assign(static_cast<const char*>(digits), end);
}

std::wstring DecimalText(std::int64_t value) {
  std::wstring text;
  DecimalText(text, value);
  return text;
}

std::string ProcessRowKey(plat::ListViewHandle list, int row) {
  const std::wstring text = plat::ListGetText(list, row, kPidColumn);
  std::string key;
  key.reserve(text.size());
  // Anything but ASCII cannot be part of a key.
  for (wchar_t c : text)
    key.push_back(static_cast<std::uint32_t>(c) < 0x80 ? static_cast<char>(c) : '?');
  return key;
}

void FormatCpuTime(std::wstring& text, double cpuTimeDays, const std::wstring& separator) {
  // The record holds whole seconds / 86400; rounding recovers them exactly, where
  // truncation would turn 59 / 86400 into 58 seconds.
  std::int64_t seconds = std::llround(cpuTimeDays * 86400.0);
  if (seconds < 0) seconds = 0;
  text.clear();
  AppendTwoDigits(text, seconds / 3600 % 24);
  text += separator;
  AppendTwoDigits(text, seconds / 60 % 60);
  text += separator;
  AppendTwoDigits(text, seconds % 60);
}

void FormatMemoryK(std::wstring& text, std::uint32_t kilobytes) {
  DecimalText(text, kilobytes);
  text += L" K";
}

void TProcessRows::Reconcile(plat::ListViewHandle list, TProcList& snapshot) {
  // Asked once per refresh: on Windows every ask is a locale lookup.
  const std::wstring separator = plat::LocaleTimeSeparator();
  const int rows = plat::ListRowCount(list);
  const bool known =
      complete_ && shown_.size() == static_cast<std::size_t>(rows) && separator == separator_;
  complete_ = false;  // until this walk is through
  separator_ = separator;
  shown_.resize(static_cast<std::size_t>(rows));
  // Without the sub-items the PID column says nothing: the next refresh reads the rows back.
  const bool hasSubItems = plat::ListColumnCount(list) - 1 >= kSubItemCount;

  // The walk keeps shown_[0, position) for the rows kept so far; a kept row's entry moves
  // down over those of the rows deleted before it.
  int position = 0;
  bool failed = false;  // a row change that the list refused
  for (int pass = 0; pass < rows; ++pass) {
    // A known row's key is the PID it shows; any other is read back from the list.
    TProcInfo* info = known ? snapshot.TakeFirst(ProcessKey(shown_[pass].pid))
                            : snapshot.TakeFirst(ProcessRowKey(list, position));
    // A row the list refused to delete stays, as it shows; the next refresh reads it back.
    if (!info && plat::ListDeleteRow(list, position)) continue;
    if (pass != position) shown_[position] = std::move(shown_[pass]);
    if (!info) {
      failed = true;
    } else if (hasSubItems) {
      failed |= !Show(list, position, *info, shown_[position], known, false);
    } else {
      plat::ListSetText(list, position, 0, plat::AnsiToWide(info->Name));
    }
    ++position;
  }
  shown_.resize(static_cast<std::size_t>(position));

  snapshot.ForEach([&](std::string_view, const TProcInfo& info) {
    const int row = plat::ListAddRow(list, plat::AnsiToWide(info.Name));
    if (row < 0) {
      failed = true;
      return;
    }
    failed |= !Show(list, row, info, shown_.emplace_back(), false, true);
  });
  // What a refused change left on the screen is not what the record says: the next refresh
  // writes every row afresh.
  complete_ = hasSubItems && !failed;
}

bool TProcessRows::Show(plat::ListViewHandle list, int row, const TProcInfo& info, Shown& shown,
                        bool known, bool captionSet) {
  const bool sameName = known && shown.name == info.Name;
  bool set = true;
  if (!captionSet && !sameName) {
    set &= plat::ListSetText(list, row, 0, plat::AnsiToWide(info.Name));
  }
  if (!known || shown.pid != info.PID) {
    DecimalText(text_, info.PID);
    set &= plat::ListSetText(list, row, kPidColumn, text_);
  }
  if (!known) set &= plat::ListSetText(list, row, 2, std::wstring());
  if (!known || shown.cpuTime != info.CpuTime) {
    FormatCpuTime(text_, info.CpuTime, separator_);
    set &= plat::ListSetText(list, row, 3, text_);
  }
  if (!known || shown.memoryK != info.MemoryK) {
    FormatMemoryK(text_, info.MemoryK);
    set &= plat::ListSetText(list, row, 4, text_);
  }
  shown.pid = info.PID;
  shown.memoryK = info.MemoryK;
  shown.cpuTime = info.CpuTime;
  if (!sameName) shown.name = info.Name;
  return set;
}
