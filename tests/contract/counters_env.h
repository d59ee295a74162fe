#pragma once
// Per-platform preparation of the counters contract: the real system needs none; the fake is
// set to a machine whose counters move with every query.

void PrepareCountersContract();
