#pragma once
// The main window: its controls and menus, the refresh timer, the two list refreshes and
// the user's commands.

#include <cstdint>

#include "platform/gui.h"
#include "platform/types.h"

class TUseage;
class TSetThread;

class TMainForm : public plat::WindowEvents {
 public:
  void StartGraphs();
  void UpdateGraphs();
  void StopGraphs();

  plat::Control Handle;
  plat::Control CpuImg;
  plat::Control memImg;
  plat::Control CpuPanel;
  plat::Control memPanel;
  plat::Control StatusBar;
};

// The graph images and the sampler thread: empty until the window is first shown.
extern TUseage* CpuGraph;
extern TUseage* MemGraph;
extern TSetThread* SetThread;
