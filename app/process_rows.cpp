#include "app/process_rows.h"

#include <cmath>

#include "sampling/uProcInfo.h"

namespace {

void AppendTwoDigits(std::wstring& text, std::int64_t value) {
  text.push_back(static_cast<wchar_t>(L'0' + value / 10 % 10));
  text.push_back(static_cast<wchar_t>(L'0' + value % 10));
}

// Decimal digits. std::to_wstring formats through swprintf, which costs more than all the
// rest of a row.
std::wstring DecimalText(std::uint32_t value) {
  wchar_t digits[10];
  wchar_t* const end = digits + 10;
  wchar_t* p = end;
  do {
    *--p = static_cast<wchar_t>(L'0' + value % 10);
    value /= 10;
  } while (value != 0);
  return std::wstring(p, end);
}

}  // namespace

std::wstring PidText(std::int32_t pid) {
  // Keys are ASCII: a plain copy widens them.
  const std::string key = ProcessKey(pid);
  return std::wstring(key.begin(), key.end());
}

std::string ProcessRowKey(plat::ListViewHandle list, int row) {
  const std::wstring text = plat::ListGetText(list, row, kPidColumn);
  std::string key;
  key.reserve(text.size());
  // Anything but ASCII cannot be part of a key.
  for (wchar_t c : text) {
    key.push_back(static_cast<std::uint32_t>(c) < 0x80 ? static_cast<char>(c) : '?');
  }
  return key;
}

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
