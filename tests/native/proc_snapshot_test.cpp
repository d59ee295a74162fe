// The process snapshot: the walk over raw tables of both layouts, its arithmetic, the guard
// rule, tables that do not fit, and damaged tables.

#include <gmock/gmock.h>

#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/constants.h"
#include "platform/fake/control/os.h"
#include "platform/process.h"
#include "sampling/snapshot_list.h"
#include "sampling/uProcInfo.h"

using ::testing::ElementsAre;

namespace {

constexpr std::int64_t kSecond = 10000000;  // 100 ns units

struct Entry {
  std::string key;
  TProcInfo info;
};

std::vector<Entry> Entries(TProcList& list) {
  std::vector<Entry> out;
  list.ForEach([&out](std::string_view key, const TProcInfo& info) {
    out.push_back({std::string(key), info});
  });
  return out;
}

using Strings = std::vector<std::string>;

struct LayoutCase {
  const char* name;
  const OsLayout* layout;
  std::uint64_t address;
};
const LayoutCase kLayouts[] = {{"Layout32", &kLayout32, 0x00A30000},
                               {"Layout64", &kLayout64, 0x000001F4C2A10000}};
std::string LayoutName(const testing::TestParamInfo<LayoutCase>& info) { return info.param.name; }

class ProcessTableWalk : public testing::TestWithParam<LayoutCase> {
 protected:
  void SetUp() override { fake::ResetOs(); }

  // Handles a table built from `processes` in the parameter's layout; working sets come
  // from the fake OS by PID.
  std::vector<Entry> Snapshot(const std::vector<fake::Process>& processes) {
    for (const fake::Process& p : processes) fake::AddProcess(p);
    const auto bytes = fake::BuildProcessTable(processes, *GetParam().layout, GetParam().address);
    TProcList list;
    AppendProcessRecords(bytes.data(), bytes.size(), GetParam().address, *GetParam().layout, list);
    return Entries(list);
  }
};

// Each record as its key, name, PID and kilobytes, in table order.
TEST_P(ProcessTableWalk, RecordsComeInTableOrderWithTheirFields) {
  const struct {
    const char* what;
    std::vector<fake::Process> processes;
    Strings entries;
  } cases[] = {
      {"one record, handled once",
       {{.pid = 77, .name = u"one.exe", .workingSet = 8192}},
       {"77 one.exe 77 8"}},
      {"past thread records",
       {{.pid = 900, .name = u"z.exe", .threads = 7},
        {.pid = 12, .name = u"a.exe", .threads = 0},
        {.pid = 4000, .name = u"m.exe", .threads = 31}},
       {"900 z.exe 900 0", "12 a.exe 12 0", "4000 m.exe 4000 0"}},
      // Named records first: a nameless one after them must not inherit a name. An empty
      // name counts as no name.
      {"idle: System Idle with 16 K",
       {{.pid = 4, .name = u"a.exe", .workingSet = 1 << 20},
        {.pid = 5, .name = u"b.exe", .workingSet = 1 << 20},
        {.pid = 0, .name = std::nullopt, .workingSet = 1 << 20},
        {.pid = 8, .name = u"", .workingSet = 1 << 20}},
       {"4 a.exe 4 1024", "5 b.exe 5 1024", "0 System Idle 0 16", "8 System Idle 8 16"}},
      {"working set to the nearest kilobyte, ties to even",
       {{.pid = 10, .name = u"a", .workingSet = 1536},
        {.pid = 11, .name = u"b", .workingSet = 2560},
        {.pid = 12, .name = u"c", .workingSet = 4096},
        {.pid = 13, .name = u"d", .workingSet = 1535}},
       {"10 a 10 2", "11 b 11 2", "12 c 12 4", "13 d 13 1"}},
      {"a process that cannot be opened shows zero",
       {{.pid = 10, .name = u"locked", .workingSet = 4096, .canOpen = false}},
       {"10 locked 10 0"}},
      {"a failing record is left out and the walk goes on",
       {{.pid = 10, .name = u"a"},
        {.pid = 11, .name = u"bad", .throwOnOpen = true},
        {.pid = 12, .name = u"c"}},
       {"10 a 10 0", "12 c 12 0"}},
      {"the key is the PID as signed 32 bits",
       {{.pid = 0xFFFFFFFEu, .name = u"odd"}},
       {"-2 odd -2 0"}},
      {"names in the ANSI code page",
       {{.pid = 5, .name = u"中文.exe"}, {.pid = 6, .name = u"é.exe"}},
       {"5 \xD6\xD0\xCE\xC4.exe 5 0", "6 ?.exe 6 0"}},
  };
  for (const auto& c : cases) {
    fake::ResetOs();
    Strings entries;
    for (const Entry& e : Snapshot(c.processes)) {
      entries.push_back(e.key + " " + e.info.Name + " " + std::to_string(e.info.PID) + " " +
                        std::to_string(e.info.MemoryK));
    }
    EXPECT_EQ(entries, c.entries) << c.what;
  }
}

TEST_P(ProcessTableWalk, CpuTimeIsWholeSecondsInDays) {
  std::vector<double> days;
  for (const Entry& e : Snapshot({
           {.pid = 1, .name = u"a", .userTime = 30 * kSecond, .kernelTime = 30 * kSecond - 1},
           {.pid = 2, .name = u"b", .userTime = 72000 * kSecond, .kernelTime = 18000 * kSecond},
           {.pid = 3, .name = u"c", .userTime = 3725 * kSecond + kSecond / 2},
       }))
    days.push_back(e.info.CpuTime);
  EXPECT_EQ(days, (std::vector<double>{59.0 / 86400.0, 90000.0 / 86400.0, 3725.0 / 86400.0}));
}

TEST_P(ProcessTableWalk, FailingLastRecordPropagates) {
  EXPECT_THROW(
      Snapshot({{.pid = 10, .name = u"a"}, {.pid = 11, .name = u"bad", .throwOnOpen = true}}),
      std::runtime_error);
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, ProcessTableWalk, testing::ValuesIn(kLayouts), LayoutName);

// Hand-made damaged tables: the walk must stay inside the filled bytes.
class DamagedTable : public testing::TestWithParam<LayoutCase> {
 protected:
  const OsLayout& layout() const { return *GetParam().layout; }
  std::uint64_t address() const { return GetParam().address; }

