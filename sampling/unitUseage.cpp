#include "sampling/unitUseage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/constants.h"
#include "platform/os_layouts.h"
#include "platform/sysinfo.h"

std::atomic<std::int32_t> CpuUsage{0};

namespace {

// Fixed buffers: a sample allocates nothing.
constexpr std::size_t kBufferSize = 512;
static_assert(kNativeLayout.basicInfoSize <= kBufferSize &&
              kNativeLayout.timeOfDaySize <= kBufferSize &&
              kNativeLayout.perfInfoSize <= kBufferSize);
alignas(16) unsigned char basicInfo[kBufferSize];
alignas(16) unsigned char timeOfDay[kBufferSize];
alignas(16) unsigned char perfInfo[kBufferSize];

std::int64_t ReadInt64(const unsigned char* buffer, std::uint32_t offset) {
  std::int64_t value = 0;
  std::memcpy(&value, buffer + offset, sizeof value);
  return value;
}

}  // namespace

double CountToDouble(std::int64_t count) {
  const auto bits = static_cast<std::uint64_t>(count);
  const auto high = static_cast<std::int32_t>(static_cast<std::uint32_t>(bits >> 32));
  const auto low = static_cast<std::uint32_t>(bits);
  return static_cast<double>(high) * 4294967296.0 + static_cast<double>(low);
}

std::int32_t CpuPercentage(std::int64_t newIdle, std::int64_t previousIdle, std::int64_t newTime,
                           std::int64_t previousTime, unsigned processors) {
  const double idleDifference = CountToDouble(newIdle) - CountToDouble(previousIdle);
  const double elapsed = CountToDouble(newTime) - CountToDouble(previousTime);
  const double ratio = elapsed != 0.0 ? idleDifference / elapsed : idleDifference;
  const double percentage = 100.0 - ratio * 100.0 / static_cast<double>(processors);
  return SaturateToInt32(std::floor(percentage));
}

std::int32_t SaturateToInt32(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kMin = std::numeric_limits<std::int32_t>::min();
  constexpr double kMax = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::clamp(value, kMin, kMax));
}

std::int32_t GetCpuUsage(CpuSampleState& state) {
  if (state.entry == nullptr) state.entry = plat::LookupQueryEntry();
  if (state.entry == nullptr) return 0;

  const OsLayout& layout = kNativeLayout;
  const struct {
    std::uint32_t infoClass;
    unsigned char* buffer;
    std::uint32_t size;
  } queries[] = {{plat::kSystemBasicInformation, basicInfo, layout.basicInfoSize},
                 {plat::kSystemTimeOfDayInformation, timeOfDay, layout.timeOfDaySize},
                 {plat::kSystemPerformanceInformation, perfInfo, layout.perfInfoSize}};
  for (const auto& query : queries) {
    if (plat::CallQueryEntry(state.entry, query.infoClass, query.buffer, query.size) != 0) return 0;
  }
  const unsigned processors = basicInfo[layout.basicNumberOfProcessors];
  // A basic record without processors cannot be right; treat it like a failed query.
  if (processors == 0) return 0;
  const std::int64_t idleTime = ReadInt64(perfInfo, layout.perfIdleProcessTime);
  const std::int64_t systemTime = ReadInt64(timeOfDay, layout.timeOfDayCurrentTime);

  std::int32_t result = 0;
  if (state.previousIdleTime != 0) {
    result = CpuPercentage(idleTime, state.previousIdleTime, systemTime, state.previousSystemTime,
                           processors);
    CpuUsage.store(result);
  }
  state.previousIdleTime = idleTime;
  state.previousSystemTime = systemTime;
  return result;
}
