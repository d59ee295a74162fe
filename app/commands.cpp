// The handlers of the buttons and menu items (their ids: app/commands.h).

#include <cstdint>
#include <optional>

#include "app/CpuUseage.h"
#include "app/commands.h"
#include "app/main_menu.h"
#include "app/process_rows.h"
#include "platform/constants.h"
#include "platform/shell.h"
#include "platform/windows_input.h"
#include "sampling/uProcInfo.h"

namespace {

const wchar_t kEndProcessWarning[] =
    L"警告: 终止进程会导致不希望发生的结果，\n\r包括数据丢失和系统不稳定。在被终止前，\n\r"
    L"进程将没有机会保存其状态和数据。确实\n\r想终止该进程吗?";
const wchar_t kEndProcessCaption[] = L"任务管理器警告";
constexpr std::uint32_t kYesNoExclamation = plat::kMbYesNo | plat::kMbIconExclamation;

TWinInfo* SelectedTask(plat::ListViewHandle list) {
  int row = plat::ListSelectedRow(list);
  if (row < 0) return nullptr;
  return static_cast<TWinInfo*>(plat::ListGetData(list, row));
}

void PressKey(std::uint8_t key, std::uint32_t flags) {
  plat::keybd_event(key, static_cast<std::uint8_t>(plat::MapVirtualKeyA(key, plat::kMapVkVkToVsc)),
                    flags, 0);
}

using F = TMainForm;

// The handler of each command id. The File menu's new task opens the Run dialog like
// Button3, never touching the refresh speed; the speed items (null) share N1Click, which tells
// them apart by the sender's id.
// clang-format off
const struct {
  int commandId;
  void (F::*click)();
} kCommands[] = {
    {kCmdButton1, &F::Button1Click}, {kCmdButton2, &F::Button2Click},
    {kCmdButton3, &F::Button3Click}, {kCmdEndProcBtn, &F::endProcBtnClick},
    {kCmdButton4, &F::Button4Click}, {kCmdA1, &F::A1Click},
    {kCmdX1, &F::X1Click},           {kCmdN1, &F::Button3Click},
    {kCmdH2, nullptr}, {kCmdN5, nullptr}, {kCmdN6, nullptr}, {kCmdN8, nullptr},
};
// clang-format on

}  // namespace

void RunCommand(TMainForm& form, int commandId) {
  for (const auto& row : kCommands) {
    if (row.commandId == commandId) row.click ? (form.*row.click)() : form.N1Click(commandId);
  }
}

void TMainForm::Button1Click() {
  TWinInfo* task = SelectedTask(TaskListView);
  if (!task) return;
  Timer.SetEnabled(false);
  try {
    std::uint32_t pid = 0;  // left at 0 for a window that no longer exists
    plat::GetWindowThreadProcessId(task->WindowHandle, &pid);
    if (pid != 0) KillProcess(pid);
  } catch (...) {
    Timer.SetEnabled(true);
    throw;
  }
  Timer.SetEnabled(true);
}

void TMainForm::Button2Click() {
  if (TWinInfo* task = SelectedTask(TaskListView)) plat::SetForegroundWindow(task->WindowHandle);
}

void TMainForm::Button3Click() {
  PressKey(plat::kVkLWin, 0);
  PressKey(plat::kVkR, 0);
  PressKey(plat::kVkR, plat::kKeyEventFKeyUp);
  PressKey(plat::kVkLWin, plat::kKeyEventFKeyUp);
}

void TMainForm::endProcBtnClick() {
  int row = plat::ListSelectedRow(procListView);
  if (row < 0) return;
  // Read before the box: ticks go on while it is open and may remove the row.
  const std::optional<std::int32_t> pid = ParseProcessKey(ProcessRowKey(procListView, row));
  if (!pid) return;
  if (plat::ShowMessageBox(Handle, kEndProcessWarning, kEndProcessCaption, kYesNoExclamation) ==
      plat::kIdYes) {
    KillProcess(static_cast<std::uint32_t>(*pid));
  }
}

void TMainForm::A1Click() {
  bool onTop = !plat::IsMenuChecked(Handle, kCmdA1);
  plat::SetMenuChecked(Handle, kCmdA1, onTop);
  plat::SetTopmost(Handle, onTop);
}

void TMainForm::N1Click(int senderCommandId) {
  for (int item : {kCmdH2, kCmdN5, kCmdN6, kCmdN8}) plat::SetMenuChecked(Handle, item, false);
  if (senderCommandId == kCmdN8) {
    Timer.SetEnabled(!Timer.Enabled());
    plat::SetMenuChecked(Handle, kCmdN8, !Timer.Enabled());
    return;
  }
  SetUpdateSpeed(static_cast<std::uint16_t>(MenuTag(senderCommandId)));
  plat::SetMenuChecked(Handle, senderCommandId, true);
}

void TMainForm::SetUpdateSpeed(std::uint16_t intervalMs) {
  Timer.SetEnabled(false);
  Timer.SetInterval(intervalMs);
  Timer.SetEnabled(true);
}

void TMainForm::X1Click() { plat::CloseMainWindow(Handle); }

void TMainForm::Button4Click() {
  std::intptr_t result = plat::ShellExecuteA(Handle, "open", "IExplore.EXE", kHomePageUrl, nullptr,
                                             plat::kSwShowNormal);
  // Where Internet Explorer is missing, the default browser opens the address instead.
  if (result <= plat::kShellExecuteFailedAtMost) {
    plat::ShellExecuteA(Handle, "open", kHomePageUrl, nullptr, nullptr, plat::kSwShowNormal);
  }
}
