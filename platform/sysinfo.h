#pragma once
// System information: native information classes, memory status, ANSI text and locale.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace plat {

// NtQuerySystemInformation bound through the import table (used for the process table).
// Returns the NTSTATUS; `returnedLength` may be null.
std::int32_t QuerySystemInformation(std::uint32_t infoClass, void* buffer, std::uint32_t length,
                                    std::uint32_t* returnedLength);

// The same routine looked up at run time in the already loaded "ntdll.dll"
// (GetModuleHandleA, then GetProcAddress). Null when it cannot be resolved.
struct QueryEntry;
const QueryEntry* LookupQueryEntry();
// Calls a looked-up entry with a null returned-length argument; returns the NTSTATUS.
std::int32_t CallQueryEntry(const QueryEntry* entry, std::uint32_t infoClass, void* buffer,
                            std::uint32_t length);

// MEMORYSTATUS of the running architecture: eight 32-bit fields (32 bytes) on 32-bit
// Windows; two 32-bit fields and six pointer-sized ones (56 bytes) on 64-bit.
struct MemoryStatus {
  std::uint32_t dwLength = 0;
  std::uint32_t dwMemoryLoad = 0;
  std::size_t dwTotalPhys = 0;
  std::size_t dwAvailPhys = 0;
  std::size_t dwTotalPageFile = 0;
  std::size_t dwAvailPageFile = 0;
  std::size_t dwTotalVirtual = 0;
  std::size_t dwAvailVirtual = 0;
};

// GlobalMemoryStatus: fills every field as the system does, also where a figure overflows
// its field (a 32-bit process above 4 GiB); reports no failure.
void GlobalMemoryStatus(MemoryStatus& status);

// MEMORYSTATUSEX: the same figures in 64-bit fields on every architecture (64 bytes).
struct MemoryStatusEx {
  std::uint32_t dwLength = 0;
  std::uint32_t dwMemoryLoad = 0;
  std::uint64_t ullTotalPhys = 0;
  std::uint64_t ullAvailPhys = 0;
  std::uint64_t ullTotalPageFile = 0;
  std::uint64_t ullAvailPageFile = 0;
  std::uint64_t ullTotalVirtual = 0;
  std::uint64_t ullAvailVirtual = 0;
  std::uint64_t ullAvailExtendedVirtual = 0;
};

// GlobalMemoryStatusEx: sets dwLength itself and fills every field; false when the system
// refuses (the record is then left as it was).
bool GlobalMemoryStatusEx(MemoryStatusEx& status);

// UTF-16 to the system's ANSI code page (WideCharToMultiByte with CP_ACP); characters
// the code page lacks become the code page's default character.
std::string WideToAnsi(std::u16string_view text);
// The system's ANSI code page to UTF-16, for display only.
std::wstring AnsiToWide(std::string_view text);

// The user's locale time separator (":" on most locales).
std::wstring LocaleTimeSeparator();

}  // namespace plat
