// Runs refresh ticks over a simulated desktop without timing anything, for counting
// instructions with callgrind (scripts/bench.sh): a count does not depend on what else the
// machine runs, where a time does.
//   varnex_tick_driver PROCESSES WINDOWS STEADY_TICKS

#include <cstdlib>
#include <memory>

#include "app/CpuUseage.h"
#include "platform/fake/control/gui.h"
#include "tests/support/os_population.h"

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  TOsPopulation desktop(std::atoi(argv[1]), std::atoi(argv[2]));
  fake::ResetGui();
  auto form = std::make_unique<TMainForm>();
  form->TimerTimer();  // fills both lists
  const int ticks = std::atoi(argv[3]);
  for (int i = 0; i < ticks; ++i) form->TimerTimer();
  return 0;
}
