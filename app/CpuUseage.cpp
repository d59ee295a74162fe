// The main window: construction from the control table, layout on resize, the refresh
// cycle and the program entry.

#include "app/CpuUseage.h"

#include <exception>
#include <initializer_list>
#include <tuple>
#include <vector>

#include "app/form_member.h"
#include "app/layout.h"
#include "platform/constants.h"
#include "platform/drawing.h"
#include "platform/sysinfo.h"
#include "sampling/uProcInfo.h"

TMainForm* MainForm = nullptr;

namespace {

using plat::ControlKind;

constexpr int kOuterWidth = 434;
constexpr int kOuterHeight = 430;
// The client area the control table was laid out for.
constexpr TSize kDesignClient{426, 376};

constexpr TAnchors kLeftTop{true, true, false, false};
constexpr TAnchors kRightBottom{false, false, true, true};
constexpr TAnchors kAll{true, true, true, true};

struct ControlSpec {
  FormMember member;
  const char* name;
  ControlKind kind;
  FormMember parent;  // &TMainForm::Handle for the window itself
  plat::Rect rect;
  TAnchors anchors;
  TLayoutRule rule;
  const wchar_t* caption;
  int commandId;
};

// Every control, parents first; within a parent, in tab order.
const ControlSpec kControls[] = {
    {&TMainForm::PageControl1,
     "PageControl1",
     ControlKind::TabControl,
     &TMainForm::Handle,
     {0, 0, 426, 357},
     kLeftTop,
     TLayoutRule::AboveStatus,
     L"",
     0},
    {&TMainForm::TabSheet1,
     "TabSheet1",
     ControlKind::TabPage,
     &TMainForm::PageControl1,
     {},
     kLeftTop,
     TLayoutRule::TabPage,
     L"应用程序",
     0},
    {&TMainForm::TaskListView,
     "TaskListView",
     ControlKind::ListView,
     &TMainForm::TabSheet1,
     {22, 24, 377, 281},
     kAll,
     TLayoutRule::Anchored,
     L"",
     0},
    {&TMainForm::Button1,
     "Button1",
     ControlKind::Button,
     &TMainForm::TabSheet1,
     {137, 311, 89, 25},
     kRightBottom,
     TLayoutRule::Anchored,
     L"结束任务(&E)",
     kCmdButton1},
    {&TMainForm::Button2,
     "Button2",
     ControlKind::Button,
     &TMainForm::TabSheet1,
     {234, 311, 75, 25},
     kRightBottom,
     TLayoutRule::Anchored,
     L"切换至(&S)",
     kCmdButton2},
    {&TMainForm::Button3,
     "Button3",
     ControlKind::Button,
     &TMainForm::TabSheet1,
     {315, 311, 87, 25},
     kRightBottom,
     TLayoutRule::Anchored,
     L"新任务(&N)...",
     kCmdButton3},
    {&TMainForm::TabSheet2,
     "TabSheet2",
     ControlKind::TabPage,
     &TMainForm::PageControl1,
     {},
     kLeftTop,
     TLayoutRule::TabPage,
     L"进程",
     0},
    {&TMainForm::procListView,
     "procListView",
     ControlKind::ListView,
     &TMainForm::TabSheet2,
     {24, 24, 377, 281},
     kAll,
     TLayoutRule::Anchored,
     L"",
     0},
    {&TMainForm::endProcBtn,
     "endProcBtn",
     ControlKind::Button,
     &TMainForm::TabSheet2,
     {298, 310, 101, 25},
     kRightBottom,
     TLayoutRule::Anchored,
     L"结束进程(&E)",
     kCmdEndProcBtn},
    {&TMainForm::TabSheet3,
     "TabSheet3",
     ControlKind::TabPage,
     &TMainForm::PageControl1,
     {},
     kLeftTop,
     TLayoutRule::TabPage,
     L"性能",
     0},
    {&TMainForm::GroupBox1,
     "GroupBox1",
     ControlKind::GroupBox,
     &TMainForm::TabSheet3,
     {120, 8, 283, 121},
     kLeftTop,
     TLayoutRule::Anchored,
     L"CPU 使用记录",
     0},
    {&TMainForm::CpuPanel,
     "CpuPanel",
     ControlKind::Panel,
     &TMainForm::GroupBox1,
     {12, 21, 260, 90},
     kLeftTop,
     TLayoutRule::Anchored,
     L"",
     0},
    // Fills the panel's client area, inside its two lowered bevels.
    {&TMainForm::CpuImg,
     "CpuImg",
     ControlKind::PictureBox,
     &TMainForm::CpuPanel,
     {2, 2, 256, 86},
     kLeftTop,
     TLayoutRule::Anchored,
     L"",
     0},
    {&TMainForm::GroupBox2,
     "GroupBox2",
     ControlKind::GroupBox,
     &TMainForm::TabSheet3,
     {120, 131, 284, 121},
     kLeftTop,
     TLayoutRule::Anchored,
     L"内存使用记录",
     0},
    {&TMainForm::memPanel,
     "memPanel",
     ControlKind::Panel,
     &TMainForm::GroupBox2,
     {12, 21, 260, 90},
     kLeftTop,
     TLayoutRule::Anchored,
     L"",
     0},
    {&TMainForm::memImg,
     "memImg",
     ControlKind::PictureBox,
     &TMainForm::memPanel,
     {2, 2, 256, 86},
     kLeftTop,
     TLayoutRule::Anchored,
     L"",
     0},
    {&TMainForm::StatusBar,
     "StatusBar",
     ControlKind::StatusBar,
     &TMainForm::Handle,
     {0, 357, 426, 19},
     kLeftTop,
     TLayoutRule::DockBottom,
     L"",
     0},
    // Over the right-hand part of the tab strip, beside the three tab headers.
    {&TMainForm::Button4,
     "Button4",
     ControlKind::Button,
     &TMainForm::Handle,
     {152, 0, 273, 20},
     kLeftTop,
     TLayoutRule::Anchored,
     L"进入工具主站",
     kCmdButton4},
};

constexpr int kTabSheet3Index = 2;

struct MenuSpec {
  const wchar_t* caption;
  int commandId;
  int tag;
};

void AddColumns(plat::ListViewHandle list,
                std::initializer_list<std::tuple<const wchar_t*, int, plat::Align>> columns) {
  for (const auto& [caption, width, align] : columns) {
    plat::ListAddColumn(list, caption, width, align);
  }
}

// The design table as the layout sees it: parents as indexes into the same table.
std::vector<TLayoutItem> LayoutTable() {
  std::vector<TLayoutItem> items;
  for (const ControlSpec& spec : kControls) {
    TLayoutItem item;
    item.design = spec.rect;
    item.anchors = spec.anchors;
    item.rule = spec.rule;
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (kControls[i].member == spec.parent) item.parent = static_cast<int>(i);
    }
    items.push_back(item);
  }
  return items;
}

}  // namespace

