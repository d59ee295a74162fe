#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/constants.h"
#include "platform/os_layouts.h"
#include "platform/sysinfo.h"
#include "platform/threads.h"
#include "sampling/MemInfo.h"
#include "sampling/unitUseage.h"
#include "tests/contract/contract_env.h"

TEST(CountersContract, EntryResolvesOnceAndAcceptsTheLayoutSizes) {
  contract::Reset();
  const plat::QueryEntry* entry = plat::LookupQueryEntry();
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(plat::LookupQueryEntry(), entry);

  alignas(16) unsigned char buffer[1024];
  const auto query = [&](std::uint32_t infoClass, std::uint32_t size) {
    std::memset(buffer, 0, sizeof buffer);
    return plat::CallQueryEntry(entry, infoClass, buffer, size);
  };
  const auto figureAt = [&](std::size_t offset) {
    std::int64_t figure = -1;
    std::memcpy(&figure, buffer + offset, 8);
    return figure;
  };
  ASSERT_EQ(query(plat::kSystemBasicInformation, kNativeLayout.basicInfoSize), 0);
  EXPECT_GT(buffer[kNativeLayout.basicNumberOfProcessors], 0);
  ASSERT_EQ(query(plat::kSystemTimeOfDayInformation, kNativeLayout.timeOfDaySize), 0);
  // After the year 1997, in 100 ns since 1601.
  EXPECT_GT(figureAt(kNativeLayout.timeOfDayCurrentTime), 125'000'000'000'000'000);
  ASSERT_EQ(query(plat::kSystemPerformanceInformation, kNativeLayout.perfInfoSize), 0);
  // 0 would keep GetCpuUsage at its first call for ever.
  EXPECT_GT(figureAt(kNativeLayout.perfIdleProcessTime), 0);
  // A basic record of the wrong size is refused.
  EXPECT_NE(query(plat::kSystemBasicInformation, kNativeLayout.basicInfoSize - 4), 0);
}

TEST(CountersContract, FirstSampleIsZeroThenALoad) {
  contract::Reset();
  CpuSampleState state;
  CpuUsage.store(0);
  EXPECT_EQ(GetCpuUsage(state), 0);
  EXPECT_EQ(CpuUsage.load(), 0);
  probe::Sleep(300);
  const std::int32_t load = GetCpuUsage(state);
  EXPECT_EQ(CpuUsage.load(), load);
  EXPECT_GE(load, -50);
  EXPECT_LE(load, 150);
  CpuUsage.store(0);
}

// The record may overflow (a 32-bit process above 4 GiB); the memory in use never does.
TEST(CountersContract, MemoryStatusIsFilled) {
  contract::Reset();
  plat::MemoryStatus status;
  plat::MemoryStatusEx extended;
  ReadMemoryStatus(status, extended);
  EXPECT_EQ(status.dwLength, kNativeLayout.memoryStatusSize);
  // dwMemoryLoad is not checked: the program never reads it, and 32-bit Wine fills it with a
  // figure far above 100 when the machine's memory overflows the record.
  for (std::uint64_t figure :
       {status.dwTotalPhys, status.dwAvailPhys, status.dwTotalPageFile, status.dwAvailPageFile,
        status.dwTotalVirtual, status.dwAvailVirtual}) {
    EXPECT_GT(figure, 0u);  // every field copied
  }
  EXPECT_LE(status.dwAvailVirtual, status.dwTotalVirtual);
  EXPECT_EQ(extended.dwLength, 64u);
  EXPECT_GE(extended.ullTotalPageFile, extended.ullAvailPageFile);
  const MemoryInUse memory = UsedMemory(status, extended);
  EXPECT_GT(memory.used, 0u);
  EXPECT_LE(memory.used, memory.total);
}
