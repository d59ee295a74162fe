// The process list: brought in step with a fresh process snapshot on every tick.

#include <string>

#include "app/CpuUseage.h"
#include "app/list_batch.h"
#include "app/process_rows.h"
#include "sampling/uProcInfo.h"

void TMainForm::RefreshProcessList() {
  // The list of the last tick, emptied: its records' storage serves this tick's.
  processSnapshot_.Clear();
  GetProcessList(processSnapshot_);
  plat::StatusSetText(StatusBar, 0,
                      L"进程数：" + DecimalText(static_cast<int>(processSnapshot_.Count())));
  TListBatch batch(procListView);
  processRows_.Reconcile(procListView, processSnapshot_);
}
