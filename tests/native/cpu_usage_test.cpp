#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/constants.h"
#include "platform/fake/control/os.h"
#include "platform/os_layouts.h"
#include "sampling/MemInfo.h"
#include "sampling/unitUseage.h"
#include "tests/native/graph_helpers.h"

namespace {

constexpr std::int64_t kStartTime = 132'000'000'000'000'000;
constexpr std::int64_t kStartIdle = 5'000'000'000;

class CpuUsageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSampling();
    fake::Os()->processors = 4;
    fake::Os()->currentTime = kStartTime;
    fake::Os()->idleTime = kStartIdle;
  }
  // The next sample sees time and idle advanced by these amounts since the start values.
  static void Advance(std::int64_t elapsed, std::int64_t idle) {
    fake::Os()->currentTime = kStartTime + elapsed;
    fake::Os()->idleTime = kStartIdle + idle;
  }
  CpuSampleState state;
};

// The class of each counter query logged.
std::vector<std::uint32_t> Classes() {
  std::vector<std::uint32_t> classes;
  for (const auto& args : fake::CallArgs("CallQueryEntry")) classes.push_back(args[0]);
  return classes;
}

}  // namespace

TEST(CpuPercentageArithmetic, Table) {
  // 4 processors: idle 3 s of processor time over 1 s elapsed is 75 % idle.
  EXPECT_EQ(CpuPercentage(30'000'000, 0, 10'000'000, 0, 4), 25);
  EXPECT_EQ(CpuPercentage(30'000'001, 0, 10'000'000, 0, 4), 24);  // floored, not rounded
  EXPECT_EQ(CpuPercentage(0, 0, 10'000'000, 0, 4), 100);
  EXPECT_EQ(CpuPercentage(5, 5, 7, 7, 4), 100);  // no time, no idle: 100
  EXPECT_EQ(CpuPercentage(4, 0, 0, 0, 4), 0);    // no time: ratio is the idle count
  EXPECT_EQ(CpuPercentage(40'000'400, 0, 10'000'000, 0, 4), -1);    // idle runs ahead
  EXPECT_EQ(CpuPercentage(10'000'000, 0, -10'000'000, 0, 4), 125);  // clock set back
  EXPECT_EQ(CpuPercentage(1, 0, 3, 0, 1), 66);                      // 66.67 floors down
  EXPECT_EQ(CpuPercentage(5, 0, 3, 0, 1), -67);                     // -66.67 floors towards -inf
  // Huge values saturate.
  EXPECT_EQ(CpuPercentage(LLONG_MAX, 1, 1, 0, 1), INT32_MIN);
  EXPECT_EQ(CpuPercentage(LLONG_MIN, 1, 1, 0, 1), INT32_MAX);
  EXPECT_EQ(CpuPercentage(LLONG_MAX, LLONG_MIN, 0, 0, 1), INT32_MIN);
  EXPECT_EQ(CpuPercentage(0, 0, 1, 0, 255), 100);
}

TEST(CpuPercentageArithmetic, HalvesComposeToTheSignedValue) {
  for (std::int64_t v : {0LL, 1LL, -1LL, 4294967295LL, 4294967296LL, -4294967296LL,
                         132'000'000'000'000'000LL, -123'456'789'012LL}) {
    EXPECT_EQ(CountToDouble(v), static_cast<double>(v)) << v;
  }
  EXPECT_EQ(CountToDouble(LLONG_MIN), -9223372036854775808.0);
}

// From a first call: time and idle advanced since the start values, and the load each call
// reads and leaves for the GUI.
TEST_F(CpuUsageTest, FirstCallReturnsZeroAndEachNextMeasuresItsInterval) {
  const struct {
    const char* what;
    std::vector<std::array<std::int64_t, 3>> calls;
    int failingFirst = -1;  // the class whose first query fails
  } cases[] = {
      // The second interval: 10'000'000 and 30'000'001.
      {"intervals", {{0, 0, 0}, {10'000'000, 30'000'000, 25}, {20'000'000, 60'000'001, 24}}},
      {"same clock tick with no idle", {{0, 0, 0}, {0, 0, 100}}},
      {"idle ahead, then the clock set back by one second",
       {{0, 0, 0}, {10'000'000, 40'000'400, -1}, {0, 50'000'400, 125}}},
      {"zero idle time never leaves the first-call state",
       {{0, -kStartIdle, 0}, {10'000'000, -kStartIdle, 0}}},
      {"a failed first query keeps the first-call marker",
       {{0, 0, 0}, {10'000'000, 0, 0}, {20'000'000, 0, 100}},
       plat::kSystemPerformanceInformation},
  };
  for (const auto& c : cases) {
    state = {};
    CpuUsage.store(0);
    fake::ClearCallLog();
    if (c.failingFirst >= 0)
      fake::Os()->queuedStatuses[c.failingFirst].push_back(plat::kStatusInfoLengthMismatch);
    for (const auto& [elapsed, idle, load] : c.calls) {
      Advance(elapsed, idle);
      EXPECT_EQ(GetCpuUsage(state), load) << c.what;
      EXPECT_EQ(CpuUsage.load(), load) << c.what;
    }
    EXPECT_EQ(fake::CallLog("LookupQueryEntry").size(), 1u) << c.what;  // resolved once
  }
}

