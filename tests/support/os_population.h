#pragma once
// A simulated desktop of a given size for the benchmarks and the soak: processes with names,
// CPU times and working sets, and top-level windows owned by them, over the fake OS. Keeps
// the handles it made so that a driver can end, start, reorder and restyle them.

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/fake/control/os.h"

class TOsPopulation {
 public:
  // `processes` processes and `windows` visible titled windows. Most windows belong to a
  // process of their own; every fifth is a second window of an earlier process (one row per
  // process), and the desktop's Progman window is always there.
  TOsPopulation(int processes, int windows, std::uint32_t seed = 12345) : random_(seed) {
    fake::ResetOs();
    fake::ClearProcesses();
    fake::Process idle;
    idle.pid = 0;
    idle.workingSet = 24576;
    fake::AddProcess(idle);
    pids_.push_back(0);
    for (int i = 1; i < processes; ++i) StartProcess();
    fake::Window desktop;
    desktop.className = "Progman";
    desktop.title = "Program Manager";
    desktop.pid = pids_.size() > 1 ? pids_[1] : 0;
    windows_.push_back(fake::AddWindow(desktop));
    for (int i = 1; i < windows; ++i) OpenWindow();
    targetProcesses_ = pids_.size();
    targetWindows_ = windows_.size();
  }

  const std::vector<std::uint32_t>& Pids() const { return pids_; }
  const std::vector<std::uintptr_t>& Windows() const { return windows_; }

  // A new process at the end of the table, with a PID never used before unless `pid` is given.
  std::uint32_t StartProcess(std::uint32_t pid = 0) {
    if (pid == 0) {
      nextPid_ += 4;
      pid = nextPid_;
    }
    fake::Process p;
    p.pid = pid;
    p.name = u"proc" + ToU16(std::to_string(pid)) + u".exe";
    p.userTime = static_cast<std::int64_t>(random_() % 100000) * 10'000'000;
    p.kernelTime = static_cast<std::int64_t>(random_() % 1000) * 10'000'000;
    p.workingSet = (random_() % 200000 + 16) * 1024 + random_() % 1024;
    p.canOpen = random_() % 16 != 0;
    fake::AddProcess(p);
    pids_.push_back(pid);
    return pid;
  }

  // Ends the process and its windows.
  void EndProcess(std::uint32_t pid) {
    fake::RemoveProcess(pid);
    std::erase(pids_, pid);
    std::vector<std::uintptr_t> gone;
    for (std::uintptr_t w : windows_) {
      const fake::Window* found = fake::FindWindow(w);
      if (found != nullptr && found->pid == pid) gone.push_back(w);
    }
    for (std::uintptr_t w : gone) CloseWindow(w);
  }

  // A new window at the bottom of the Z order, owned by a process of its own where one is
  // free, else by any process.
  std::uintptr_t OpenWindow() {
    fake::Window w;
    const std::size_t n = windows_.size();
    const bool second = n % 5 == 4 && pids_.size() > 2;
    w.pid =
        pids_.size() > 1
            ? pids_[1 + (second ? random_() % (pids_.size() - 1) : (n * 7) % (pids_.size() - 1))]
            : 0;
    const std::uint32_t kind = random_() % 10;
    w.className = kind == 0 ? "IEFrame" : kind == 1 ? "CabinetWClass" : "App" + std::to_string(n);
    w.title = "Window " + std::to_string(nextTitle_++) + " - document";
    if (random_() % 2) w.smallIcon = 0x5000 + random_() % 4096;
    if (random_() % 3) w.bigIcon = 0x9000 + random_() % 4096;
    w.classIcon = 0xD000 + random_() % 4096;
    const std::uintptr_t handle = fake::AddWindow(w);
    windows_.push_back(handle);
    return handle;
  }

  void CloseWindow(std::uintptr_t handle) {
    fake::DestroyWindow(handle);
    std::erase(windows_, handle);
  }

  // Replaces `share` of the processes (the idle entry stays) and of the windows (Progman
  // stays) with new ones. The fake's tables change in one pass each, so that a change between
  // two ticks does not sweep the caches that the second tick finds.
  void Replace(double share) {
    const auto endProcs = static_cast<std::size_t>(static_cast<double>(pids_.size()) * share);
    std::vector<std::uint32_t> ended;
    for (std::size_t i = 0; i < endProcs && pids_.size() > 2; ++i) {
      const std::size_t at = 1 + random_() % (pids_.size() - 1);
      ended.push_back(pids_[at]);
      pids_[at] = pids_.back();  // the table's order is the fake's; this list's is not
      pids_.pop_back();
    }
    fake::RemoveProcesses(ended);
    std::sort(ended.begin(), ended.end());
    std::vector<std::uintptr_t> closed;
    auto close = [&](std::size_t at) {
      closed.push_back(windows_[at]);
      windows_.erase(windows_.begin() + static_cast<std::ptrdiff_t>(at));
    };
    for (std::size_t at = windows_.size(); at-- > 0;) {
      const fake::Window* found = fake::FindWindow(windows_[at]);
      if (found != nullptr && std::binary_search(ended.begin(), ended.end(), found->pid)) {
        close(at);
      }
    }
    while (pids_.size() < targetProcesses()) StartProcess();
    const auto closeWins = static_cast<std::size_t>(static_cast<double>(windows_.size()) * share);
    for (std::size_t i = 0; i < closeWins && windows_.size() > 2; ++i) {
      close(1 + random_() % (windows_.size() - 1));
    }
    fake::DestroyWindows(closed);
    while (windows_.size() < targetWindows()) OpenWindow();
  }

  // Reorders the process table and the Z order at random; nothing else changes.
  void Shuffle() {
    std::vector<fake::Process> table;
    for (std::uint32_t pid : pids_) table.push_back(*fake::FindProcess(pid));
    std::shuffle(table.begin(), table.end(), random_);
    fake::ClearProcesses();
    pids_.clear();
    for (const fake::Process& p : table) {
      fake::AddProcess(p);
      pids_.push_back(p.pid);
    }
    // The windows keep their handles.
    std::shuffle(windows_.begin(), windows_.end(), random_);
    fake::SetZOrder(windows_);
  }

  std::mt19937& Random() { return random_; }

 private:
  std::size_t targetProcesses() const { return targetProcesses_; }
  std::size_t targetWindows() const { return targetWindows_; }
  static std::u16string ToU16(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }

  std::mt19937 random_;
  std::vector<std::uint32_t> pids_;
  std::vector<std::uintptr_t> windows_;
  std::uint32_t nextPid_ = 4;
  int nextTitle_ = 0;
  std::size_t targetProcesses_ = 0;
  std::size_t targetWindows_ = 0;
};