  std::vector<std::uint8_t> Table(std::vector<fake::Process> processes) {
    return fake::BuildProcessTable(processes, layout(), address());
  }
  void Put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    std::memcpy(bytes.data() + at, &value, 4);
  }
  void PutPointer(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint64_t value) {
    std::memcpy(bytes.data() + at, &value, layout().procPointerSize);
  }
  // Walks a heap copy of exactly `filled` bytes, so a sanitizer sees any overrun; the walk's
  // result is kept in `last`.
  std::vector<std::int32_t> WalkPids(const std::vector<std::uint8_t>& bytes, std::size_t filled) {
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[filled == 0 ? 1 : filled]);
    std::memcpy(exact.get(), bytes.data(), filled);
    std::vector<std::int32_t> pids;
    last = WalkProcessTable(exact.get(), filled, address(), layout(),
                            [&](const RawProcessRecord& raw, bool) { pids.push_back(raw.pid); });
    return pids;
  }
  std::uint32_t NextOf(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    std::uint32_t next;
    std::memcpy(&next, bytes.data() + at, 4);
    return next;
  }
  WalkResult last;
};

using Pids = std::vector<std::int32_t>;

TEST_P(DamagedTable, LinkPastTheFilledBytesEndsTheWalkAfterThatRecord) {
  auto bytes =
      Table({{.pid = 1, .name = u"a"}, {.pid = 2, .name = u"b"}, {.pid = 3, .name = u"c"}});
  const std::size_t second = NextOf(bytes, 0);
  Put32(bytes, second, static_cast<std::uint32_t>(bytes.size()));
  EXPECT_EQ(WalkPids(bytes, bytes.size()), (Pids{1, 2}));
  EXPECT_EQ(last.end, WalkEnd::BrokenLink);
}

