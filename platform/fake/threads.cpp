// Threads on the build host: std::thread, std::mutex and std::condition_variable. Threads are
// detached so that a process may end while one still runs, as on Windows. The millisecond
// clock extends a 32-bit tick across its wraps, as on Windows (control/threads.h).

#include "platform/threads.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

#include "platform/fake/control/threads.h"

namespace {

// A flag that one thread raises and others wait for (an event, on Windows).
struct Flag {
  std::mutex mutex;
  std::condition_variable changed;
  bool set = false;

  void Set() {
    std::lock_guard lock(mutex);
    set = true;
    changed.notify_all();
  }
  bool Wait(std::uint32_t timeoutMs) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return set; });
  }
};

// What a ThreadHandle points at (deleted by CloseThread): the thread's flags, which the
// thread shares.
struct ThreadFlags {
  Flag resumed, finished;
};
std::shared_ptr<ThreadFlags>* BoxOf(plat::ThreadHandle thread) {
  return reinterpret_cast<std::shared_ptr<ThreadFlags>*>(thread.value);
}

// The 32-bit tick the clock reads: the host's steady clock in milliseconds, or a pinned value.
constexpr std::uint64_t kTickFollowsHost = ~std::uint64_t{0};
std::atomic<std::uint64_t> pinnedTick{kTickFollowsHost};

}  // namespace

void fake::PinTick32(std::optional<std::uint32_t> tick) {
  pinnedTick = tick ? *tick : kTickFollowsHost;
}

namespace plat {

ThreadHandle CreateSuspendedThread(void (*entry)(void* arg), void* arg) {
  auto flags = std::make_shared<ThreadFlags>();
  std::thread([flags, entry, arg] {
    while (!flags->resumed.Wait(~0u)) {
    }
    entry(arg);
    flags->finished.Set();
  }).detach();
  return ThreadHandle{reinterpret_cast<std::uintptr_t>(new std::shared_ptr(std::move(flags)))};
}

void ResumeThread(ThreadHandle thread) {
  if (thread) (*BoxOf(thread))->resumed.Set();
}

bool WaitForThread(ThreadHandle thread, std::uint32_t timeoutMs) {
  return !thread || (*BoxOf(thread))->finished.Wait(timeoutMs);
}

void CloseThread(ThreadHandle thread) { delete BoxOf(thread); }

void Sleep(std::uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::uint64_t MonotonicMilliseconds() {
  static TickExtender clock;
  return clock.Now([] {
    const std::uint64_t pinned = pinnedTick.load();
    if (pinned != kTickFollowsHost) return static_cast<std::uint32_t>(pinned);
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
  });
}

static_assert(sizeof(std::mutex) <= 64 && alignof(std::mutex) <= 8);

Mutex::Mutex() { new (storage_) std::mutex; }
Mutex::~Mutex() { std::launder(reinterpret_cast<std::mutex*>(storage_))->~mutex(); }
void Mutex::lock() { std::launder(reinterpret_cast<std::mutex*>(storage_))->lock(); }
void Mutex::unlock() { std::launder(reinterpret_cast<std::mutex*>(storage_))->unlock(); }

static_assert(sizeof(Flag) <= 128 && alignof(Flag) <= 8);

Event::Event() { new (storage_) Flag; }
Event::~Event() { std::launder(reinterpret_cast<Flag*>(storage_))->~Flag(); }
void Event::Set() { std::launder(reinterpret_cast<Flag*>(storage_))->Set(); }
bool Event::Wait(std::uint32_t timeoutMs) {
  return std::launder(reinterpret_cast<Flag*>(storage_))->Wait(timeoutMs);
}

}  // namespace plat
