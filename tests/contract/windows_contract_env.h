#pragma once
// What the window contract tests need from the platform they run on.

#include <cstdint>
#include <memory>

#include "platform/types.h"

namespace contract {

void ResetWindowEnvironment();

// A top-level window of this process with a class icon, on the calling thread.
plat::WindowHandle CreateTestWindow(const char* className, const char* title, bool visible);
void DestroyTestWindow(plat::WindowHandle window);
// Gives the window a small icon of its own and returns the icon's handle value.
std::uintptr_t SetTestWindowSmallIcon(plat::WindowHandle window);

// A visible titled window whose thread does not answer WM_GETICON until this is destroyed.
class UnresponsiveWindow {
 public:
  UnresponsiveWindow();
  ~UnresponsiveWindow();
  UnresponsiveWindow(const UnresponsiveWindow&) = delete;
  UnresponsiveWindow& operator=(const UnresponsiveWindow&) = delete;
  plat::WindowHandle Handle() const { return window_; }

 private:
  plat::WindowHandle window_;
  std::shared_ptr<void> busy_;  // what keeps the window busy, on Windows
};

}  // namespace contract
