#pragma once
// The main window's controls as the tests expect them, one row each in tab order, written out
// apart from the program's own table: the window must match this, not its own copy.
// Rectangles are the designed places before the first show; {} for the tab pages, which fill
// the tab control's display area.

#include "app/CpuUseage.h"
#include "app/commands.h"
#include "app/form_member.h"
#include "platform/gui.h"

namespace testtable {

struct ExpectedControl {
  FormMember member;
  const char* name;
  plat::ControlKind kind;
  plat::Rect rect;
  const wchar_t* caption;
  int commandId;
};

using K = plat::ControlKind;
using F = TMainForm;
// clang-format off
inline const ExpectedControl kControls[] = {
    {&F::PageControl1, "PageControl1", K::TabControl, {0, 0, 426, 357},     L"",             0},
    {&F::TabSheet1,    "TabSheet1",    K::TabPage,    {},                   L"应用程序",     0},
    {&F::TaskListView, "TaskListView", K::ListView,   {22, 24, 377, 281},   L"应用程序",     0},
    {&F::Button1,      "Button1",      K::Button,     {137, 311, 89, 25},   L"结束任务(&E)", kCmdButton1},
    {&F::Button2,      "Button2",      K::Button,     {234, 311, 75, 25},   L"切换至(&S)",   kCmdButton2},
    {&F::Button3,      "Button3",      K::Button,     {315, 311, 87, 25},   L"新任务(&N)...", kCmdButton3},
    {&F::TabSheet2,    "TabSheet2",    K::TabPage,    {},                   L"进程",         0},
    {&F::procListView, "procListView", K::ListView,   {24, 24, 377, 281},   L"进程",         0},
    {&F::endProcBtn,   "endProcBtn",   K::Button,     {298, 310, 101, 25},  L"结束进程(&E)", kCmdEndProcBtn},
    {&F::TabSheet3,    "TabSheet3",    K::TabPage,    {},                   L"性能",         0},
    {&F::GroupBox1,    "GroupBox1",    K::GroupBox,   {120, 8, 283, 121},   L"CPU 使用记录", 0},
    {&F::CpuPanel,     "CpuPanel",     K::Panel,      {12, 21, 260, 90},    L"",             0},
    {&F::CpuImg,       "CpuImg",       K::PictureBox, {2, 2, 256, 86},      L"CPU 使用记录", 0},
    {&F::GroupBox2,    "GroupBox2",    K::GroupBox,   {120, 131, 284, 121}, L"内存使用记录", 0},
    {&F::memPanel,     "memPanel",     K::Panel,      {12, 21, 260, 90},    L"",             0},
    {&F::memImg,       "memImg",       K::PictureBox, {2, 2, 256, 86},      L"内存使用记录", 0},
    {&F::StatusBar,    "StatusBar",    K::StatusBar,  {0, 357, 426, 19},    L"",             0},
    {&F::Button4,      "Button4",      K::Button,     {152, 0, 273, 20},    L"进入工具主站", kCmdButton4},
};
// clang-format on

}  // namespace testtable
