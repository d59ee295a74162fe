// Threads, critical sections and events of Win32.

#include <windows.h>

#include <new>

#include "platform/threads.h"

namespace {

struct StartArgs {
  void (*entry)(void*);
  void* arg;
};

DWORD WINAPI Trampoline(LPVOID raw) {
  const StartArgs args = *static_cast<StartArgs*>(raw);
  delete static_cast<StartArgs*>(raw);
  args.entry(args.arg);
  return 0;
}

HANDLE ToHandle(plat::ThreadHandle thread) { return reinterpret_cast<HANDLE>(thread.value); }

}  // namespace

namespace plat {

ThreadHandle CreateSuspendedThread(void (*entry)(void* arg), void* arg) {
  auto* args = new StartArgs{entry, arg};
  HANDLE thread = ::CreateThread(nullptr, 0, &Trampoline, args, CREATE_SUSPENDED, nullptr);
  if (thread == nullptr) {
    delete args;
    return ThreadHandle{};
  }
  return ThreadHandle{reinterpret_cast<std::uintptr_t>(thread)};
}

void ResumeThread(ThreadHandle thread) {
  if (thread) ::ResumeThread(ToHandle(thread));
}

bool WaitForThread(ThreadHandle thread, std::uint32_t timeoutMs) {
  if (!thread) return true;
  return ::WaitForSingleObject(ToHandle(thread), timeoutMs) == WAIT_OBJECT_0;
}

void CloseThread(ThreadHandle thread) {
  if (thread) ::CloseHandle(ToHandle(thread));
}

static_assert(sizeof(CRITICAL_SECTION) <= 64 && alignof(CRITICAL_SECTION) <= 8);

Mutex::Mutex() { ::InitializeCriticalSection(new (storage_) CRITICAL_SECTION); }
Mutex::~Mutex() { ::DeleteCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(storage_)); }
void Mutex::lock() { ::EnterCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(storage_)); }
void Mutex::unlock() { ::LeaveCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(storage_)); }

static_assert(sizeof(HANDLE) <= 128);

// A manual-reset event object; its handle lives in the storage.
static HANDLE EventIn(unsigned char* storage) { return *reinterpret_cast<HANDLE*>(storage); }
Event::Event() { new (storage_) HANDLE(::CreateEventW(nullptr, TRUE, FALSE, nullptr)); }
Event::~Event() {
  if (HANDLE event = EventIn(storage_)) ::CloseHandle(event);
}
void Event::Set() {
  if (HANDLE event = EventIn(storage_)) ::SetEvent(event);
}
bool Event::Wait(std::uint32_t timeoutMs) {
  HANDLE event = EventIn(storage_);
  // Without an event object (creation failed) this is a plain sleep.
  if (event == nullptr) {
    ::Sleep(timeoutMs);
    return false;
  }
  return ::WaitForSingleObject(event, timeoutMs) == WAIT_OBJECT_0;
}

}  // namespace plat
