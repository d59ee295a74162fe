#include "sampling/uProcInfo.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/constants.h"
#include "platform/process.h"
#include "platform/sysinfo.h"
#include "platform/windows_input.h"

namespace {

constexpr std::uint32_t kProcessTerminateAndQuery =
    plat::kProcessTerminate | plat::kProcessQueryInformation;
constexpr int kTextBufferLength = 100;

template <typename T>
T ReadAt(const std::uint8_t* bytes, std::size_t offset) {
  T value;
  std::memcpy(&value, bytes + offset, sizeof value);
  return value;
}

std::uint64_t ReadPointer(const std::uint8_t* bytes, std::size_t offset, std::uint32_t size) {
  return size == 8 ? ReadAt<std::uint64_t>(bytes, offset) : ReadAt<std::uint32_t>(bytes, offset);
}

// Reads the UTF-16 text at `pointer` up to its NUL, if all of it lies inside the bytes.
bool ReadName(const std::uint8_t* bytes, std::size_t filled, std::uint64_t bufferAddress,
              std::uint64_t pointer, std::u16string& name) {
  if (pointer < bufferAddress) return false;
  const std::uint64_t offset = pointer - bufferAddress;
  if (offset >= filled) return false;
  std::size_t end = static_cast<std::size_t>(offset);
  while (end + 2 <= filled) {
    if (ReadAt<char16_t>(bytes, end) == u'\0') {
      const std::size_t chars = (end - static_cast<std::size_t>(offset)) / 2;
      name.resize(chars);
      if (chars != 0) std::memcpy(name.data(), bytes + offset, chars * 2);
      return true;
    }
    end += 2;
  }
  return false;
}

std::int64_t WrappingAdd(std::int64_t a, std::int64_t b) {
  return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}

// Adds the entry of one record. The record without a name is the idle process, shown as
// "System Idle" with a working set of 16 K. The record is filled in `scratch` and only then
// swapped into the list's reused one, so a failure adds nothing; `info` keeps the storage
// it was given for the next record.
void AppendRecord(const RawProcessRecord& raw, TProcList& list, TProcInfo& info) {
  std::uint32_t memoryK =
      WorkingSetKilobytes(GetProcessWorkingSet(static_cast<std::uint32_t>(raw.pid)));
  // Image names are ASCII as a rule, and ASCII reads the same in every ANSI code page: such a
  // name is narrowed straight into the reused record, without a conversion.
  const bool ascii =
      std::all_of(raw.name.begin(), raw.name.end(), [](char16_t c) { return c < 0x80; });
  info.PID = raw.pid;
  if (ascii) {
    info.Name.resize(raw.name.size());
    std::transform(raw.name.begin(), raw.name.end(), info.Name.begin(),
                   [](char16_t c) { return static_cast<char>(c); });
  } else {
    info.Name = plat::WideToAnsi(raw.name);
  }
  info.CpuTime = CpuTimeDays(raw.userTime, raw.kernelTime);
  if (info.Name.empty()) {
    info.Name = "System Idle";
    memoryK = 16;
  }
  info.MemoryK = memoryK;
  std::swap(list.Append(ProcessKey(raw.pid)), info);
}

// The buffer size that the last snapshot needed; later snapshots start there.
std::atomic<std::uint32_t> processTableBufferSize{kProcessTableFirstBuffer};

bool IsTitleBlank(const char* title) {
  return std::all_of(title, title + std::strlen(title), [](unsigned char c) { return c <= 32; });
}

}  // namespace

