#include "platform/fake/control/os.h"
#include "tests/contract/counters_env.h"

void PrepareCountersContract() {
  fake::ResetCounters();
  fake::Os()->advance = {1'000'000, 2'000'000};  // 50 % busy on 4 processors
}