TEST_P(DamagedTable, LinkShorterThanARecordNeverLoops) {
  auto bytes = Table({{.pid = 1, .name = u"a"}, {.pid = 2, .name = u"b"}});
  Put32(bytes, 0, 4);
  EXPECT_EQ(WalkPids(bytes, bytes.size()), (Pids{1}));
  EXPECT_EQ(last.end, WalkEnd::BrokenLink);
  Put32(bytes, 0, 0xFFFFFFF0u);
  EXPECT_EQ(WalkPids(bytes, bytes.size()), (Pids{1}));
}

TEST_P(DamagedTable, NextRecordCutOffByTheFilledLengthIsNotRead) {
  const auto bytes = Table({{.pid = 1, .name = std::nullopt}, {.pid = 2, .name = std::nullopt}});
  const std::size_t second = NextOf(bytes, 0);
  EXPECT_EQ(WalkPids(bytes, second + layout().procMinRecordSize - 1), (Pids{1}));
  EXPECT_EQ(last.end, WalkEnd::BrokenLink);
}

TEST_P(DamagedTable, BytesShorterThanOneRecordYieldNothing) {
  const auto bytes = Table({{.pid = 1, .name = std::nullopt}});
  EXPECT_TRUE(WalkPids(bytes, layout().procMinRecordSize - 1).empty());
  EXPECT_EQ(last.end, WalkEnd::TooShort);
  EXPECT_TRUE(WalkPids(bytes, 0).empty());
}

TEST_P(DamagedTable, NamePointerOutsideTheBytesSkipsThatRecordOnly) {
  auto bytes =
      Table({{.pid = 1, .name = u"a"}, {.pid = 2, .name = u"b"}, {.pid = 3, .name = u"c"}});
  const std::size_t second = NextOf(bytes, 0);
  PutPointer(bytes, second + layout().procImageNameBuffer, address() + bytes.size());
  EXPECT_EQ(WalkPids(bytes, bytes.size()), (Pids{1, 3}));
  EXPECT_EQ(last.damaged, 1u);
  EXPECT_EQ(last.end, WalkEnd::Complete);
  PutPointer(bytes, second + layout().procImageNameBuffer, address() - 2);
  EXPECT_EQ(WalkPids(bytes, bytes.size()), (Pids{1, 3}));
}

TEST_P(DamagedTable, NameWithoutNulInsideTheBytesIsNotRead) {
  auto bytes = Table({{.pid = 1, .name = std::nullopt}, {.pid = 2, .name = u"tail"}});
  // The last name ends the table; cut the filled length before its NUL.
  const std::size_t nameEnd = bytes.size() - 16 + 2 * 4;  // "tail" and NUL padded to 16
  EXPECT_EQ(WalkPids(bytes, nameEnd), (Pids{1}));
  EXPECT_EQ(last.damaged, 1u);
  // And a name pointer at the very last odd byte.
  PutPointer(bytes, NextOf(bytes, 0) + layout().procImageNameBuffer, address() + nameEnd - 1);
  EXPECT_EQ(WalkPids(bytes, nameEnd), (Pids{1}));
}

TEST_P(DamagedTable, LastSoundRecordIsTheOneWhoseFailurePropagates) {
  fake::ResetOs();
  fake::AddProcess({.pid = 1, .name = u"a", .throwOnOpen = true});
  auto bytes = Table({{.pid = 1, .name = u"a"}, {.pid = 2, .name = u"b"}});
  PutPointer(bytes, NextOf(bytes, 0) + layout().procImageNameBuffer, address() + bytes.size());
  TProcList list;
  EXPECT_THROW(AppendProcessRecords(bytes.data(), bytes.size(), address(), layout(), list),
               std::runtime_error);
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, DamagedTable, testing::ValuesIn(kLayouts), LayoutName);

