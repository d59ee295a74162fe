#pragma once
// Control API of the simulated system information (platform/sysinfo.h): the process table
// (class 5, built from the processes of process.h), the CPU counters (plat::LookupQueryEntry,
// plat::CallQueryEntry), the memory status, ANSI text and the locale. Thread-safe: the sampler
// thread queries while a test changes the values.
//
// The ANSI code page of the fake is double-byte: a byte of 0x81 or more starts a two-byte
// character. WideToAnsi keeps ASCII, knows a few Chinese characters (AnsiCodeOf) and turns
// everything else into '?'; AnsiToWide is its inverse, with '?' for unknown pairs. After
// ResetOs (os.h) the time separator is ":".

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/fake/control/process.h"
#include "platform/os_layouts.h"
#include "platform/sysinfo.h"

namespace fake {

// The process table.
// The class-5 table in `layout` for `processes`, as the system writes it at `bufferAddress`:
// records chained by NextEntryOffset, each padded by its thread records, names (UTF-16 with
// NUL) after all records, name pointers = bufferAddress + offset.
std::vector<std::uint8_t> BuildProcessTable(const std::vector<Process>& processes,
                                            const OsLayout& layout, std::uint64_t bufferAddress);

// The next class-5 queries answer these statuses, one per query, writing nothing and
// reporting `returnedLength`; later queries answer normally. With `writesTable`, a query that
// the buffer can hold writes the table as usual and still reports `returnedLength`.
struct ScriptedQuery {
  std::int32_t status = 0;
  std::uint32_t returnedLength = 0;
  bool writesTable = false;
};
void ScriptProcessQueries(const std::vector<ScriptedQuery>& answers);
// The buffer lengths of every class-5 query since ClearProcessQueryLengths (nothing is
// recorded before a test asks for it).
std::vector<std::uint32_t> ProcessQueryLengths();
void ClearProcessQueryLengths();  // empties the record and starts it

// Text and locale.
void SetTimeSeparator(const std::wstring& separator);
// The fake code page's bytes for a character it knows, else nullopt.
std::optional<std::string> AnsiCodeOf(char16_t character);

// The counters and the memory status. Start state: entry point resolvable, 4 processors, current
// time 132'000'000'000'000'000, idle time 1'000'000'000, no advance per query, no scripted
// statuses, an empty call log, and a memory status of 512 MiB physical (256 MiB available) and a 1
// GiB commit limit.
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
// Every counter query since ClearQueryCalls (nothing is recorded before a test asks for it,
// nor after ResetCounters).
std::vector<QueryCall> QueryCalls();
void ClearQueryCalls();  // empties the record and starts it

// What GlobalMemoryStatus reports; it sets dwLength to the record's size itself. Until
// SetMemoryStatusEx, GlobalMemoryStatusEx reports the same figures, as on a machine whose
// figures fit the record.
void SetMemoryStatus(const plat::MemoryStatus& status);
int MemoryStatusReads();
// What GlobalMemoryStatusEx reports from now on, whatever the record says (e.g. the truth
// of a machine whose figures overflow a 32-bit record); `fails` makes it refuse.
void SetMemoryStatusEx(const plat::MemoryStatusEx& status, bool fails = false);

}  // namespace fake
