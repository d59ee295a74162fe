// The fake's system information, behind platform/sysinfo.h: the process table (class 5) built
// from the fake's processes, the CPU counters (classes 0, 3 and 2) and the memory status, ANSI
// text of the fake's double-byte code page, and the locale's time separator. Like the real
// routine, a counter query whose length is not the record's size fails with
// STATUS_INFO_LENGTH_MISMATCH and writes nothing.

#include "platform/sysinfo.h"

#include <cstring>

#include "platform/constants.h"
#include "platform/fake/call_log.h"
#include "platform/fake/control/os.h"

struct plat::QueryEntry {};

namespace fake {
namespace {

constexpr plat::QueryEntry theEntry{};
constexpr std::size_t kThreadRecordSize = 64;

std::size_t AlignUp(std::size_t value) { return (value + 7) / 8 * 8; }

std::size_t RecordBytes(const Process& process, const OsLayout& layout) {
  return AlignUp(layout.procMinRecordSize) +
         static_cast<std::size_t>(std::max(process.threads, 0)) * kThreadRecordSize;
}

std::size_t NameBytes(const Process& process) {
  return process.name ? AlignUp((process.name->size() + 1) * 2) : 0;
}

std::size_t TableSize(const std::vector<Process>& processes, const OsLayout& layout) {
  std::size_t size = 0;
  for (const Process& process : processes)
    size += RecordBytes(process, layout) + NameBytes(process);
  return size;
}

void WritePointer(std::uint8_t* at, std::uint64_t value, std::uint32_t size) {
  const auto narrow = static_cast<std::uint32_t>(value);
  std::memcpy(at, size == 8 ? static_cast<const void*>(&value) : &narrow, size);
}

// Writes the table into `bytes` (TableSize bytes, every one written), the way the system
// fills the caller's buffer.
void WriteTable(const std::vector<Process>& processes, const OsLayout& layout,
                std::uint64_t bufferAddress, std::uint8_t* bytes) {
  std::size_t nameAt = 0, at = 0;
  for (const Process& process : processes) nameAt += RecordBytes(process, layout);
  for (std::size_t i = 0; i < processes.size(); ++i) {
    const Process& process = processes[i];
    const std::size_t recordBytes = RecordBytes(process, layout);
    std::memset(bytes + at, 0, recordBytes);
    const auto next = static_cast<std::uint32_t>(i + 1 < processes.size() ? recordBytes : 0);
    std::memcpy(bytes + at + layout.procNextEntryOffset, &next, 4);
    std::memcpy(bytes + at + layout.procUserTime, &process.userTime, 8);
    std::memcpy(bytes + at + layout.procKernelTime, &process.kernelTime, 8);
    WritePointer(bytes + at + layout.procUniqueProcessId, process.pid, layout.procPointerSize);
    if (process.name) {
      WritePointer(bytes + at + layout.procImageNameBuffer, bufferAddress + nameAt,
                   layout.procPointerSize);
      std::memset(bytes + nameAt, 0, NameBytes(process));
      std::memcpy(bytes + nameAt, process.name->data(), process.name->size() * 2);
      nameAt += NameBytes(process);
    }
    at += recordBytes;
  }
}

struct KnownCharacter {
  char16_t wide;
  unsigned char lead, trail;
};
constexpr KnownCharacter kCharacters[] = {
    {u'中', 0xD6, 0xD0}, {u'文', 0xCE, 0xC4}, {u'进', 0xBD, 0xF8},
    {u'程', 0xB3, 0xCC}, {u'任', 0xC8, 0xCE}, {u'务', 0xCE, 0xF1},
};

}  // namespace

std::vector<std::uint8_t> BuildProcessTable(const std::vector<Process>& processes,
                                            const OsLayout& layout, std::uint64_t bufferAddress) {
  std::vector<std::uint8_t> bytes(TableSize(processes, layout));
  WriteTable(processes, layout, bufferAddress, bytes.data());
  return bytes;
}

}  // namespace fake

