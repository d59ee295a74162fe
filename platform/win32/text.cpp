// ANSI text and the locale's time separator on Win32.

#include <windows.h>

#include <climits>

#include "platform/sysinfo.h"

namespace plat {

std::string WideToAnsi(std::u16string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int needed = ::WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string out(static_cast<std::size_t>(needed), '\0');
  const int written =
      ::WideCharToMultiByte(CP_ACP, 0, wide, length, out.data(), needed, nullptr, nullptr);
  out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return out;
}

std::wstring AnsiToWide(std::string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int length = static_cast<int>(text.size());
  const int needed = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring out(static_cast<std::size_t>(needed), L'\0');
  const int written = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, out.data(), needed);
  out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return out;
}

std::wstring LocaleTimeSeparator() {
  wchar_t separator[8] = {};
  // LOCALE_STIME is deprecated but still answers with the separator of the user's format.
  if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, separator, 8) <= 1) return L":";
  return separator;
}

}  // namespace plat
