// Threads on the build host: std::thread, std::mutex and std::condition_variable. Threads are
// detached so that a process may end while one still runs, as on Windows. The millisecond
// clock extends a 32-bit tick across its wraps, as on Windows (control/threads.h).

#include "platform/threads.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

#include "platform/fake/control/threads.h"

namespace {

struct ThreadState {
  std::mutex mutex;
  std::condition_variable changed;
  bool resumed = false;
  bool finished = false;
};

// What a ThreadHandle points at; deleted by CloseThread.
struct ThreadBox {
  std::shared_ptr<ThreadState> state;
};

ThreadBox* BoxOf(plat::ThreadHandle thread) { return reinterpret_cast<ThreadBox*>(thread.value); }

struct EventState {
  std::mutex mutex;
  std::condition_variable changed;
  bool set = false;
};

// The 32-bit tick the clock reads: the host's steady clock in milliseconds, or a pinned value.
constexpr std::uint64_t kTickFollowsHost = ~std::uint64_t{0};
std::atomic<std::uint64_t> pinnedTick{kTickFollowsHost};

}  // namespace

void fake::PinTick32(std::optional<std::uint32_t> tick) {
  pinnedTick = tick ? *tick : kTickFollowsHost;
}

namespace plat {

ThreadHandle CreateSuspendedThread(void (*entry)(void* arg), void* arg) {
  auto state = std::make_shared<ThreadState>();
  std::thread([state, entry, arg] {
    {
      std::unique_lock lock(state->mutex);
      state->changed.wait(lock, [&] { return state->resumed; });
    }
    entry(arg);
    std::lock_guard lock(state->mutex);
    state->finished = true;
    state->changed.notify_all();
  }).detach();
  return ThreadHandle{reinterpret_cast<std::uintptr_t>(new ThreadBox{std::move(state)})};
}

void ResumeThread(ThreadHandle thread) {
  if (!thread) return;
  ThreadState& state = *BoxOf(thread)->state;
  std::lock_guard lock(state.mutex);
  state.resumed = true;
  state.changed.notify_all();
}

bool WaitForThread(ThreadHandle thread, std::uint32_t timeoutMs) {
  if (!thread) return true;
  ThreadState& state = *BoxOf(thread)->state;
  std::unique_lock lock(state.mutex);
  return state.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                [&] { return state.finished; });
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

static_assert(sizeof(EventState) <= 128 && alignof(EventState) <= 8);

Event::Event() { new (storage_) EventState; }
Event::~Event() { std::launder(reinterpret_cast<EventState*>(storage_))->~EventState(); }

void Event::Set() {
  EventState& state = *std::launder(reinterpret_cast<EventState*>(storage_));
  std::lock_guard lock(state.mutex);
  state.set = true;
  state.changed.notify_all();
}

bool Event::Wait(std::uint32_t timeoutMs) {
  EventState& state = *std::launder(reinterpret_cast<EventState*>(storage_));
  std::unique_lock lock(state.mutex);
  return state.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                [&] { return state.set; });
}

}  // namespace plat
