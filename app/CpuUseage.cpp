// The main window: construction from the control table, layout on resize, the window's
// events and the refresh cycle.

#include "app/CpuUseage.h"

#include <exception>
#include <initializer_list>
#include <tuple>
#include <vector>

#include "app/commands.h"
#include "app/form_member.h"
#include "app/layout.h"
#include "app/main_menu.h"
#include "platform/constants.h"
#include "platform/drawing.h"
#include "platform/process.h"
#include "platform/sysinfo.h"
#include "sampling/uProcInfo.h"

namespace {

constexpr int kOuterWidth = 434;
constexpr int kOuterHeight = 430;
// The client area the control table was laid out for.
constexpr TSize kDesignClient{426, 376};

constexpr TAnchors kLeftTop{true, true, false, false};
constexpr TAnchors kRightBottom{false, false, true, true};
constexpr TAnchors kAll{true, true, true, true};

struct ControlRow {
  FormMember member;
  const char* name;
  plat::ControlKind kind;
  FormMember parent;  // &TMainForm::Handle for the window itself
  plat::Rect rect;
  TAnchors anchors;
  TLayoutRule rule;
  const wchar_t* caption;
  int commandId;
};

using F = TMainForm;
using K = plat::ControlKind;
using R = TLayoutRule;

// Every control, parents first; within a parent, in tab order. A picture box fills its
// panel's client area, inside the panel's two lowered bevels; Button4 lies over the
// right-hand part of the tab strip, beside the three tab headers.
// clang-format off
const ControlRow kControls[] = {
//   control           name            kind           parent            rect                  anchors       layout          caption             command
    {&F::PageControl1, "PageControl1", K::TabControl, &F::Handle,       {0,   0,   426, 357}, kLeftTop,     R::AboveStatus, L"",                0},
    {&F::TabSheet1,    "TabSheet1",    K::TabPage,    &F::PageControl1, {},                   kLeftTop,     R::TabPage,     L"应用程序",        0},
    {&F::TaskListView, "TaskListView", K::ListView,   &F::TabSheet1,    {22,  24,  377, 281}, kAll,         R::Anchored,    L"",                0},
    {&F::Button1,      "Button1",      K::Button,     &F::TabSheet1,    {137, 311, 89,  25},  kRightBottom, R::Anchored,    L"结束任务(&E)",    kCmdButton1},
    {&F::Button2,      "Button2",      K::Button,     &F::TabSheet1,    {234, 311, 75,  25},  kRightBottom, R::Anchored,    L"切换至(&S)",      kCmdButton2},
    {&F::Button3,      "Button3",      K::Button,     &F::TabSheet1,    {315, 311, 87,  25},  kRightBottom, R::Anchored,    L"新任务(&N)...",   kCmdButton3},
    {&F::TabSheet2,    "TabSheet2",    K::TabPage,    &F::PageControl1, {},                   kLeftTop,     R::TabPage,     L"进程",            0},
    {&F::procListView, "procListView", K::ListView,   &F::TabSheet2,    {24,  24,  377, 281}, kAll,         R::Anchored,    L"",                0},
    {&F::endProcBtn,   "endProcBtn",   K::Button,     &F::TabSheet2,    {298, 310, 101, 25},  kRightBottom, R::Anchored,    L"结束进程(&E)",    kCmdEndProcBtn},
    {&F::TabSheet3,    "TabSheet3",    K::TabPage,    &F::PageControl1, {},                   kLeftTop,     R::TabPage,     L"性能",            0},
    {&F::GroupBox1,    "GroupBox1",    K::GroupBox,   &F::TabSheet3,    {120, 8,   283, 121}, kLeftTop,     R::Anchored,    L"CPU 使用记录",    0},
    {&F::CpuPanel,     "CpuPanel",     K::Panel,      &F::GroupBox1,    {12,  21,  260, 90},  kLeftTop,     R::Anchored,    L"",                0},
    {&F::CpuImg,       "CpuImg",       K::PictureBox, &F::CpuPanel,     {2,   2,   256, 86},  kLeftTop,     R::Anchored,    L"",                0},
    {&F::GroupBox2,    "GroupBox2",    K::GroupBox,   &F::TabSheet3,    {120, 131, 284, 121}, kLeftTop,     R::Anchored,    L"内存使用记录",    0},
    {&F::memPanel,     "memPanel",     K::Panel,      &F::GroupBox2,    {12,  21,  260, 90},  kLeftTop,     R::Anchored,    L"",                0},
    {&F::memImg,       "memImg",       K::PictureBox, &F::memPanel,     {2,   2,   256, 86},  kLeftTop,     R::Anchored,    L"",                0},
    {&F::StatusBar,    "StatusBar",    K::StatusBar,  &F::Handle,       {0,   357, 426, 19},  kLeftTop,     R::DockBottom,  L"",                0},
    {&F::Button4,      "Button4",      K::Button,     &F::Handle,       {152, 0,   273, 20},  kLeftTop,     R::Anchored,    L"进入工具主站",    kCmdButton4},
};
// clang-format on

constexpr int kTabSheet3Index = 2;

void AddColumns(plat::ListViewHandle list,
                std::initializer_list<std::tuple<const wchar_t*, int, plat::Align>> columns) {
  for (const auto& [caption, width, align] : columns) {
    plat::ListAddColumn(list, caption, width, align);
  }
}

// The control table as the layout sees it: parents as indexes into the same table.
std::vector<TLayoutItem> LayoutTable() {
  std::vector<TLayoutItem> items;
  for (const ControlRow& row : kControls) {
    TLayoutItem item;
    item.design = row.rect;
    item.anchors = row.anchors;
    item.rule = row.rule;
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (kControls[i].member == row.parent) item.parent = static_cast<int>(i);
    }
    items.push_back(item);
  }
  return items;
}

}  // namespace

