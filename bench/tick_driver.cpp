// Runs refresh ticks over a simulated desktop without timing anything, for counting
// instructions with callgrind (scripts/bench.sh): a count does not depend on what else the
// machine runs, where a time does.
//   varnex_tick_driver PROCESSES WINDOWS TICKS [steady|replace|shuffle]
// Before each tick after the first: nothing changes (steady, the default), 10% of the
// processes and windows are replaced, or the table and Z order are shuffled.

#include <cstdlib>
#include <memory>
#include <string>

#include "app/CpuUseage.h"
#include "platform/fake/control/gui.h"
#include "tests/support/os_population.h"

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) return 2;
  const std::string regime = argc == 5 ? argv[4] : "steady";
  TOsPopulation desktop(std::atoi(argv[1]), std::atoi(argv[2]));
  fake::ResetGui();
  auto form = std::make_unique<TMainForm>();
  form->TimerTimer();  // fills both lists
  const int ticks = std::atoi(argv[3]);
  for (int i = 0; i < ticks; ++i) {
    if (regime == "replace") desktop.Replace(0.10);
    if (regime == "shuffle") desktop.Shuffle();
    form->TimerTimer();
  }
  return 0;
}
