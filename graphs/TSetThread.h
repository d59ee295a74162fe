#pragma once
// TSetThread: the sampler thread. Once a second it redraws both history graphs from its two
// histories, shifts them one place left, and appends a new CPU sample and a new memory
// sample (which also refresh CpuUsage, MemStatus and MemStatusEx).
//
// Sharing with the GUI thread: one lock, held by this thread around its start-up samples,
// around every whole pass (drawing and sampling) and around the release of the images, and
// by the GUI thread around each copy (WithFrames) and each read of the samples (ReadSample).
// A copy therefore always shows a complete frame, CpuUsage and MemStatus are read as one
// consistent pair, and no copy can touch an image after its release. The sleep between
// passes waits on an event that Terminate sets, so a stop during the sleep ends the thread
// at once; the lock is never held while sleeping.

#include <atomic>
#include <cstdint>
#include <vector>

#include "graphs/TUseage.h"
#include "platform/sysinfo.h"
#include "platform/threads.h"

class TSetThread;
namespace probe {
inline int PassCount(const TSetThread& thread);  // the tests' reading of passes_
}

class TSetThread {
 public:
  static constexpr std::uint32_t kCpuLineColor = 0x58FF35;
  static constexpr std::uint32_t kMemLineColor = 0x58FFFF;

  // Creates the thread suspended.
  TSetThread();
  // Only once the thread has ended or if it was never resumed; the program never deletes it.
  ~TSetThread();
  TSetThread(const TSetThread&) = delete;
  TSetThread& operator=(const TSetThread&) = delete;

  // Set by the creator before Resume. Owned by the thread from then on: it releases both
  // when it leaves its loop and sets these to null. Both must be present.
  TUseage* CpuGraph = nullptr;
  TUseage* MemGraph = nullptr;
  // Pause between passes; set before Resume.
  std::uint32_t SleepMs = 1000;

  void Resume();
  // Asks the thread to stop before its next pass and wakes it from its sleep; returns at once.
  void Terminate();
  // True when the thread body has ended within `timeoutMs`.
  bool WaitFor(std::uint32_t timeoutMs);

  // GUI side: runs use(cpuImage, memImage) under the lock, between passes. False, without
  // calling it, once the images were released.
  template <typename Use>
  bool WithFrames(Use&& use) {
    plat::LockGuard guard(lock_);
    if (CpuGraph == nullptr || MemGraph == nullptr) return false;
    use(static_cast<const TUseage&>(*CpuGraph), static_cast<const TUseage&>(*MemGraph));
    return true;
  }

  // GUI side: CpuUsage and MemStatus as the last pass (or the start-up) left them.
  struct Sample {
    std::int32_t cpuUsage = 0;
    plat::MemoryStatus memStatus;
    plat::MemoryStatusEx memStatusEx;
  };
  Sample ReadSample();

 private:
  static void Entry(void* self);
  void Execute();

  plat::ThreadHandle handle_;
  plat::Mutex lock_;
  plat::Event wake_;
  std::atomic<bool> terminated_{false};
  std::atomic<int> passes_{0};  // completed so far
  friend int probe::PassCount(const TSetThread& thread);
};

// The sampler's start-up up to its resume: a graph image of each size, height first, with its
// grid drawn, both handed to a new suspended sampler thread, and MemStatus.dwLength set for
// the record the thread reads. The caller may show the images until it resumes the thread.
TSetThread* CreateSampler(int cpuHeight, int cpuWidth, int memHeight, int memWidth);

// Sample heights and scales, in pixels.
// round(height / 100), ties to even.
std::int32_t CpuScale(int height);
// usage * scale, saturated to the 32-bit range.
std::int32_t CpuSampleHeight(std::int32_t usage, std::int32_t scale);
// Used memory / commit limit (UsedMemory, from the record or its 64-bit figures) * scale in
// floating point, rounded to the nearest integer with ties to even and saturated to the
// 32-bit range. A commit limit of 0 gives 0, so the memory line stays below the image.
std::int32_t MemorySampleHeight(const plat::MemoryStatus& status,
                                const plat::MemoryStatusEx& extended, std::int32_t scale);
// Draws history[i] -> history[i + 1] at columns i, i + 1 (row = baseline - value), shifting
// the history one place left as it goes; the last element stays in place.
void DrawHistory(TUseage& image, std::vector<std::int32_t>& history, std::int32_t baseline);
