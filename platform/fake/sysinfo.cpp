// The fake's system information, behind platform/sysinfo.h: the process table (class 5) built
// from the fake's processes, the CPU counters (classes 0, 3 and 2) and the memory status, ANSI
// text of the fake's double-byte code page, and the locale's time separator. Like the real
// routine, a counter query whose length is not the record's size fails with
// STATUS_INFO_LENGTH_MISMATCH and writes nothing.

#include "platform/sysinfo.h"

#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <optional>

#include "platform/constants.h"
#include "platform/fake/call_record.h"
#include "platform/fake/control/sysinfo.h"
#include "platform/fake/os_state.h"
#include "platform/os_layouts.h"

struct plat::QueryEntry {};

namespace {

struct CounterState {
  std::mutex mutex;
  bool resolvable = true;
  int lookups = 0;
  std::uint8_t processors = 4;
  std::int64_t currentTime = 132'000'000'000'000'000;
  std::int64_t idleTime = 1'000'000'000;
  std::int64_t timeStep = 0;
  std::int64_t idleStep = 0;
  std::map<std::uint32_t, std::deque<std::int32_t>> queued;
  fake::CallRecord<fake::QueryCall> calls;
  plat::MemoryStatus memory;
  int memoryReads = 0;
  std::optional<plat::MemoryStatusEx> extended;  // none: the record's figures
  bool extendedFails = false;
};

plat::MemoryStatus StartMemory() {
  plat::MemoryStatus memory;
  memory.dwMemoryLoad = 50;
  memory.dwTotalPhys = 512u << 20;
  memory.dwAvailPhys = 256u << 20;
  memory.dwTotalPageFile = 1024u << 20;
  memory.dwAvailPageFile = 768u << 20;
  memory.dwTotalVirtual = 2047u << 20;
  memory.dwAvailVirtual = 2000u << 20;
  return memory;
}

// Never destroyed: a sampler thread may still query while the process exits.
CounterState& State() {
  static CounterState* state = [] {
    auto* created = new CounterState;
    created->memory = StartMemory();
    return created;
  }();
  return *state;
}

constexpr plat::QueryEntry theEntry{};

// The process table's scripted answers and the locale, under the process table's lock.
struct SystemState {
  std::vector<fake::ScriptedQuery> scriptedQueries;
  fake::CallRecord<std::uint32_t> queryLengths;
  std::wstring timeSeparator = L":";
};

SystemState systemState;

constexpr std::uint32_t kThreadRecordSize = 64;

std::size_t AlignUp(std::size_t value, std::size_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

void WriteAt(std::uint8_t* bytes, std::size_t offset, const void* value, std::size_t size) {
  std::memcpy(bytes + offset, value, size);
}

void WritePointer(std::uint8_t* bytes, std::size_t offset, std::uint64_t value,
                  std::uint32_t size) {
  if (size == 8) {
    WriteAt(bytes, offset, &value, 8);
  } else {
    const auto narrow = static_cast<std::uint32_t>(value);
    WriteAt(bytes, offset, &narrow, 4);
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

namespace fake {

namespace detail {
void ResetSystemState() {
  std::lock_guard lock(ProcessMutex());
  systemState = SystemState{};
}
}  // namespace detail

namespace {

std::size_t RecordBytes(const Process& process, const OsLayout& layout) {
  return AlignUp(layout.procMinRecordSize, 8) +
         static_cast<std::size_t>(process.threads > 0 ? process.threads : 0) * kThreadRecordSize;
}
std::size_t NameBytes(const Process& process) {
  return process.name ? AlignUp((process.name->size() + 1) * 2, 8) : 0;
}

// Bytes of the table of `processes`: the records first, then the names.
std::size_t ProcessTableSize(const std::vector<Process>& processes, const OsLayout& layout) {
  std::size_t size = 0;
  for (const Process& process : processes)
    size += RecordBytes(process, layout) + NameBytes(process);
  return size;
}

// Writes the table into `bytes` (ProcessTableSize bytes, every one written) in one pass, the
// way the system fills the caller's buffer: no table of its own and no copy. `names` holds the
// processes' names.
void WriteProcessTable(const std::vector<Process>& processes, const detail::ProcessNames& names,
                       const OsLayout& layout, std::uint64_t bufferAddress, std::uint8_t* bytes) {
  std::size_t nameAt = 0;
  for (const Process& process : processes) nameAt += RecordBytes(process, layout);
  std::size_t at = 0;
  for (std::size_t i = 0; i < processes.size(); ++i) {
    const Process& process = processes[i];
    const std::size_t recordBytes = RecordBytes(process, layout);
    std::memset(bytes + at, 0, recordBytes);
    const std::uint32_t next =
        i + 1 < processes.size() ? static_cast<std::uint32_t>(recordBytes) : 0;
    WriteAt(bytes, at + layout.procNextEntryOffset, &next, 4);
    WriteAt(bytes, at + layout.procUserTime, &process.userTime, 8);
    WriteAt(bytes, at + layout.procKernelTime, &process.kernelTime, 8);
    WritePointer(bytes, at + layout.procUniqueProcessId, process.pid, layout.procPointerSize);
    if (process.name) {
      const std::size_t nameBytes = NameBytes(process);
      WritePointer(bytes, at + layout.procImageNameBuffer, bufferAddress + nameAt,
                   layout.procPointerSize);
      std::memset(bytes + nameAt, 0, nameBytes);
      std::memcpy(bytes + nameAt, names.At(i), process.name->size() * 2);
      nameAt += nameBytes;
    }
    at += recordBytes;
  }
}

}  // namespace

std::vector<std::uint8_t> BuildProcessTable(const std::vector<Process>& processes,
                                            const OsLayout& layout, std::uint64_t bufferAddress) {
  std::vector<std::uint8_t> bytes(ProcessTableSize(processes, layout));
  detail::ProcessNames names;
  names.Assign(processes);
  WriteProcessTable(processes, names, layout, bufferAddress, bytes.data());
  return bytes;
}

void ScriptProcessQueries(const std::vector<ScriptedQuery>& answers) {
  std::lock_guard lock(detail::ProcessMutex());
  systemState.scriptedQueries.insert(systemState.scriptedQueries.end(), answers.begin(),
                                     answers.end());
}

std::vector<std::uint32_t> ProcessQueryLengths() {
  std::lock_guard lock(detail::ProcessMutex());
  return systemState.queryLengths.Calls();
}

void ClearProcessQueryLengths() {
  std::lock_guard lock(detail::ProcessMutex());
  systemState.queryLengths.Start();
}

void SetTimeSeparator(const std::wstring& separator) {
  std::lock_guard lock(detail::ProcessMutex());
  systemState.timeSeparator = separator;
}

std::optional<std::string> AnsiCodeOf(char16_t character) {
  for (const KnownCharacter& known : kCharacters) {
    if (known.wide == character) {
      return std::string{static_cast<char>(known.lead), static_cast<char>(known.trail)};
    }
  }
  return std::nullopt;
}

void ResetCounters() {
  CounterState& s = State();
  std::lock_guard lock(s.mutex);
  s.resolvable = true;
  s.lookups = 0;
  s.processors = 4;
  s.currentTime = 132'000'000'000'000'000;
  s.idleTime = 1'000'000'000;
  s.timeStep = 0;
  s.idleStep = 0;
  s.queued.clear();
  s.calls = {};
  s.memory = StartMemory();
  s.extended.reset();
  s.extendedFails = false;
  s.memoryReads = 0;
}

void SetQueryEntryResolvable(bool resolvable) {
  std::lock_guard lock(State().mutex);
  State().resolvable = resolvable;
}

int QueryEntryLookups() {
  std::lock_guard lock(State().mutex);
  return State().lookups;
}

void SetProcessors(std::uint8_t count) {
  std::lock_guard lock(State().mutex);
  State().processors = count;
}

void SetCurrentTime(std::int64_t time) {
  std::lock_guard lock(State().mutex);
  State().currentTime = time;
}

void SetIdleTime(std::int64_t time) {
  std::lock_guard lock(State().mutex);
  State().idleTime = time;
}

void SetAdvancePerQuery(std::int64_t timeStep, std::int64_t idleStep) {
  std::lock_guard lock(State().mutex);
  State().timeStep = timeStep;
  State().idleStep = idleStep;
}

void QueueStatus(std::uint32_t infoClass, std::int32_t status) {
  std::lock_guard lock(State().mutex);
  State().queued[infoClass].push_back(status);
}

std::vector<QueryCall> QueryCalls() {
  std::lock_guard lock(State().mutex);
  return State().calls.Calls();
}

void ClearQueryCalls() {
  std::lock_guard lock(State().mutex);
  State().calls.Start();
}

void SetMemoryStatus(const plat::MemoryStatus& status) {
  std::lock_guard lock(State().mutex);
  State().memory = status;
  State().extended.reset();
  State().extendedFails = false;
}

void SetMemoryStatusEx(const plat::MemoryStatusEx& status, bool fails) {
  std::lock_guard lock(State().mutex);
  State().extended = status;
  State().extendedFails = fails;
}

int MemoryStatusReads() {
  std::lock_guard lock(State().mutex);
  return State().memoryReads;
}

}  // namespace fake

namespace plat {

std::int32_t QuerySystemInformation(std::uint32_t infoClass, void* buffer, std::uint32_t length,
                                    std::uint32_t* returnedLength) {
  std::lock_guard lock(fake::detail::ProcessMutex());
  if (infoClass != kSystemProcessInformation) return plat::kStatusInvalidInfoClass;
  systemState.queryLengths.Add(length);
  const std::vector<fake::Process>& processes = fake::detail::ProcessesLocked();
  const auto address = reinterpret_cast<std::uintptr_t>(buffer);
  const std::size_t needed = fake::ProcessTableSize(processes, kNativeLayout);
  if (!systemState.scriptedQueries.empty()) {
    const fake::ScriptedQuery answer = systemState.scriptedQueries.front();
    systemState.scriptedQueries.erase(systemState.scriptedQueries.begin());
    if (returnedLength) *returnedLength = answer.returnedLength;
    if (answer.writesTable && needed <= length) {
      fake::WriteProcessTable(processes, fake::detail::ProcessNamesLocked(), kNativeLayout, address,
                              static_cast<std::uint8_t*>(buffer));
    }
    return answer.status;
  }
  if (returnedLength) *returnedLength = static_cast<std::uint32_t>(needed);
  if (length < needed) return plat::kStatusInfoLengthMismatch;
  fake::WriteProcessTable(processes, fake::detail::ProcessNamesLocked(), kNativeLayout, address,
                          static_cast<std::uint8_t*>(buffer));
  return kStatusSuccess;
}

const QueryEntry* LookupQueryEntry() {
  CounterState& s = State();
  std::lock_guard lock(s.mutex);
  ++s.lookups;
  return s.resolvable ? &theEntry : nullptr;
}

std::int32_t CallQueryEntry(const QueryEntry* entry, std::uint32_t infoClass, void* buffer,
                            std::uint32_t length) {
  CounterState& s = State();
  std::lock_guard lock(s.mutex);
  if (entry != &theEntry) return plat::kStatusInvalidInfoClass;
  std::int32_t status = kStatusSuccess;
  auto queued = s.queued.find(infoClass);
  if (queued != s.queued.end() && !queued->second.empty()) {
    status = queued->second.front();
    queued->second.pop_front();
  }
  const OsLayout& layout = kNativeLayout;
  auto* bytes = static_cast<unsigned char*>(buffer);
  if (status == kStatusSuccess) {
    switch (infoClass) {
      case kSystemBasicInformation:
        if (length != layout.basicInfoSize) {
          status = plat::kStatusInfoLengthMismatch;
          break;
        }
        std::memset(bytes, 0, length);
        bytes[layout.basicNumberOfProcessors] = s.processors;
        break;
      case kSystemTimeOfDayInformation:
        if (length != layout.timeOfDaySize) {
          status = plat::kStatusInfoLengthMismatch;
          break;
        }
        std::memset(bytes, 0, length);
        std::memcpy(bytes + layout.timeOfDayCurrentTime, &s.currentTime, 8);
        s.currentTime += s.timeStep;
        break;
      case kSystemPerformanceInformation:
        if (length != layout.perfInfoSize) {
          status = plat::kStatusInfoLengthMismatch;
          break;
        }
        std::memset(bytes, 0, length);
        std::memcpy(bytes + layout.perfIdleProcessTime, &s.idleTime, 8);
        s.idleTime += s.idleStep;
        break;
      default:
        status = plat::kStatusInvalidInfoClass;
    }
  }
  s.calls.Add({infoClass, length, status});
  return status;
}

void GlobalMemoryStatus(MemoryStatus& status) {
  CounterState& s = State();
  std::lock_guard lock(s.mutex);
  ++s.memoryReads;
  status = s.memory;
  status.dwLength = kNativeLayout.memoryStatusSize;
}

bool GlobalMemoryStatusEx(MemoryStatusEx& status) {
  CounterState& s = State();
  std::lock_guard lock(s.mutex);
  if (s.extendedFails) return false;
  if (s.extended) {
    status = *s.extended;
  } else {
    status = MemoryStatusEx{};
    status.dwMemoryLoad = s.memory.dwMemoryLoad;
    status.ullTotalPhys = s.memory.dwTotalPhys;
    status.ullAvailPhys = s.memory.dwAvailPhys;
    status.ullTotalPageFile = s.memory.dwTotalPageFile;
    status.ullAvailPageFile = s.memory.dwAvailPageFile;
    status.ullTotalVirtual = s.memory.dwTotalVirtual;
    status.ullAvailVirtual = s.memory.dwAvailVirtual;
  }
  status.dwLength = 64;
  return true;
}

std::string WideToAnsi(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (auto code = fake::AnsiCodeOf(c)) {
      out += *code;
    } else {
      out.push_back('?');
    }
  }
  return out;
}

std::wstring AnsiToWide(std::string_view text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      out.push_back(static_cast<wchar_t>(lead));
      continue;
    }
    if (lead == 0x80 || i + 1 >= text.size()) {
      out.push_back(L'?');
      continue;
    }
    const auto trail = static_cast<unsigned char>(text[++i]);
    wchar_t wide = L'?';
    for (const KnownCharacter& known : kCharacters) {
      if (known.lead == lead && known.trail == trail) wide = static_cast<wchar_t>(known.wide);
    }
    out.push_back(wide);
  }
  return out;
}

std::wstring LocaleTimeSeparator() {
  std::lock_guard lock(fake::detail::ProcessMutex());
  return systemState.timeSeparator;
}

}  // namespace plat
