// Simulated NtQuerySystemInformation classes 0, 3 and 2 and GlobalMemoryStatus. Like the real
// routine, a query whose length is not the record's size fails with
// STATUS_INFO_LENGTH_MISMATCH and writes nothing.

#include "platform/fake/fake_counters.h"

#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <optional>

#include "sampling/os_layouts.h"

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
  std::vector<fake::QueryCall> calls;
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

}  // namespace

namespace fake {

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
  s.calls.clear();
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
  return State().calls;
}

void ClearQueryCalls() {
  std::lock_guard lock(State().mutex);
  State().calls.clear();
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
  if (entry != &theEntry) return fake::kStatusInvalidInfoClass;
  std::int32_t status = 0;
  auto queued = s.queued.find(infoClass);
  if (queued != s.queued.end() && !queued->second.empty()) {
    status = queued->second.front();
    queued->second.pop_front();
  }
  const OsLayout& layout = kNativeLayout;
  auto* bytes = static_cast<unsigned char*>(buffer);
  if (status == 0) {
    switch (infoClass) {
      case 0:
        if (length != layout.basicInfoSize) {
          status = fake::kStatusInfoLengthMismatch;
          break;
        }
        std::memset(bytes, 0, length);
        bytes[layout.basicNumberOfProcessors] = s.processors;
        break;
      case 3:
        if (length != layout.timeOfDaySize) {
          status = fake::kStatusInfoLengthMismatch;
          break;
        }
        std::memset(bytes, 0, length);
        std::memcpy(bytes + layout.timeOfDayCurrentTime, &s.currentTime, 8);
        s.currentTime += s.timeStep;
        break;
      case 2:
        if (length != layout.perfInfoSize) {
          status = fake::kStatusInfoLengthMismatch;
          break;
        }
        std::memset(bytes, 0, length);
        std::memcpy(bytes + layout.perfIdleProcessTime, &s.idleTime, 8);
        s.idleTime += s.idleStep;
        break;
      default:
        status = fake::kStatusInvalidInfoClass;
    }
  }
  s.calls.push_back(fake::QueryCall{infoClass, length, status});
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

}  // namespace plat
