#pragma once
// The simulated operating system outside the GUI: processes and tokens (process.h), the
// process table, text and locale (sysinfo.h), top-level windows and input (windows_input.h)
// and the shell (shell.h).

#include "platform/fake/control/process.h"
#include "platform/fake/control/shell.h"
#include "platform/fake/control/sysinfo.h"
#include "platform/fake/control/windows_input.h"

namespace fake {

// The start state of process.h, sysinfo.h (but the counters: ResetCounters), windows_input.h
// and shell.h.
void ResetOs();

}  // namespace fake
