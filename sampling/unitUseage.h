#pragma once
// unitUseage: the CPU load in whole percent, from the change of the processors' idle time
// between two successful samples.

#include <atomic>
#include <cstdint>

#include "platform/sysinfo.h"

// The last percentage GetCpuUsage computed; 0 until the second successful sample. Written by
// the sampler thread only; not clamped to 0..100.
extern std::atomic<std::int32_t> CpuUsage;

// What GetCpuUsage keeps from one call to the next; a new one is the state of a first call.
struct CpuSampleState {
  const plat::QueryEntry* entry = nullptr;
  std::int64_t previousIdleTime = 0;  // 0 until the first successful sample
  std::int64_t previousSystemTime = 0;
};

// Queries classes 0, 3 and 2 and returns the load since the previous successful call with this
// state (also stored in CpuUsage), or 0 on the first call, when a query fails, when the entry
// point cannot be resolved (looked up again on the next call) or when the system reports 0
// processors. A 0 for those reasons changes nothing. Sampler thread only.
std::int32_t GetCpuUsage(CpuSampleState& state);

// The arithmetic of one successful sample after the first: every count converted to double
// as (high 32 bits, signed) * 2^32 + (low 32 bits, unsigned); ratio = idle difference /
// elapsed (the undivided idle difference when elapsed is 0); result = floor(100 - ratio *
// 100 / processors), saturated to the 32-bit range (NaN gives 0). `processors` > 0.
std::int32_t CpuPercentage(std::int64_t newIdle, std::int64_t previousIdle, std::int64_t newTime,
                           std::int64_t previousTime, unsigned processors);

// Exact double value of a 64-bit count, composed from its two 32-bit halves.
double CountToDouble(std::int64_t count);

// A value truncated towards zero into the 32-bit range, saturating at its ends; NaN gives 0.
std::int32_t SaturateToInt32(double value);
