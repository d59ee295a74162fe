#pragma once
// The main window's refresh timer.

#include <cstdint>

#include "platform/gui.h"

// The window's periodic timer. Setting either property while enabled restarts it; an
// interval of 0 never ticks.
class TTimer {
 public:
  void Attach(plat::MainWindowHandle window);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  void SetInterval(std::uint32_t intervalMs);

 private:
  void Update();
  plat::MainWindowHandle window_;
  bool enabled_ = true;
  std::uint32_t interval_ = 1000;
};