namespace plat {

using fake::detail::Log;

std::int32_t QuerySystemInformation(std::uint32_t infoClass, void* buffer, std::uint32_t length,
                                    std::uint32_t* returnedLength) {
  auto os = fake::Os();
  Log("QuerySystemInformation", infoClass, length);
  if (infoClass != kSystemProcessInformation) return kStatusInvalidInfoClass;
  const std::vector<fake::Process>& table = os->processes;
  const std::size_t needed = fake::TableSize(table, kNativeLayout);
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  const auto address = reinterpret_cast<std::uintptr_t>(buffer);
  if (!os->scriptedQueries.empty()) {
    const fake::ScriptedQuery answer = os->scriptedQueries.front();
    os->scriptedQueries.pop_front();
    if (returnedLength) *returnedLength = answer.returnedLength;
    if (answer.writesTable && needed <= length)
      fake::WriteTable(table, kNativeLayout, address, bytes);
    return answer.status;
  }
  if (returnedLength) *returnedLength = static_cast<std::uint32_t>(needed);
  if (length < needed) return kStatusInfoLengthMismatch;
  fake::WriteTable(table, kNativeLayout, address, bytes);
  return kStatusSuccess;
}

const QueryEntry* LookupQueryEntry() {
  Log("LookupQueryEntry");
  return fake::Os()->queryEntryResolvable ? &fake::theEntry : nullptr;
}

std::int32_t CallQueryEntry(const QueryEntry* entry, std::uint32_t infoClass, void* buffer,
                            std::uint32_t length) {
  auto os = fake::Os();
  if (entry != &fake::theEntry) return kStatusInvalidInfoClass;
  // Per class: the record's size, where its one field goes, the field and its advance.
  const OsLayout& l = kNativeLayout;
  const struct {
    std::uint32_t infoClass, size, offset;
    std::int64_t* value;  // null: the processor count
    std::int64_t step;
  } records[] = {
      {kSystemBasicInformation, l.basicInfoSize, l.basicNumberOfProcessors, nullptr, 0},
      {kSystemPerformanceInformation, l.perfInfoSize, l.perfIdleProcessTime, &os->idleTime,
       os->advance.idle},
      {kSystemTimeOfDayInformation, l.timeOfDaySize, l.timeOfDayCurrentTime, &os->currentTime,
       os->advance.time},
  };
  std::int32_t status = kStatusInvalidInfoClass;
  for (const auto& r : records) {
    if (r.infoClass != infoClass) continue;
    auto& queued = os->queuedStatuses[infoClass];
    status = queued.empty() ? kStatusSuccess : queued.front();
    if (!queued.empty()) queued.pop_front();
    if (status == kStatusSuccess && length != r.size) status = kStatusInfoLengthMismatch;
    if (status != kStatusSuccess) break;
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    std::memset(bytes, 0, length);
    if (r.value) std::memcpy(bytes + r.offset, r.value, 8);
    if (r.value) *r.value += r.step;
    if (!r.value) bytes[r.offset] = os->processors;
  }
  Log("CallQueryEntry", infoClass, length, status);
  return status;
}

void GlobalMemoryStatus(MemoryStatus& status) {
  Log("GlobalMemoryStatus");
  status = fake::Os()->memory;
  status.dwLength = kNativeLayout.memoryStatusSize;
}

bool GlobalMemoryStatusEx(MemoryStatusEx& status) {
  auto os = fake::Os();
  if (os->memoryExFails) return false;
  const MemoryStatus& m = os->memory;
  status = os->memoryEx.value_or(MemoryStatusEx{.dwMemoryLoad = m.dwMemoryLoad,
                                                .ullTotalPhys = m.dwTotalPhys,
                                                .ullAvailPhys = m.dwAvailPhys,
                                                .ullTotalPageFile = m.dwTotalPageFile,
                                                .ullAvailPageFile = m.dwAvailPageFile,
                                                .ullTotalVirtual = m.dwTotalVirtual,
                                                .ullAvailVirtual = m.dwAvailVirtual});
  status.dwLength = 64;
  return true;
}

std::string WideToAnsi(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    std::string code(1, c < 0x80 ? static_cast<char>(c) : '?');
    for (const fake::KnownCharacter& k : fake::kCharacters) {
      if (k.wide == c) code = {static_cast<char>(k.lead), static_cast<char>(k.trail)};
    }
    out += code;
  }
  return out;
}

std::wstring AnsiToWide(std::string_view text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    wchar_t wide = lead < 0x80 ? lead : L'?';
    if (lead > 0x80 && i + 1 < text.size()) {
      const auto trail = static_cast<unsigned char>(text[++i]);
      for (const fake::KnownCharacter& known : fake::kCharacters) {
        if (known.lead == lead && known.trail == trail) wide = static_cast<wchar_t>(known.wide);
      }
    }
    out.push_back(wide);
  }
  return out;
}

std::wstring LocaleTimeSeparator() { return fake::Os()->timeSeparator; }

}  // namespace plat