TMainForm::TMainForm() {
  plat::MainWindowArgs args;
  args.caption = L"Varnex";
  args.outerWidth = kOuterWidth;
  args.outerHeight = kOuterHeight;
  args.fontName = L"MS Sans Serif";
  args.fontPoints = 8;
  args.events = this;
  Handle = plat::CreateMainWindow(args);

  for (const ControlRow& row : kControls) {
    plat::ControlArgs control;
    control.kind = row.kind;
    control.parent = row.parent.Get(*this);
    control.name = row.name;
    control.caption = row.caption;
    control.rect = row.rect;
    control.commandId = row.commandId;
    row.member.Set(*this, plat::CreateControl(control));
  }

  AddColumns(TaskListView, {{L"任务", 250, plat::Align::Left}, {L"状态", 100, plat::Align::Left}});
  AddColumns(procListView, {{L"映像名称", 100, plat::Align::Left},
                            {L"PID", 50, plat::Align::Right},
                            {L"CPU", 50, plat::Align::Right},
                            {L"CPU时间", 70, plat::Align::Right},
                            {L"内存使用", 100, plat::Align::Right}});
  plat::StatusSetParts(StatusBar, {95, 120, 50});

  BuildMainMenu(Handle);

  ImageList = plat::CreateSmallImageList();
  plat::ListSetImageList(TaskListView, ImageList);
  plat::TabSelect(PageControl1, kTabSheet3Index);
  Timer.Attach(Handle);
}

TMainForm::~TMainForm() {
  ReleaseTaskRecords();
  if (ImageList) plat::DestroyImageList(ImageList);
}

void TMainForm::ReleaseTaskRecords() {
  int rows = plat::ListRowCount(TaskListView);
  for (int row = 0; row < rows; ++row) {
    delete static_cast<TWinInfo*>(plat::ListGetData(TaskListView, row));
    plat::ListSetData(TaskListView, row, nullptr);
  }
}

void TMainForm::Show() { plat::ShowMainWindow(Handle); }

void TMainForm::ShowFailure(const std::wstring& message) {
  failureBoxOpen_ = true;
  plat::ShowMessageBox(Handle, message, L"Varnex", plat::kMbIconError);
  failureBoxOpen_ = false;
}

template <typename Body>
void TMainForm::Guarded(Body&& body) {
  try {
    body();
  } catch (const std::exception& e) {
    ShowFailure(plat::AnsiToWide(e.what()));
  } catch (...) {
    ShowFailure(L"未知错误");
  }
}

void TMainForm::OnShow() {
  Guarded([this] { FormShow(); });
}

void TMainForm::OnTimer() {
  // While a failure is being reported, further ticks are dropped rather than stacking boxes.
  if (failureBoxOpen_) return;
  Guarded([this] { TimerTimer(); });
}

void TMainForm::OnCommand(int commandId) {
  Guarded([this, commandId] {
    switch (commandId) {
      case kCmdButton1:
        Button1Click();
        break;
      case kCmdButton2:
        Button2Click();
        break;
      case kCmdButton3:
        Button3Click();
        break;
      case kCmdEndProcBtn:
        endProcBtnClick();
        break;
      case kCmdButton4:
        Button4Click();
        break;
      case kCmdA1:
        A1Click();
        break;
      case kCmdX1:
        X1Click();
        break;
      case kCmdN1:
      case kCmdH2:
      case kCmdN5:
      case kCmdN6:
      case kCmdN8:
        N1Click(commandId);
        break;
      default:
        break;
    }
  });
}

void TMainForm::OnResize(int clientWidth, int clientHeight) {
  Guarded([this, clientWidth, clientHeight] {
    std::vector<plat::Rect> rects =
        ComputeLayout(LayoutTable(), kDesignClient, TSize{clientWidth, clientHeight},
                      [this](int width, int height) {
                        return plat::TabDisplayRect(PageControl1, width, height);
                      });
    for (std::size_t i = 0; i < rects.size(); ++i) {
      plat::MoveControl(kControls[i].member.Get(*this), rects[i]);
    }
  });
}

void TMainForm::OnClose() {
  Guarded([this] {
    FormClose();
    // The rows go with the window; their records go now, while the rows can still be read.
    ReleaseTaskRecords();
  });
}

void TMainForm::FormShow() {
  plat::EnableDebugPrivilege();
  plat::SetDoubleBuffered(Handle);
  StartGraphs();
}

void TMainForm::TimerTimer() {
  UpdateGraphs();
  RefreshProcessList();
  RefreshTaskList();
}

void TMainForm::FormClose() {
  Timer.SetEnabled(false);
  StopGraphs();
}
