#include "app/timer.h"

void TTimer::Attach(plat::MainWindowHandle window) {
  window_ = window;
  Update();
}

void TTimer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Update();
}

void TTimer::SetInterval(std::uint32_t intervalMs) {
  interval_ = intervalMs;
  Update();
}

void TTimer::Update() {
  if (!window_) return;
  if (enabled_ && interval_ != 0) {
    plat::StartTimer(window_, interval_);
  } else {
    plat::StopTimer(window_);
  }
}