TEST(WorkingSetKilobytes, RoundsAndSaturates) {
  EXPECT_EQ(WorkingSetKilobytes(0), 0u);
  EXPECT_EQ(WorkingSetKilobytes(511), 0u);
  EXPECT_EQ(WorkingSetKilobytes(512), 0u);
  EXPECT_EQ(WorkingSetKilobytes(513), 1u);
  EXPECT_EQ(WorkingSetKilobytes(3584), 4u);
  EXPECT_EQ(WorkingSetKilobytes(std::uint64_t{0xFFFFFFFF} * 1024), 0xFFFFFFFFu);
  EXPECT_EQ(WorkingSetKilobytes(~std::uint64_t{0}), 0xFFFFFFFFu);
}

TEST(CpuTimeDays, TruncatesAndNeverOverflows) {
  EXPECT_EQ(CpuTimeDays(0, kSecond - 1), 0.0);
  EXPECT_EQ(CpuTimeDays(86400 * kSecond, 0), 1.0);
  EXPECT_DOUBLE_EQ(CpuTimeDays(INT64_MAX, 0), 10675199.116724537);  // 922337203685 s
  // A damaged table with huge times wraps instead of trapping: the sum reads -2.
  EXPECT_EQ(CpuTimeDays(INT64_MAX, INT64_MAX), 0.0);
  EXPECT_DOUBLE_EQ(CpuTimeDays(INT64_MAX, 1), -10675199.116724537);  // INT64_MIN
}

TEST(ProcessKeys, ParseOnlyWhatAPidColumnShows) {
  const std::pair<const char*, std::int32_t> pids[] = {
      {"0", 0}, {"007", 7}, {"-1", -1}, {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN}};
  for (const auto& [key, pid] : pids) EXPECT_EQ(ParseProcessKey(key), pid) << key;
  for (const char* key :
       {"2147483648", "-2147483649", "99999999999", "", "-", "+5", " 5", "5a", "--5", "5-"}) {
    EXPECT_EQ(ParseProcessKey(key), std::nullopt) << key;
  }
}

// Entries of one key come out in list order, however lookups, takes and later adds of that
// key interleave; other keys are untouched.
TEST(SnapshotList, EntriesOfOneKeyAreTakenInListOrder) {
  TSnapshotList<int> list;
  auto add = [&list](const char* key, int id) { list.Append(key) = id; };
  auto take = [&list](const char* key) {
    const int* record = list.TakeFirst(key);
    return record ? *record : -1;
  };
  add("a", 0);
  add("b", 1);
  add("a", 2);
  add("a", 3);
  EXPECT_EQ(take("a"), 0);
  EXPECT_EQ(take("a"), 2);
  EXPECT_EQ(take("a"), 3);
  EXPECT_EQ(take("a"), -1);
  add("a", 4);  // after every earlier "a" was taken
  add("a", 5);
  EXPECT_EQ(list.Count(), 3u);
  EXPECT_EQ(take("a"), 4);
  EXPECT_EQ(take("c"), -1);
  std::vector<std::pair<std::string, int>> left;
  list.ForEach([&left](std::string_view key, int record) { left.emplace_back(key, record); });
  EXPECT_EQ(left, (std::vector<std::pair<std::string, int>>{{"b", 1}, {"a", 5}}));
  list.Clear();
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_EQ(list.TakeFirst("b"), nullptr);  // nothing of the cleared snapshot is found again
  add("b", 6);
  EXPECT_EQ(take("b"), 6);
}

