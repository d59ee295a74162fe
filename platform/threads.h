#pragma once
// Threads and locks.

#include <atomic>
#include <cstdint>

#include "platform/types.h"

namespace plat {

// Creates a thread that runs entry(arg) once resumed.
ThreadHandle CreateSuspendedThread(void (*entry)(void* arg), void* arg);
void ResumeThread(ThreadHandle thread);
// True when the thread has ended within `timeoutMs`.
bool WaitForThread(ThreadHandle thread, std::uint32_t timeoutMs);
// Releases the handle; the thread itself runs on.
void CloseThread(ThreadHandle thread);

void Sleep(std::uint32_t milliseconds);

// A 64-bit millisecond count made from a 32-bit tick count that wraps to 0 every 2^32 ms
// (about 49.7 days), such as GetTickCount. Safe to read from any thread. The clocks of the
// fake and of the tests (tests/support/inspect.h) use it; the program keeps no time.
class TickExtender {
 public:
  // Calls tick() and returns the count: the first reading as it is, each later one the count
  // before plus the tick's unsigned 32-bit advance, so a wrap between two readings still counts
  // forward. Readings must come less than one wrap apart.
  template <typename Tick>
  std::uint64_t Now(Tick tick) {
    std::uint64_t last = last_.load();
    for (;;) {
      // The tick is read after `last` on every try: an older reading would look like a wrap.
      const std::uint32_t advance = tick() - static_cast<std::uint32_t>(last);
      if (last_.compare_exchange_weak(last, last + advance)) return last + advance;
    }
  }

 private:
  std::atomic<std::uint64_t> last_{0};
};

// A non-recursive lock (a critical section on Windows).
class Mutex {
 public:
  Mutex();
  ~Mutex();
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;
  void lock();
  void unlock();

 private:
  alignas(8) unsigned char storage_[64];
};

// A manual-reset event: once Set, every Wait returns true at once.
class Event {
 public:
  Event();
  ~Event();
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;
  void Set();
  // True when the event is set, false when `timeoutMs` passed first.
  bool Wait(std::uint32_t timeoutMs);

 private:
  alignas(8) unsigned char storage_[128];
};

class LockGuard {
 public:
  explicit LockGuard(Mutex& mutex) : mutex_(mutex) { mutex_.lock(); }
  ~LockGuard() { mutex_.unlock(); }
  LockGuard(const LockGuard&) = delete;
  LockGuard& operator=(const LockGuard&) = delete;

 private:
  Mutex& mutex_;
};

}  // namespace plat