WalkResult WalkProcessTable(const std::uint8_t* bytes, std::size_t filled,
                            std::uint64_t bufferAddress, const OsLayout& layout,
                            const ProcessRecordVisitor& visit) {
  WalkResult result;
  const std::size_t recordSize = layout.procMinRecordSize;
  if (bytes == nullptr || filled < recordSize) {
    result.end = WalkEnd::TooShort;
    return result;
  }
  std::size_t cursor = 0;
  // A sound record held back until it is known whether another one follows it. The two
  // records swap places rather than move, so their names keep their storage.
  RawProcessRecord pending;
  RawProcessRecord raw;
  bool havePending = false;
  auto handOn = [&](bool isLast) {
    if (!havePending) return;
    havePending = false;
    ++result.records;
    visit(pending, isLast);
  };
  for (;;) {
    const std::uint8_t* record = bytes + cursor;
    const std::uint32_t next = ReadAt<std::uint32_t>(record, layout.procNextEntryOffset);
    // cursor <= filled - recordSize holds here, so this cannot wrap.
    const bool linkSound = next >= recordSize && next <= filled - recordSize - cursor;

    raw.pid = static_cast<std::int32_t>(static_cast<std::uint32_t>(
        ReadPointer(record, layout.procUniqueProcessId, layout.procPointerSize)));
    raw.userTime = ReadAt<std::int64_t>(record, layout.procUserTime);
    raw.kernelTime = ReadAt<std::int64_t>(record, layout.procKernelTime);
    const std::uint64_t namePointer =
        ReadPointer(record, layout.procImageNameBuffer, layout.procPointerSize);
    raw.hasName = namePointer != 0;
    raw.name.clear();
    bool sound = !raw.hasName || ReadName(bytes, filled, bufferAddress, namePointer, raw.name);

    if (sound) {
      handOn(false);
      std::swap(pending, raw);
      havePending = true;
    } else {
      ++result.damaged;
    }
    if (next == 0) break;
    if (!linkSound) {
      result.end = WalkEnd::BrokenLink;
      break;
    }
    cursor += next;
  }
  handOn(true);
  return result;
}

double CpuTimeDays(std::int64_t userTime, std::int64_t kernelTime) {
  const std::int64_t seconds = WrappingAdd(userTime, kernelTime) / 10000000;
  return static_cast<double>(static_cast<long double>(seconds) / 86400.0L);
}

std::uint32_t WorkingSetKilobytes(std::uint64_t bytes) {
  std::uint64_t quotient = bytes / 1024;
  const std::uint64_t remainder = bytes % 1024;
  if (remainder > 512 || (remainder == 512 && (quotient & 1) != 0)) ++quotient;
  if (quotient > std::numeric_limits<std::uint32_t>::max()) {
    return std::numeric_limits<std::uint32_t>::max();
  }
  return static_cast<std::uint32_t>(quotient);
}

void AppendProcessRecords(const std::uint8_t* bytes, std::size_t filled,
                          std::uint64_t bufferAddress, const OsLayout& layout, TProcList& list) {
  TProcInfo scratch;
  const auto append = [&](const RawProcessRecord& raw, bool isLast) {
    if (isLast) {
      AppendRecord(raw, list, scratch);
      return;
    }
    try {
      AppendRecord(raw, list, scratch);
    } catch (...) {
      // A process that vanished or misbehaved mid-record is left out.
    }
  };
  WalkProcessTable(bytes, filled, bufferAddress, layout, append);
}

void GetProcessList(TProcList& list) {
  // Kept from one snapshot to the next (snapshots are taken on the GUI thread only), so a
  // tick does not allocate and fault in a few hundred kilobytes afresh; it only grows.
  static std::vector<std::uint8_t> storage;
  std::uint32_t size = processTableBufferSize.load(std::memory_order_relaxed);
  for (int attempt = 0; attempt < kProcessTableMaxQueries; ++attempt) {
    if (storage.size() < size) storage.resize(size);
    std::uint8_t* const buffer = storage.data();
    std::uint32_t returned = 0;
    const std::int32_t status =
        plat::QuerySystemInformation(plat::kSystemProcessInformation, buffer, size, &returned);
    if (status >= 0) {
      // Some systems leave the length at 0 on success; the table then spans the buffer.
      const std::size_t filled = (returned == 0 || returned > size) ? size : returned;
      processTableBufferSize.store(size, std::memory_order_relaxed);
      AppendProcessRecords(buffer, filled, reinterpret_cast<std::uintptr_t>(buffer), kNativeLayout,
                           list);
      return;
    }
    if (size >= kProcessTableMaxBuffer) break;
    std::uint64_t wanted = std::uint64_t{size} * 2;
    if (status == plat::kStatusInfoLengthMismatch && returned > size) {
      // The table may grow between two queries: leave room for a few more processes.
      wanted = std::uint64_t{returned} + returned / 8;
    }
    size = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(std::max<std::uint64_t>(wanted, size + 1), kProcessTableMaxBuffer));
  }
}

