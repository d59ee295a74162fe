#pragma once
// Control API of the simulated operating system outside the GUI: processes and the debug
// privilege (platform/process.h), the process table, counters, memory status, text and locale
// (sysinfo.h), top-level windows and input (windows_input.h) and the shell (shell.h). Tests set
// and read its state directly, under its lock: fake::Os()->processors = 2. Any thread: the
// sampler thread queries while a test changes the values.
//
// After ResetOs: the process table holds the idle process (PID 0, no name), "System" (PID 4)
// and the own process (kOwnPid, "varnex_tests"); no windows; the time separator is ":".
// The fake's ANSI code page is double-byte: a byte of 0x81 or more starts a two-byte
// character. WideToAnsi keeps ASCII, knows a few Chinese characters and turns everything
// else into '?'; AnsiToWide is its inverse, with '?' for unknown pairs.

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/constants.h"
#include "platform/fake/control/calls.h"
#include "platform/os_layouts.h"
#include "platform/sysinfo.h"

namespace fake {

inline constexpr std::uint32_t kOwnPid = 4321;

struct Process {
  std::uint32_t pid = 0;
  std::optional<std::u16string> name = {};  // none: the record's name pointer is null
  std::int64_t userTime = 0;                // 100 ns units
  std::int64_t kernelTime = 0;
  std::uint64_t workingSet = 0;  // bytes
  bool canOpen = true;           // false: OpenProcess gives 0 (access denied)
  bool canTerminate = true;
  bool throwOnOpen = false;  // OpenProcess throws: an injected failure inside a record
  int threads = 1;           // per-thread records that pad the process's table record
};

struct Window {
  std::uintptr_t handle = 0;   // 0: one is assigned
  std::string className = {};  // ANSI bytes
  std::string title = {};      // ANSI bytes, as GetWindowTextA would read them
  std::int32_t style = plat::kWsVisible;
  std::uint32_t pid = kOwnPid;
  std::uint32_t threadId = 0;  // 0: one is derived from the PID
  std::uintptr_t smallIcon = 0;
  std::uintptr_t bigIcon = 0;
  std::uintptr_t classIcon = 0;
  bool hung = false;                // the system knows it as hung: no wait at all
  std::uint32_t answerDelayMs = 0;  // how long its thread takes to answer a message
  bool closesOnMessage = false;     // destroyed as the first message reaches it
};

// The next class-5 queries answer these statuses, one per query, writing nothing and
// reporting `returnedLength`; later queries answer normally. With `writesTable`, a query that
// the buffer can hold writes the table as usual and still reports `returnedLength`.
struct ScriptedQuery {
  std::int32_t status = 0;
  std::uint32_t returnedLength = 0;
  bool writesTable = false;
};

// The counters and the memory status: ResetCounters alone sets them back.
struct Counters {
  bool queryEntryResolvable = true;  // plat::LookupQueryEntry finds the routine
  std::uint8_t processors = 4;
  std::int64_t currentTime = 132'000'000'000'000'000;  // class 3, 100 ns units
  std::int64_t idleTime = 1'000'000'000;  // class 2, 100 ns units, summed over processors
  // Added after each answered class 3 (time) and class 2 (idle) query, for runs that sample
  // repeatedly, e.g. a running sampler thread.
  struct {
    std::int64_t time = 0, idle = 0;
  } advance;
  // The next queries of a class return these statuses (non-zero: nothing is written), in order.
  std::map<std::uint32_t, std::deque<std::int32_t>> queuedStatuses;
  // What GlobalMemoryStatus reports (it sets dwLength itself): 512 MiB physical, 256 MiB free.
  plat::MemoryStatus memory = {0,        50,         512u << 20,  256u << 20,
                               1u << 30, 768u << 20, 2047u << 20, 2000u << 20};
  // What GlobalMemoryStatusEx reports; none: the figures of `memory`, as on a machine whose
  // figures fit the record.
  std::optional<plat::MemoryStatusEx> memoryEx;
  bool memoryExFails = false;
};

struct System : Counters {
  // The process table, and each PID's place in it.
  std::vector<Process> processes;
  std::unordered_map<std::uint32_t, std::size_t> processAt;
  std::map<std::uintptr_t, std::uint32_t> openHandles;  // process handle -> PID
  std::uintptr_t nextHandle = 0x1000;
  std::deque<ScriptedQuery> scriptedQueries;
  bool memoryInfoFails = false;  // GetProcessMemoryInfo fails (PSAPI.dll cannot be loaded)
  bool debugPrivilegeEnabled = false;
  std::wstring timeSeparator = L":";
  // Windows by handle, and the Z order, topmost first.
  std::unordered_map<std::uintptr_t, Window> windows;
  std::vector<std::uintptr_t> zOrder;
  std::uintptr_t nextWindow = 0x10010;
  std::uint64_t iconWaitMs = 0;  // the time the icon messages would have waited so far
  std::uintptr_t foreground = 0;
  // MapVirtualKeyA(code, plat::kMapVkVkToVsc): the left Windows key gives 0x5B, R 0x13.
  std::map<std::uint32_t, std::uint32_t> scanCodes = {{plat::kVkLWin, 0x5B}, {plat::kVkR, 0x13}};
  std::intptr_t shellResult = 42;  // what ShellExecuteA returns
};

// The state, under its lock while the returned object lives (for one statement, say).
class LockedSystem {
 public:
  LockedSystem();
  System* operator->() const { return system_; }
  System& operator*() const { return *system_; }

 private:
  std::unique_lock<std::recursive_mutex> lock_;
  System* system_;
};
LockedSystem Os();

void ResetOs();        // the start state of all but the counters (and the call log stopped)
void ResetCounters();  // the counters' and memory status's start state

// Processes. AddProcess appends to the table, or replaces the process of that PID.
void AddProcess(const Process& process);
void RemoveProcess(std::uint32_t pid);
void RemoveProcesses(const std::vector<std::uint32_t>& pids);
void ClearProcesses();  // the own process included
bool ProcessExists(std::uint32_t pid);
Process* FindProcess(std::uint32_t pid);  // null when there is none
int OpenHandleCount();                    // process handles not yet closed

// The class-5 table in `layout` for `processes`, as the system writes it at `bufferAddress`:
// records chained by NextEntryOffset, each padded by its thread records, names (UTF-16 with
// NUL) after all records, name pointers = bufferAddress + offset.
std::vector<std::uint8_t> BuildProcessTable(const std::vector<Process>& processes,
                                            const OsLayout& layout, std::uint64_t bufferAddress);

// Windows. AddWindow adds one below all others and returns its handle value.
std::uintptr_t AddWindow(const Window& window);
Window* FindWindow(std::uintptr_t handle);  // null once destroyed
void DestroyWindow(std::uintptr_t handle);  // not enumerated, no owner, no icon
void DestroyWindows(const std::vector<std::uintptr_t>& handles);
void MoveWindowToTop(std::uintptr_t handle);
// Puts the windows in this order, topmost first, above all others (which keep theirs).
void SetZOrder(const std::vector<std::uintptr_t>& topFirst);

}  // namespace fake
