// The process list: brought in step with a fresh process snapshot on every tick.

#include <cmath>
#include <cstdint>
#include <string>

#include "app/CpuUseage.h"
#include "app/list_batch.h"
#include "platform/sysinfo.h"
#include "sampling/uProcInfo.h"

namespace {

constexpr int kPidColumn = 1;
constexpr int kSubItemCount = 4;  // PID, CPU, CPU time, memory

void AppendTwoDigits(std::wstring& text, std::int64_t value) {
  text.push_back(static_cast<wchar_t>(L'0' + value / 10 % 10));
  text.push_back(static_cast<wchar_t>(L'0' + value % 10));
}

// Decimal digits, with a '-' for a negative number. std::to_wstring formats through
// swprintf, which costs more than all the rest of a row.
std::wstring DecimalText(std::int64_t value) {
  wchar_t digits[24];
  wchar_t* const end = digits + 24;
  wchar_t* p = end;
  std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  do {
    *--p = static_cast<wchar_t>(L'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) *--p = L'-';
  return std::wstring(p, end);
}

// Row keys are the PID's decimal digits; they are ASCII both ways.
std::string KeyText(const std::wstring& text) {
  std::string key;
  key.reserve(text.size());
  for (wchar_t c : text) key.push_back(static_cast<char>(c));
  return key;
}

void SetSubItems(plat::ListViewHandle list, int row, const TProcInfo& info,
                 const std::wstring& separator) {
  plat::ListSetText(list, row, 1, DecimalText(info.PID));
  plat::ListSetText(list, row, 2, L"");
  plat::ListSetText(list, row, 3, FormatCpuTime(info.CpuTime, separator));
  plat::ListSetText(list, row, 4, FormatMemoryK(info.MemoryK));
}

}  // namespace

std::wstring FormatCpuTime(double cpuTimeDays, const std::wstring& separator) {
  // The record holds whole seconds / 86400; rounding recovers them exactly, where
  // truncation would turn 59 / 86400 into 58 seconds.
  std::int64_t seconds = std::llround(cpuTimeDays * 86400.0);
  if (seconds < 0) seconds = 0;
  // Built in place: one allocation for the whole text.
  std::wstring text;
  text.reserve(6 + 2 * separator.size());
  AppendTwoDigits(text, seconds / 3600 % 24);
  text += separator;
  AppendTwoDigits(text, seconds / 60 % 60);
  text += separator;
  AppendTwoDigits(text, seconds % 60);
  return text;
}

std::wstring FormatMemoryK(std::uint32_t kilobytes) {
  std::wstring text = DecimalText(kilobytes);
  text += L" K";
  return text;
}

void TMainForm::RefreshProcessList() {
  TProcList snapshot;
  GetProcessList(snapshot);
  plat::StatusSetText(StatusBar, 0,
                      L"进程数：" + std::to_wstring(static_cast<int>(snapshot.Count())));

  // Asked once per refresh: on Windows every ask is a locale lookup.
  const std::wstring separator = plat::LocaleTimeSeparator();
  TListBatch batch(procListView);
  const bool hasSubItems = plat::ListColumnCount(procListView) - 1 >= kSubItemCount;
  const int rows = plat::ListRowCount(procListView);
  int position = 0;
  for (int pass = 0; pass < rows; ++pass) {
    std::string key = KeyText(plat::ListGetText(procListView, position, kPidColumn));
    std::unique_ptr<TProcInfo> info = snapshot.TakeFirst(key);
    if (!info) {
      plat::ListDeleteRow(procListView, position);
      continue;
    }
    plat::ListSetText(procListView, position, 0, plat::AnsiToWide(info->Name));
    if (hasSubItems) SetSubItems(procListView, position, *info, separator);
    ++position;
  }

  for (auto& [key, info] : snapshot.TakeRemaining()) {
    int row = plat::ListAddRow(procListView, plat::AnsiToWide(info->Name));
    SetSubItems(procListView, row, *info, separator);
  }
}
