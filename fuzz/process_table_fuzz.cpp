// Fuzz target: the walk over the system's process table, with arbitrary bytes as the
// system's answer. Byte 0 picks the layout (even: 32-bit, odd: 64-bit); the rest is the
// table as the system would have written it at address kBase. The walk must read nothing
// outside those bytes (AddressSanitizer sees the buffer's exact end), must end, and must
// hand on no more records than the bytes can hold.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/fake/control/os.h"
#include "platform/os_layouts.h"
#include "sampling/uProcInfo.h"

namespace {

constexpr std::uint64_t kBase = 0x10000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const OsLayout& layout = (data[0] & 1) ? kLayout64 : kLayout32;
  const std::size_t filled = size - 1;
  // An exact-size copy: one byte past it is outside the allocation.
  std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[filled == 0 ? 1 : filled]);
  if (filled != 0) std::memcpy(bytes.get(), data + 1, filled);

  std::size_t visited = 0;
  bool lastSeen = false;
  const WalkResult result =
      WalkProcessTable(filled == 0 ? nullptr : bytes.get(), filled, kBase, layout,
                       [&](const RawProcessRecord& record, bool isLast) {
                         if (lastSeen) std::abort();  // nothing after the last record
                         lastSeen = isLast;
                         ++visited;
                         // A name lies inside the bytes, so it is shorter than they are.
                         if (record.name.size() * 2 > filled) std::abort();
                       });
  if (visited != result.records) std::abort();
  if (visited + result.damaged > filled / layout.procMinRecordSize + 1) std::abort();
  if (visited != 0 && !lastSeen) std::abort();

  // The same bytes through the snapshot's record handling, over the simulated system.
  if (&layout == &kNativeLayout) {
    fake::ResetOs();
    TProcList list;
    AppendProcessRecords(filled == 0 ? nullptr : bytes.get(), filled, kBase, layout, list);
    if (list.Count() > visited) std::abort();
  }
  return 0;
}
