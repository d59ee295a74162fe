#include "app/program.h"

#include "app/CpuUseage.h"
#include "app/performance_page.h"
#include "platform/gui.h"
#include "platform/process.h"

TMainForm* MainForm = nullptr;

int VarnexMain() {
  plat::RestrictDllSearch();
  MainForm = new TMainForm;
  MainForm->Show();
  int exitCode = plat::RunMessageLoop();
  // The close already asked the sampler to stop, and its sleep wakes at once; a thread that
  // is still drawing is left to end with the process.
  TPerformancePage::Stop(1000);
  delete MainForm;
  MainForm = nullptr;
  return exitCode;
}
