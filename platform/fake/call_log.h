#pragma once
// The call log (control/calls.h) that every part of the simulated system writes; not for tests.

#include <atomic>
#include <mutex>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/fake/control/calls.h"

namespace fake::detail {

struct CallLogState {
  std::mutex mutex;
  std::vector<std::string> entries;
  std::atomic<bool> on = false;
};
inline CallLogState callLog;

void StopCallLog();

// Appends "op arg..." while the log is on.
template <typename... Args>
void Log(const char* op, const Args&... args) {
  if (!callLog.on.load(std::memory_order_relaxed)) return;
  std::string entry = op;
  [[maybe_unused]] const auto add = [&entry](const auto& arg) {
    entry += ' ';
    if constexpr (std::is_arithmetic_v<std::decay_t<decltype(arg)>>) {
      entry += std::to_string(arg);
    } else {
      entry += arg;
    }
  };
  (add(args), ...);
  std::lock_guard lock(callLog.mutex);
  callLog.entries.push_back(std::move(entry));
}

}  // namespace fake::detail
