#pragma once
// Process and window snapshots, working sets, termination and the debug privilege.

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/os_layouts.h"
#include "platform/types.h"
#include "sampling/snapshot_list.h"

// One process as seen by one snapshot.
class TProcInfo {
 public:
  std::string Name;  // ANSI; "System Idle" for the record without a name
  std::int32_t PID = 0;
  std::uint32_t MemoryK = 0;  // working set, kilobytes; 16 for the idle record
  double CpuTime = 0;         // whole seconds of user + kernel time / 86400 (days)
};

// One top-level window as seen by one snapshot.
class TWinInfo {
 public:
  plat::IconHandle ClassIcon;
  std::string Title;      // as read, untrimmed, at most 99 ANSI characters
  std::string ClassName;  // at most 99 ANSI characters
  plat::WindowHandle WindowHandle;
};

using TProcList = TSnapshotList<TProcInfo>;  // keyed by ProcessKey
using TWinList = TSnapshotList<TWinInfo>;    // keyed by WindowKey

// A snapshot key's text, held in place: a decimal number of at most 11 characters.
class TKey {
 public:
  explicit TKey(std::int64_t value)
      : size_(static_cast<std::uint8_t>(std::to_chars(text_, text_ + sizeof text_, value).ptr -
                                        text_)) {}
  operator std::string_view() const { return std::string_view(text_, size_); }

 private:
  char text_[20];
  std::uint8_t size_;
};

// The keys of the snapshots, by which a list row finds its record again. A process: its PID
// read as a signed 32-bit number, in decimal (the text of the process list's PID column).
TKey ProcessKey(std::int32_t pid);
// The PID of a process key: an optional '-' and 1 to 10 digits within the signed 32-bit
// range; nothing for any other text.
std::optional<std::int32_t> ParseProcessKey(std::string_view key);
// A window: its handle read as an unsigned 32-bit number, in decimal.
TKey WindowKey(plat::WindowHandle window);

// Appends one entry per process of the system's table, in table order.
void GetProcessList(TProcList& list);
// Working set in bytes (32 bits wide on 32-bit Windows), or 0 when the process cannot be opened or
// queried.
std::size_t GetProcessWorkingSet(std::uint32_t pid);
// Terminates the process; PID 0 is ignored. Failures are silent.
void KillProcess(std::uint32_t pid);

// Appends one entry per visible, titled top-level window, in Z order.
void GetWindowList(TWinList& list);
bool EnumWindowsCallback(plat::WindowHandle window, void* list);
// The icon to show for a window: small icon, else big icon, else class icon; 0 when none.
// A window that still exists but lets an icon query time out (busy, or known as hung) gets
// `lastShown` instead of its class icon when that is not 0, so that a busy moment does not
// swap its picture for one tick; `*keptLast`, when given, says whether it did.
plat::IconHandle GetWindowIcon(plat::WindowHandle window, plat::IconHandle lastShown = {},
                               bool* keptLast = nullptr);

// ---- The pieces of the snapshots, exposed for tests ----

// One record of the system's process table, as read from its bytes.
struct RawProcessRecord {
  std::int32_t pid = 0;  // low 32 bits of UniqueProcessId, signed
  std::int64_t userTime = 0;
  std::int64_t kernelTime = 0;
  bool hasName = false;  // false for a null ImageName.Buffer
  std::u16string name;
};

// Why a walk ended.
enum class WalkEnd {
  Complete,    // a record with NextEntryOffset 0 was reached
  BrokenLink,  // a NextEntryOffset led outside the filled bytes or inside the current record
  TooShort,    // the filled bytes do not hold even one record
};

struct WalkResult {
  WalkEnd end = WalkEnd::Complete;
  std::size_t records = 0;  // records handed to the visitor
  std::size_t damaged = 0;  // records skipped because their name lies outside the bytes
};

// Walks a process table of `filled` bytes laid out as `layout` says. `bufferAddress` is the
// address the system saw for the first byte: name pointers are translated by it, and a name
// is read only when it lies wholly, NUL included, inside the filled bytes; a record whose name
// does not is damaged and skipped. A link that leaves the filled bytes ends the walk after the
// record that holds it. The visitor gets each sound record and whether it is the last one the
// walk will hand on.
using ProcessRecordVisitor = std::function<void(const RawProcessRecord& record, bool isLast)>;
WalkResult WalkProcessTable(const std::uint8_t* bytes, std::size_t filled,
                            std::uint64_t bufferAddress, const OsLayout& layout,
                            const ProcessRecordVisitor& visit);

// (user + kernel) div 10000000 whole seconds, in days.
double CpuTimeDays(std::int64_t userTime, std::int64_t kernelTime);
// bytes / 1024 rounded to the nearest integer, ties to even; saturates at the 32-bit maximum.
std::uint32_t WorkingSetKilobytes(std::uint64_t bytes);
// Appends the entries of one table's records to `list`. A failure while handling any record
// but the last drops that record; the last record's failure propagates.
void AppendProcessRecords(const std::uint8_t* bytes, std::size_t filled,
                          std::uint64_t bufferAddress, const OsLayout& layout, TProcList& list);

// The process-table query: the first buffer is this many bytes.
inline constexpr std::uint32_t kProcessTableFirstBuffer = 300000;
// Queries made at most for one snapshot before it gives up with an empty list.
inline constexpr int kProcessTableMaxQueries = 5;
// A larger buffer is never asked for.
inline constexpr std::uint32_t kProcessTableMaxBuffer = 64u * 1024u * 1024u;

// The wait for each icon message to a window that is slow to answer. A window that does not
// answer the first message is not sent the second, so a window costs at most this much.
inline constexpr std::uint32_t kIconQueryTimeoutMs = 100;
