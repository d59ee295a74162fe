#pragma once
// GoogleTest customisation for mingw-w64 with the win32 thread model, which has no
// std::mutex or std::condition_variable. GoogleTest's own locks use critical sections on
// Windows; only its Notification needs the standard primitives, so it is replaced here.
// Notification is used by GoogleTest's own thread helpers, never by our tests.

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
 public:
  Notification() = default;
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { notified_.store(true, std::memory_order_release); }
  void WaitForNotification() {
    while (!notified_.load(std::memory_order_acquire)) {
    }
  }

 private:
  std::atomic<bool> notified_{false};
};

}  // namespace internal
}  // namespace testing
