#include "tests/contract/counters_env.h"

void PrepareCountersContract() {}
