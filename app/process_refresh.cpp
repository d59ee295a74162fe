// The process list: brought in step with a fresh process snapshot on every tick.

#include <memory>
#include <string>

#include "app/CpuUseage.h"
#include "app/list_batch.h"
#include "app/process_rows.h"
#include "platform/sysinfo.h"
#include "sampling/uProcInfo.h"

namespace {

constexpr int kSubItemCount = 4;  // PID, CPU, CPU time, memory

void SetSubItems(plat::ListViewHandle list, int row, const TProcInfo& info,
                 const std::wstring& separator) {
  plat::ListSetText(list, row, kPidColumn, PidText(info.PID));
  plat::ListSetText(list, row, 2, L"");
  plat::ListSetText(list, row, 3, FormatCpuTime(info.CpuTime, separator));
  plat::ListSetText(list, row, 4, FormatMemoryK(info.MemoryK));
}

}  // namespace

void TMainForm::RefreshProcessList() {
  TProcList snapshot;
  GetProcessList(snapshot);
  plat::StatusSetText(StatusBar, 0,
                      L"进程数：" + std::to_wstring(static_cast<int>(snapshot.Count())));

  // Asked once per refresh: on Windows every ask is a locale lookup.
  const std::wstring separator = plat::LocaleTimeSeparator();
  TListBatch batch(procListView);
  const bool hasSubItems = plat::ListColumnCount(procListView) - 1 >= kSubItemCount;
  const int rows = plat::ListRowCount(procListView);
  int position = 0;
  for (int pass = 0; pass < rows; ++pass) {
    std::unique_ptr<TProcInfo> info = snapshot.TakeFirst(ProcessRowKey(procListView, position));
    if (!info) {
      plat::ListDeleteRow(procListView, position);
      continue;
    }
    plat::ListSetText(procListView, position, 0, plat::AnsiToWide(info->Name));
    if (hasSubItems) SetSubItems(procListView, position, *info, separator);
    ++position;
  }

  for (auto& [key, info] : snapshot.TakeRemaining()) {
    int row = plat::ListAddRow(procListView, plat::AnsiToWide(info->Name));
    SetSubItems(procListView, row, *info, separator);
  }
}