int MenuTag(int commandId) {
  switch (commandId) {
    case kCmdH2:
      return 500;
    case kCmdN5:
      return 1000;
    case kCmdN6:
      return 2000;
    default:
      return 0;
  }
}

void TTimer::Attach(plat::MainWindowHandle window) {
  window_ = window;
  Update();
}

void TTimer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Update();
}

void TTimer::SetInterval(std::uint32_t intervalMs) {
  interval_ = intervalMs;
  Update();
}

void TTimer::Update() {
  if (!window_) return;
  if (enabled_ && interval_ != 0) {
    plat::StartTimer(window_, interval_);
  } else {
    plat::StopTimer(window_);
  }
}

TMainForm::TMainForm() {
  plat::MainWindowArgs args;
  args.caption = L"Varnex";
  args.outerWidth = kOuterWidth;
  args.outerHeight = kOuterHeight;
  args.fontName = L"MS Sans Serif";
  args.fontPoints = 8;
  args.events = this;
  Handle = plat::CreateMainWindow(args);

  for (const ControlSpec& spec : kControls) {
    plat::ControlArgs control;
    control.kind = spec.kind;
    control.parent = spec.parent.Get(*this);
    control.name = spec.name;
    control.caption = spec.caption;
    control.rect = spec.rect;
    control.commandId = spec.commandId;
    spec.member.Set(*this, plat::CreateControl(control));
  }

  AddColumns(TaskListView, {{L"任务", 250, plat::Align::Left}, {L"状态", 100, plat::Align::Left}});
  AddColumns(procListView, {{L"映像名称", 100, plat::Align::Left},
                            {L"PID", 50, plat::Align::Right},
                            {L"CPU", 50, plat::Align::Right},
                            {L"CPU时间", 70, plat::Align::Right},
                            {L"内存使用", 100, plat::Align::Right}});
  plat::StatusSetParts(StatusBar, {95, 120, 50});

  plat::MenuHandle bar = plat::CreateMenuBar(Handle);
  plat::MenuHandle file = plat::AddSubMenu(bar, L"文件(&F)");
  plat::AddMenuItem(file, L"新任务(运行...)(&N)", kCmdN1);
  plat::AddMenuItem(file, L"退出任务管理器(&X)", kCmdX1);
  plat::MenuHandle options = plat::AddSubMenu(bar, L"选项(&Q)");
  plat::AddMenuItem(options, L"总在最前面(&A)", kCmdA1);
  plat::MenuHandle view = plat::AddSubMenu(bar, L"查看(&V)");
  plat::MenuHandle speed = plat::AddSubMenu(view, L"更新速度(&U)");
  plat::AddMenuItem(speed, L"高(&H)", kCmdH2);
  plat::AddMenuItem(speed, L"标准(&N)", kCmdN5);
  plat::AddMenuItem(speed, L"低(&L)", kCmdN6);
  plat::AddMenuItem(speed, L"暂停(&P)", kCmdN8);
  plat::AddMenuItem(bar, L"帮助(&H)", kCmdH1);
  plat::SetMenuChecked(Handle, kCmdN5, true);

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
  EnableDebugPrivilege();
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

int VarnexMain() {
  MainForm = new TMainForm;
  MainForm->Show();
  int exitCode = plat::RunMessageLoop();
  // The close already asked the sampler to stop, and its sleep wakes at once; a thread that
  // is still drawing is left to end with the process.
  EndSampler(1000);
  delete MainForm;
  MainForm = nullptr;
  return exitCode;
}
