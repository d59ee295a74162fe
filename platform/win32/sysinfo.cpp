// System information on Win32: the process table through the imported NtQuerySystemInformation,
// the CPU counters through the same routine looked up at run time, the memory status, ANSI text
// and the locale's time separator.

#include <windows.h>

#include <winternl.h>

#include <climits>
#include <cstddef>
#include <cstring>

#include "platform/os_layouts.h"
#include "platform/sysinfo.h"
#include "platform/win32/win32_util.h"

// plat::MemoryStatus is filled by GlobalMemoryStatus directly: it must be MEMORYSTATUS.
using plat::MemoryStatus;
static_assert(sizeof(MemoryStatus) == sizeof(MEMORYSTATUS));
static_assert(sizeof(MEMORYSTATUS) == kNativeLayout.memoryStatusSize);
static_assert(offsetof(MemoryStatus, dwLength) == offsetof(MEMORYSTATUS, dwLength));
static_assert(offsetof(MemoryStatus, dwMemoryLoad) == offsetof(MEMORYSTATUS, dwMemoryLoad));
static_assert(offsetof(MemoryStatus, dwTotalPhys) == offsetof(MEMORYSTATUS, dwTotalPhys));
static_assert(offsetof(MemoryStatus, dwAvailPhys) == offsetof(MEMORYSTATUS, dwAvailPhys));
static_assert(offsetof(MemoryStatus, dwTotalPageFile) == offsetof(MEMORYSTATUS, dwTotalPageFile));
static_assert(offsetof(MemoryStatus, dwAvailPageFile) == offsetof(MEMORYSTATUS, dwAvailPageFile));
static_assert(offsetof(MemoryStatus, dwTotalVirtual) == offsetof(MEMORYSTATUS, dwTotalVirtual));
static_assert(offsetof(MemoryStatus, dwAvailVirtual) == offsetof(MEMORYSTATUS, dwAvailVirtual));
static_assert(sizeof(plat::MemoryStatus::dwTotalPhys) == sizeof(MEMORYSTATUS::dwTotalPhys));
// plat::MemoryStatusEx is copied from a MEMORYSTATUSEX whole: the same fields in the same order.
static_assert(sizeof(plat::MemoryStatusEx) == sizeof(MEMORYSTATUSEX));
static_assert(offsetof(plat::MemoryStatusEx, ullAvailExtendedVirtual) ==
              offsetof(MEMORYSTATUSEX, ullAvailExtendedVirtual));

namespace {

using QueryRoutine = LONG(WINAPI*)(ULONG infoClass, PVOID buffer, ULONG length,
                                   PULONG returnedLength);

}  // namespace

// The looked-up routine; a QueryEntry is never created, only pointed at.
struct plat::QueryEntry {
  QueryRoutine routine;
};

namespace plat {

std::int32_t QuerySystemInformation(std::uint32_t infoClass, void* buffer, std::uint32_t length,
                                    std::uint32_t* returnedLength) {
  ULONG returned = 0;
  const NTSTATUS status =
      ::NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(infoClass), buffer, length,
                                 returnedLength ? &returned : nullptr);
  if (returnedLength) *returnedLength = returned;
  return static_cast<std::int32_t>(status);
}

const QueryEntry* LookupQueryEntry() {
  static QueryEntry entry{nullptr};
  if (entry.routine == nullptr) {
    entry.routine =
        win32::Routine<QueryRoutine>(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation");
  }
  return entry.routine != nullptr ? &entry : nullptr;
}

std::int32_t CallQueryEntry(const QueryEntry* entry, std::uint32_t infoClass, void* buffer,
                            std::uint32_t length) {
  return entry->routine(infoClass, buffer, length, nullptr);
}

void GlobalMemoryStatus(MemoryStatus& status) {
  ::GlobalMemoryStatus(reinterpret_cast<MEMORYSTATUS*>(&status));
}

bool GlobalMemoryStatusEx(MemoryStatusEx& status) {
  MEMORYSTATUSEX record{};
  record.dwLength = sizeof record;
  if (!::GlobalMemoryStatusEx(&record)) return false;
  std::memcpy(static_cast<void*>(&status), &record, sizeof record);
  return true;
}

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