// Keys are held in place up to the limit; a longer one is refused and never found. Keys that
// differ only by trailing NULs or length, or that hash alike, stay apart.
TEST(SnapshotList, KeysAreHeldInPlaceUpToTheLimit) {
  TSnapshotList<int> list;
  const std::string longest(TSnapshotList<int>::kMaxKeyLength, '7');
  list.Append("MMMMMMMMMMMMMMM") = 0;  // the same hash as "MMMMMpYMMMMMMnZ", found by search
  EXPECT_EQ(list.TakeFirst("MMMMMpYMMMMMMnZ"), nullptr);
  list.Append(longest) = 1;
  EXPECT_THROW(list.Append(longest + "7"), SnapshotKeyTooLong);
  list.Append(std::string_view("7\0", 2)) = 2;
  list.Append("7") = 3;
  EXPECT_EQ(list.Count(), 4u);
  EXPECT_EQ(list.TakeFirst(longest + "7"), nullptr);
  EXPECT_EQ(list.TakeFirst(longest.substr(1)), nullptr);
  EXPECT_EQ(*list.TakeFirst("7"), 3);
  EXPECT_EQ(*list.TakeFirst(std::string_view("7\0", 2)), 2);
  EXPECT_EQ(*list.TakeFirst(longest), 1);
}

class FakeOsTest : public testing::Test {
 protected:
  void SetUp() override {
    fake::ResetOs();
    fake::ClearCallLog();
  }
  // The buffer length of each class-5 query logged.
  static std::vector<std::uint32_t> Lengths() {
    std::vector<std::uint32_t> out;
    for (const auto& args : fake::CallArgs("QuerySystemInformation")) out.push_back(args[1]);
    return out;
  }
};
using ProcessSnapshot = FakeOsTest;

TEST_F(ProcessSnapshot, ReadsTheSystemTableAndClosesEveryHandle) {
  fake::AddProcess(
      {.pid = 600, .name = u"editor.exe", .userTime = 61 * kSecond, .workingSet = 2560});
  TProcList list;
  GetProcessList(list);
  const auto entries = Entries(list);
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].info.Name, "System Idle");
  EXPECT_EQ(entries[1].info.Name, "System");
  EXPECT_EQ(entries[2].key, std::to_string(fake::kOwnPid));
  EXPECT_EQ(entries[3].info.Name, "editor.exe");
  EXPECT_EQ(entries[3].info.MemoryK, 2u);
  EXPECT_EQ(entries[3].info.CpuTime, 61.0 / 86400.0);
  EXPECT_EQ(fake::OpenHandleCount(), 0);
  // Every process opened once, with all access and no inheritance.
  EXPECT_THAT(fake::CallArgs("OpenProcess"),
              ::testing::Each(ElementsAre(::testing::_, plat::kProcessAllAccessXp, 0)));
  EXPECT_EQ(fake::CallArgs("OpenProcess").size(), 4u);
}

// The buffer is kept from one snapshot to the next and only grows, so an earlier snapshot
// may have grown it already: the table is made larger than the buffer of the moment.
TEST_F(ProcessSnapshot, TableLargerThanTheBufferIsQueriedAgainAndTheNextStartsThere) {
  TProcList probe;
  GetProcessList(probe);
  ASSERT_EQ(Lengths().size(), 1u);
  const std::uint32_t before = Lengths()[0];
  EXPECT_GE(before, kProcessTableFirstBuffer);
  fake::ClearProcesses();
  std::vector<fake::Process> table;
  while (fake::BuildProcessTable(table, kNativeLayout, 0).size() <= before) {
    for (int i = 0; i < 100; ++i) {
      const std::uint32_t pid = 4 * static_cast<std::uint32_t>(table.size() + 1);
      table.push_back({.pid = pid, .name = u"a-rather-long-image-name.exe", .threads = 2});
      fake::AddProcess(table.back());
    }
  }
  TProcList list;
  GetProcessList(list);
  EXPECT_EQ(list.Count(), table.size());
  const auto lengths = Lengths();
  ASSERT_GE(lengths.size(), 3u);  // the probe's query, then at least two
  EXPECT_EQ(lengths[1], before);
  EXPECT_GT(lengths.back(), before);

  TProcList again;
  GetProcessList(again);
  EXPECT_EQ(Lengths().size(), lengths.size() + 1);
  EXPECT_EQ(Lengths().back(), lengths.back());
}