TEST_F(CpuUsageTest, QueriesUseTheLayoutsExactSizesInOrder) {
  GetCpuUsage(state);
  std::vector<std::pair<std::uint32_t, std::uint32_t>> classAndLength;
  for (const auto& args : fake::CallArgs("CallQueryEntry"))
    classAndLength.emplace_back(args[0], args[1]);
  EXPECT_EQ(classAndLength, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{
                                {0, kNativeLayout.basicInfoSize},
                                {3, kNativeLayout.timeOfDaySize},
                                {2, kNativeLayout.perfInfoSize}}));
}

// The parameter is the information class whose query fails.
class FailedCpuQuery : public CpuUsageTest, public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(FailedCpuQuery, ChangesNothingAndTheNextCoversBothIntervals) {
  GetCpuUsage(state);
  Advance(10'000'000, 20'000'000);
  EXPECT_EQ(GetCpuUsage(state), 50);
  fake::Os()->queuedStatuses[GetParam()].push_back(plat::kStatusInfoLengthMismatch);
  Advance(20'000'000, 20'000'000);  // the second second fully busy
  EXPECT_EQ(GetCpuUsage(state), 0);
  EXPECT_EQ(CpuUsage.load(), 50);
  // The third second fully idle. Measured from the last good sample: 4 s of idle over
  // 2 s on 4 processors, 50 %; from the failed one it would have been 0 %.
  Advance(30'000'000, 60'000'000);
  EXPECT_EQ(GetCpuUsage(state), 50);
}

INSTANTIATE_TEST_SUITE_P(EachClass, FailedCpuQuery, ::testing::Values(0u, 3u, 2u),
                         [](const auto& info) { return "Class" + std::to_string(info.param); });

TEST_F(CpuUsageTest, InformationalStatusAlsoFailsAndStopsTheRemainingQueries) {
  GetCpuUsage(state);
  const struct {
    std::uint32_t failing;
    std::int32_t status;
    std::vector<std::uint32_t> queried;
  } cases[] = {
      {plat::kSystemBasicInformation, 0x40000000, {0}},  // informational is not success either
      {plat::kSystemTimeOfDayInformation, plat::kStatusInfoLengthMismatch, {0, 3}},
      {plat::kSystemPerformanceInformation, plat::kStatusInfoLengthMismatch, {0, 3, 2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.failing);
    fake::ClearCallLog();
    fake::Os()->queuedStatuses[c.failing].push_back(c.status);
    EXPECT_EQ(GetCpuUsage(state), 0);
    EXPECT_EQ(Classes(), c.queried);
  }
  EXPECT_EQ(CpuUsage.load(), 0);
}

TEST_F(CpuUsageTest, UnresolvableEntryCountsAsFailedAndIsLookedUpAgain) {
  fake::Os()->queryEntryResolvable = false;
  EXPECT_EQ(GetCpuUsage(state), 0);
  EXPECT_EQ(GetCpuUsage(state), 0);
  EXPECT_TRUE(fake::CallLog("CallQueryEntry").empty());
  EXPECT_EQ(fake::CallLog("LookupQueryEntry").size(), 2u);
  fake::Os()->queryEntryResolvable = true;
  EXPECT_EQ(GetCpuUsage(state), 0);  // first successful sample
  Advance(10'000'000, 30'000'000);
  EXPECT_EQ(GetCpuUsage(state), 25);
  EXPECT_EQ(fake::CallLog("LookupQueryEntry").size(), 3u);
}

TEST_F(CpuUsageTest, ZeroProcessorsCountsAsFailedQuery) {
  GetCpuUsage(state);
  Advance(10'000'000, 30'000'000);
  fake::Os()->processors = 0;
  EXPECT_EQ(GetCpuUsage(state), 0);
  EXPECT_EQ(CpuUsage.load(), 0);
  fake::Os()->processors = 4;
  EXPECT_EQ(GetCpuUsage(state), 25);  // measured from the last good sample
}
