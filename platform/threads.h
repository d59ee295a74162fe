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
