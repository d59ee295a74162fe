// Threads on the build host: std::thread, std::mutex and std::condition_variable. Threads are
// detached so that a process may end while one still runs, as on Windows.

#include "platform/threads.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

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

}  // namespace

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
