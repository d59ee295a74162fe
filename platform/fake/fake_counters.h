#pragma once
// Control API of the simulated CPU counters and memory status (plat::LookupQueryEntry,
// plat::CallQueryEntry, plat::GlobalMemoryStatus, plat::GlobalMemoryStatusEx). Thread-safe: the
// sampler thread queries while a test changes the values.

#include <cstdint>
#include <vector>

#include "platform/sysinfo.h"

namespace fake {

inline constexpr std::int32_t kStatusInfoLengthMismatch = static_cast<std::int32_t>(0xC0000004);
inline constexpr std::int32_t kStatusInvalidInfoClass = static_cast<std::int32_t>(0xC0000003);

// Start state: entry point resolvable, 4 processors, current time 132'000'000'000'000'000,
// idle time 1'000'000'000, no advance per query, no scripted statuses, an empty call log, and
// a memory status of 512 MiB physical (256 MiB available) and a 1 GiB commit limit.
void ResetCounters();

void SetQueryEntryResolvable(bool resolvable);
int QueryEntryLookups();  // calls of plat::LookupQueryEntry

void SetProcessors(std::uint8_t count);
void SetCurrentTime(std::int64_t time);  // class 3, 100 ns units
void SetIdleTime(std::int64_t time);     // class 2, 100 ns units, summed over processors
// Added after each answered class 3 (time) and class 2 (idle) query, for runs that sample
// repeatedly, e.g. a running sampler thread.
void SetAdvancePerQuery(std::int64_t timeStep, std::int64_t idleStep);

// The next query of `infoClass` returns `status` (non-zero: nothing is written) instead of
// its answer; queued statuses are used in order, one per call.
void QueueStatus(std::uint32_t infoClass, std::int32_t status);

struct QueryCall {
  std::uint32_t infoClass = 0;
  std::uint32_t length = 0;
  std::int32_t status = 0;
};
std::vector<QueryCall> QueryCalls();
void ClearQueryCalls();

// What GlobalMemoryStatus reports; it sets dwLength to the record's size itself. Until
// SetMemoryStatusEx, GlobalMemoryStatusEx reports the same figures, as on a machine whose
// figures fit the record.
void SetMemoryStatus(const plat::MemoryStatus& status);
int MemoryStatusReads();
// What GlobalMemoryStatusEx reports from now on, whatever the record says (e.g. the truth
// of a machine whose figures overflow a 32-bit record); `fails` makes it refuse.
void SetMemoryStatusEx(const plat::MemoryStatusEx& status, bool fails = false);

}  // namespace fake