TEST_F(ProcessSnapshot, FailedQueriesAreNeverWalked) {
  // The first answer claims a length the buffer could hold; the table is not trusted anyway.
  // The second is STATUS_NO_MEMORY.
  fake::Os()->scriptedQueries = {{plat::kStatusInfoLengthMismatch, 100},
                                 {static_cast<std::int32_t>(0xC0000017u), 0}};
  TProcList list;
  GetProcessList(list);
  EXPECT_EQ(list.Count(), 3u);
  const auto lengths = Lengths();
  ASSERT_EQ(lengths.size(), 3u);
  EXPECT_GT(lengths[1], lengths[0]);  // grown, although the reported length was smaller
  EXPECT_GT(lengths[2], lengths[1]);
}

TEST_F(ProcessSnapshot, SuccessReportingALengthOfZeroIsReadOverTheWholeBuffer) {
  fake::AddProcess({.pid = 700, .name = u"late.exe"});
  fake::Os()->scriptedQueries = {{.status = plat::kStatusSuccess, .writesTable = true}};
  TProcList list;
  GetProcessList(list);
  ASSERT_EQ(list.Count(), 4u);
  EXPECT_EQ(list.TakeFirst("700")->Name, "late.exe");
  EXPECT_EQ(Lengths().size(), 1u);
}

TEST_F(ProcessSnapshot, QueriesThatKeepFailingGiveAnEmptySnapshot) {
  fake::Os()->scriptedQueries.assign(20, {plat::kStatusInfoLengthMismatch, 0xFFFFFFFFu});
  TProcList list;
  GetProcessList(list);
  EXPECT_EQ(list.Count(), 0u);
  const auto lengths = Lengths();
  EXPECT_LE(lengths.size(), static_cast<std::size_t>(kProcessTableMaxQueries));
  for (std::uint32_t length : lengths) EXPECT_LE(length, kProcessTableMaxBuffer);
}

TEST_F(ProcessSnapshot, WorkingSetQueryFailuresGiveZero) {
  EXPECT_GT(GetProcessWorkingSet(fake::kOwnPid), 0u);
  EXPECT_EQ(GetProcessWorkingSet(123456), 0u);
  fake::Os()->memoryInfoFails = true;
  EXPECT_EQ(GetProcessWorkingSet(fake::kOwnPid), 0u);
  fake::Os()->memoryInfoFails = false;
  EXPECT_GT(GetProcessWorkingSet(fake::kOwnPid), 0u);
  EXPECT_EQ(fake::OpenHandleCount(), 0);
}

using Termination = FakeOsTest;

TEST_F(Termination, EndsTheProcessWithExitCodeZeroAndClosesTheHandle) {
  fake::AddProcess({.pid = 808, .name = u"victim.exe"});
  fake::ClearCallLog();
  KillProcess(808);
  EXPECT_THAT(fake::CallArgs("TerminateProcess"), ElementsAre(ElementsAre(808, 0)));
  EXPECT_FALSE(fake::ProcessExists(808));
  EXPECT_THAT(
      fake::CallArgs("OpenProcess"),
      ElementsAre(ElementsAre(808, plat::kProcessTerminate | plat::kProcessQueryInformation, 0)));
  EXPECT_EQ(fake::OpenHandleCount(), 0);
}

TEST_F(Termination, PidZeroMakesNoCallAndProcessesThatCannotBeOpenedOrEndedStaySilently) {
  KillProcess(0);
  EXPECT_THAT(fake::CallLog(), ::testing::IsEmpty());
  fake::AddProcess({.pid = 809, .name = u"locked.exe", .canOpen = false});
  fake::AddProcess({.pid = 810, .name = u"sturdy.exe", .canTerminate = false});
  KillProcess(809);
  KillProcess(810);
  KillProcess(999999);
  EXPECT_TRUE(fake::ProcessExists(809));
  EXPECT_TRUE(fake::ProcessExists(810));
  EXPECT_EQ(fake::OpenHandleCount(), 0);
}

}  // namespace
