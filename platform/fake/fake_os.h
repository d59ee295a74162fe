#pragma once
// A simulated operating system in memory behind platform/process.h, platform/windows_input.h,
// platform/shell.h and the process-table, text and locale parts of platform/sysinfo.h, with a
// control API for tests. Every function here may be called from any thread.
//
// After ResetOs(): the process table holds the idle process (PID 0, no name), "System"
// (PID 4) and the own process (kOwnPid, "varnex_tests"); no windows; the token holds
// SeDebugPrivilege (not yet enabled); the time separator is ":".
//
// The ANSI code page of the fake is double-byte: a byte of 0x81 or more starts a two-byte
// character. WideToAnsi keeps ASCII, knows a few Chinese characters (AnsiCodeOf) and turns
// everything else into '?'; AnsiToWide is its inverse, with '?' for unknown pairs.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"
#include "sampling/os_layouts.h"

namespace fake {

void ResetOs();

// ---- Processes ----

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

// Appends to the table (the table keeps insertion order). Replaces a process of that PID.
void AddProcess(const Process& process);
void RemoveProcess(std::uint32_t pid);
void ClearProcesses();  // the own process included
bool ProcessExists(std::uint32_t pid);
Process* FindProcess(std::uint32_t pid);  // valid until the table next changes

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
// The buffer lengths of every class-5 query so far.
std::vector<std::uint32_t> ProcessQueryLengths();

// Handle bookkeeping: every OpenProcess call (also failed ones), and handles still open.
struct OpenCall {
  std::uint32_t access = 0;
  bool inherit = false;
  std::uint32_t pid = 0;
};
std::vector<OpenCall> OpenProcessCalls();
int OpenHandleCount();  // process and token handles not yet closed
int CloseHandleCount();

struct Termination {
  std::uint32_t pid = 0;
  std::uint32_t exitCode = 0;
};
std::vector<Termination> Terminations();
// Counts every call the fake answers for processes and tokens; KillProcess(0) must make none.
int ProcessApiCallCount();

// GetProcessMemoryInfo: while set, every query fails (as when PSAPI.dll cannot be loaded).
void SetMemoryInfoFails(bool fails);

// ---- Tokens and privileges ----

void SetTokenHolds(const std::string& privilege, bool holds);
bool PrivilegeEnabled(const std::string& privilege);
void SetOpenTokenFails(bool fails);
// The last AdjustTokenPrivileges call as received.
struct AdjustCall {
  bool disableAll = false;
  std::vector<std::uint8_t> newState;  // bufferLength bytes
  std::uint32_t bufferLength = 0;
  bool previousStateGiven = false;
  bool returnLengthGiven = false;
};
std::optional<AdjustCall> LastAdjust();

// ---- Windows ----

struct Window {
  std::uintptr_t handle = 0;        // 0: one is assigned
  std::string className = {};       // ANSI bytes
  std::string title = {};           // ANSI bytes, as GetWindowTextA would read them
  std::int32_t style = 0x10000000;  // visible
  std::uint32_t pid = kOwnPid;
  std::uint32_t threadId = 0;  // 0: one is derived from the PID
  std::uintptr_t smallIcon = 0;
  std::uintptr_t bigIcon = 0;
  std::uintptr_t classIcon = 0;
  bool hung = false;                // the system knows it as hung: no wait at all
  std::uint32_t answerDelayMs = 0;  // how long its thread takes to answer a message
  bool closesOnMessage = false;     // destroyed as the first message reaches it
};

// Adds the window below all others (windows are enumerated in the order added); returns
// its handle value.
std::uintptr_t AddWindow(const Window& window);
Window* FindWindow(std::uintptr_t handle);  // null once destroyed
// The window is gone: not enumerated, no owner, no icon.
void DestroyWindow(std::uintptr_t handle);
// Brings the window to the top of the Z order (first in the enumeration).
void MoveWindowToTop(std::uintptr_t handle);

// The time the icon messages would have waited so far, in milliseconds.
std::uint64_t IconWaitMs();
struct IconQuery {
  std::uintptr_t window = 0;
  int iconType = 0;
  std::uint32_t timeoutMs = 0;
};
std::vector<IconQuery> IconQueries();

std::vector<std::uintptr_t> ForegroundRequests();
std::uintptr_t ForegroundWindow();

// ---- Input ----

struct KeyEvent {
  std::uint8_t virtualKey = 0;
  std::uint8_t scanCode = 0;
  std::uint32_t flags = 0;
  std::uintptr_t extraInfo = 0;
};
std::vector<KeyEvent> KeyEvents();
// MapVirtualKeyA(code, 0) answers; by default 91 -> 0x5B and 82 -> 0x13.
void SetScanCode(std::uint32_t virtualKey, std::uint32_t scanCode);

// ---- Shell ----

struct ShellCall {
  std::uintptr_t owner = 0;
  std::optional<std::string> verb, file, parameters, directory;  // none: null was passed
  int showCommand = 0;
};
std::vector<ShellCall> ShellCalls();
void SetShellResult(std::intptr_t result);  // 42 by default

// ---- Text and locale ----

void SetTimeSeparator(const std::wstring& separator);
// The fake code page's bytes for a character it knows, else nullopt.
std::optional<std::string> AnsiCodeOf(char16_t character);

}  // namespace fake