std::size_t GetProcessWorkingSet(std::uint32_t pid) {
  const plat::OwnedProcess process(plat::OpenProcess(plat::kProcessAllAccessXp, false, pid));
  if (!process) return 0;
  const OsLayout& layout = kNativeLayout;
  std::uint8_t counters[128] = {};
  static_assert(sizeof counters >= kLayout64.pmcSize && sizeof counters >= kLayout32.pmcSize);
  const std::uint32_t cb = layout.pmcSize;
  std::memcpy(counters, &cb, sizeof cb);
  if (!plat::GetProcessMemoryInfo(process.Get(), counters, layout.pmcSize)) return 0;
  return ReadAt<std::size_t>(counters, layout.pmcWorkingSetSize);
}

void KillProcess(std::uint32_t pid) {
  if (pid == 0) return;
  const plat::OwnedProcess process(plat::OpenProcess(kProcessTerminateAndQuery, false, pid));
  if (!process) return;
  plat::TerminateProcess(process.Get(), 0);
}

TKey ProcessKey(std::int32_t pid) { return TKey(pid); }

std::optional<std::int32_t> ParseProcessKey(std::string_view key) {
  std::size_t i = 0;
  const bool negative = !key.empty() && key[0] == '-';
  if (negative) ++i;
  if (i == key.size() || key.size() - i > 10) return std::nullopt;
  std::int64_t value = 0;
  for (; i < key.size(); ++i) {
    if (key[i] < '0' || key[i] > '9') return std::nullopt;
    value = value * 10 + (key[i] - '0');
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

TKey WindowKey(plat::WindowHandle window) { return TKey(static_cast<std::uint32_t>(window.value)); }

void GetWindowList(TWinList& list) { plat::EnumWindows(EnumWindowsCallback, &list); }

bool EnumWindowsCallback(plat::WindowHandle window, void* list) {
  if ((plat::GetWindowLongA(window, plat::kGwlStyle) & plat::kWsVisible) == 0) return true;
  char className[kTextBufferLength] = {};
  char title[kTextBufferLength] = {};
  plat::GetClassNameA(window, className, kTextBufferLength);
  plat::GetWindowTextA(window, title, kTextBufferLength);
  // A misbehaving call must not leave the texts without their NUL.
  className[kTextBufferLength - 1] = '\0';
  title[kTextBufferLength - 1] = '\0';
  if (IsTitleBlank(title)) return true;
  const plat::IconHandle classIcon = plat::GetClassIcon(window);
  TWinInfo& info = static_cast<TWinList*>(list)->Append(WindowKey(window));
  info.ClassIcon = classIcon;
  info.Title = title;
  info.ClassName = className;
  info.WindowHandle = window;
  return true;
}

plat::IconHandle GetWindowIcon(plat::WindowHandle window, plat::IconHandle lastShown,
                               bool* keptLast) {
  if (keptLast) *keptLast = false;
  bool answered = false;
  plat::IconHandle icon =
      plat::SendGetIcon(window, plat::kIconSmall, kIconQueryTimeoutMs, &answered);
  if (icon) return icon;
  // A window that let the first message time out would likely let the second one too.
  if (answered) {
    icon = plat::SendGetIcon(window, plat::kIconBig, kIconQueryTimeoutMs, &answered);
    if (icon) return icon;
  }
  // No answer says nothing about the window's icon. A window that is gone has no owner.
  if (!answered && lastShown && plat::GetWindowThreadProcessId(window, nullptr) != 0) {
    if (keptLast) *keptLast = true;
    return lastShown;
  }
  return plat::GetClassIcon(window);
}
