// The main window: construction from the control table, layout on resize, the window's
// events and the refresh cycle.

#include "app/CpuUseage.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <vector>

#include "app/commands.h"
#include "app/form_member.h"
#include "app/layout.h"
#include "app/main_menu.h"
#include "platform/constants.h"
#include "platform/drawing.h"
#include "platform/os_layouts.h"
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
// panel's client area inside the panel's two lowered bevels; its rectangle gives its graph's
// size. The lists' and pictures' captions are not drawn: they are the names a screen reader
// gives them (a list after its page, a graph after its group box). Button4 lies over the
// right-hand part of the tab strip, beside the three tab headers.
// clang-format off
const ControlRow kControls[] = {
//   control           name            kind           parent            rect                  anchors       layout          caption             command
    {&F::PageControl1, "PageControl1", K::TabControl, &F::Handle,       {0,   0,   426, 357}, kLeftTop,     R::AboveStatus, L"",                0},
    {&F::TabSheet1,    "TabSheet1",    K::TabPage,    &F::PageControl1, {},                   kLeftTop,     R::TabPage,     L"应用程序",        0},
    {&F::TaskListView, "TaskListView", K::ListView,   &F::TabSheet1,    {22,  24,  377, 281}, kAll,         R::Anchored,    L"应用程序",        0},
    {&F::Button1,      "Button1",      K::Button,     &F::TabSheet1,    {137, 311, 89,  25},  kRightBottom, R::Anchored,    L"结束任务(&E)",    kCmdButton1},
    {&F::Button2,      "Button2",      K::Button,     &F::TabSheet1,    {234, 311, 75,  25},  kRightBottom, R::Anchored,    L"切换至(&S)",      kCmdButton2},
    {&F::Button3,      "Button3",      K::Button,     &F::TabSheet1,    {315, 311, 87,  25},  kRightBottom, R::Anchored,    L"新任务(&N)...",   kCmdButton3},
    {&F::TabSheet2,    "TabSheet2",    K::TabPage,    &F::PageControl1, {},                   kLeftTop,     R::TabPage,     L"进程",            0},
    {&F::procListView, "procListView", K::ListView,   &F::TabSheet2,    {24,  24,  377, 281}, kAll,         R::Anchored,    L"进程",            0},
    {&F::endProcBtn,   "endProcBtn",   K::Button,     &F::TabSheet2,    {298, 310, 101, 25},  kRightBottom, R::Anchored,    L"结束进程(&E)",    kCmdEndProcBtn},
    {&F::TabSheet3,    "TabSheet3",    K::TabPage,    &F::PageControl1, {},                   kLeftTop,     R::TabPage,     L"性能",            0},
    {&F::GroupBox1,    "GroupBox1",    K::GroupBox,   &F::TabSheet3,    {120, 8,   283, 121}, kLeftTop,     R::Anchored,    L"CPU 使用记录",    0},
    {&F::CpuPanel,     "CpuPanel",     K::Panel,      &F::GroupBox1,    {12,  21,  260, 90},  kLeftTop,     R::Anchored,    L"",                0},
    {&F::CpuImg,       "CpuImg",       K::PictureBox, &F::CpuPanel,     {2,   2,   256, 86},  kLeftTop,     R::InsidePanel, L"CPU 使用记录",    0},
    {&F::GroupBox2,    "GroupBox2",    K::GroupBox,   &F::TabSheet3,    {120, 131, 284, 121}, kLeftTop,     R::Anchored,    L"内存使用记录",    0},
    {&F::memPanel,     "memPanel",     K::Panel,      &F::GroupBox2,    {12,  21,  260, 90},  kLeftTop,     R::Anchored,    L"",                0},
    {&F::memImg,       "memImg",       K::PictureBox, &F::memPanel,     {2,   2,   256, 86},  kLeftTop,     R::InsidePanel, L"内存使用记录",    0},
    {&F::StatusBar,    "StatusBar",    K::StatusBar,  &F::Handle,       {0,   357, 426, 19},  kLeftTop,     R::DockBottom,  L"",                0},
    {&F::Button4,      "Button4",      K::Button,     &F::Handle,       {152, 0,   273, 20},  kLeftTop,     R::Anchored,    L"进入工具主站",    kCmdButton4},
};
// clang-format on

constexpr int kTabSheet3Index = 2;

struct ColumnRow {
  const wchar_t* caption;
  int width;
  plat::Align align;
};
const ColumnRow kTaskColumns[] = {{L"任务", 250, plat::Align::Left},
                                  {L"状态", 100, plat::Align::Left}};
const ColumnRow kProcColumns[] = {{L"映像名称", 100, plat::Align::Left},
                                  {L"PID", 50, plat::Align::Right},
                                  {L"CPU", 50, plat::Align::Right},
                                  {L"CPU时间", 70, plat::Align::Right},
                                  {L"内存使用", 100, plat::Align::Right}};
constexpr int kStatusPartWidths[] = {95, 120, 50};
constexpr int kFontPoints = 8;
constexpr int kPointsPerInch = 72;
constexpr int kSmallIconSize = 16;

// Adds the columns, or with `add` false sets the widths of those already there.
template <std::size_t N>
void SetColumns(plat::ListViewHandle list, const ColumnRow (&columns)[N], int dpi, bool add) {
  for (std::size_t i = 0; i < N; ++i) {
    const int width = Scaled(columns[i].width, dpi);
    if (add) {
      plat::ListAddColumn(list, columns[i].caption, width, columns[i].align);
    } else {
      plat::ListSetColumnWidth(list, static_cast<int>(i), width);
    }
  }
}

// The part widths at `dpi`, from the parts' scaled right edges.
std::vector<int> StatusPartWidths(int dpi) {
  std::vector<int> widths;
  int left = 0;
  int logicalRight = 0;
  for (int width : kStatusPartWidths) {
    logicalRight += width;
    const int right = Scaled(logicalRight, dpi);
    widths.push_back(right - left);
    left = right;
  }
  return widths;
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

// A row's rectangle in device pixels at `dpi` before the window is laid out.
plat::Rect PlacedAt(const ControlRow& row, int dpi) {
  if (row.rule != R::InsidePanel) return ScaledRect(row.rect, dpi);
  for (const ControlRow& panel : kControls) {
    if (panel.member == row.parent) {
      const plat::Rect scaled = ScaledRect(panel.rect, dpi);
      return InsideBevels(TSize{scaled.width, scaled.height}, dpi);
    }
  }
  return {};
}

}  // namespace

TMainForm::TMainForm() {
  plat::MainWindowArgs args;
  args.caption = L"Varnex";
  args.fontName = L"MS Sans Serif";
  args.events = this;
  Handle = plat::CreateMainWindow(args);
  dpi_ = plat::WindowDpi(Handle);

  // At the centre of the whole desktop, not of the work area beside the taskbar; on a
  // desktop too small for it, the caption stays in sight.
  const plat::Rect desktop = plat::DesktopRect();
  const int width = Scaled(kOuterWidth, dpi_);
  const int height = Scaled(kOuterHeight, dpi_);
  plat::MoveControl(
      Handle, plat::Rect{desktop.left + std::max(0, (desktop.width - width) / 2),
                         desktop.top + std::max(0, (desktop.height - height) / 2), width, height});
  plat::SetWindowFont(Handle, MulDivRound(kFontPoints, dpi_, kPointsPerInch));

  for (const ControlRow& row : kControls) {
    plat::ControlArgs control;
    control.kind = row.kind;
    control.parent = row.parent.Get(*this);
    control.name = row.name;
    control.caption = row.caption;
    control.rect = PlacedAt(row, dpi_);
    control.commandId = row.commandId;
    row.member.Set(*this, plat::CreateControl(control));
  }

  SetColumns(TaskListView, kTaskColumns, dpi_, true);
  SetColumns(procListView, kProcColumns, dpi_, true);
  plat::StatusSetParts(StatusBar, StatusPartWidths(dpi_));

  BuildMainMenu(Handle);

  TaskRows.Attach(TaskListView, Scaled(kSmallIconSize, dpi_));
  PlaceGraphs();
  plat::TabSelect(PageControl1, kTabSheet3Index);
  Timer.Attach(Handle);
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
  shown_ = true;
  Guarded([this] { FormShow(); });
}

void TMainForm::OnTimer() {
  // While a failure is being reported, further ticks are dropped rather than stacking boxes.
  if (failureBoxOpen_) return;
  Guarded([this] { TimerTimer(); });
}

void TMainForm::OnCommand(int commandId) {
  Guarded([this, commandId] { RunCommand(*this, commandId); });
}

void TMainForm::OnResize(int clientWidth, int clientHeight) {
  Guarded([this, clientWidth, clientHeight] { LayOut(clientWidth, clientHeight); });
}

void TMainForm::LayOut(int clientWidth, int clientHeight) {
  MoveControls(ComputeLayout(
      LayoutTable(), kDesignClient, TSize{clientWidth, clientHeight},
      [this](int width, int height) { return plat::TabDisplayRect(PageControl1, width, height); },
      dpi_));
}

void TMainForm::MoveControls(const std::vector<plat::Rect>& rects) {
  for (std::size_t i = 0; i < rects.size() && i < std::size(kControls); ++i) {
    // A page fills its tab control's page area by itself.
    if (kControls[i].rule == R::TabPage) continue;
    plat::MoveControl(kControls[i].member.Get(*this), rects[i]);
  }
}

void TMainForm::OnDpiChanged(int dpi, const plat::Rect& suggested) {
  Guarded([this, dpi, &suggested] {
    if (dpi <= 0 || dpi == dpi_) return;
    dpi_ = dpi;
    plat::SetWindowFont(Handle, MulDivRound(kFontPoints, dpi_, kPointsPerInch));
    SetColumns(TaskListView, kTaskColumns, dpi_, false);
    SetColumns(procListView, kProcColumns, dpi_, false);
    plat::StatusSetParts(StatusBar, StatusPartWidths(dpi_));
    TaskRows.RenewImageList(Scaled(kSmallIconSize, dpi_));
    plat::MoveControl(Handle, suggested);
    if (shown_) {
      const plat::Rect client = plat::ClientRect(Handle);
      LayOut(client.width, client.height);
    } else {
      std::vector<plat::Rect> rects;
      for (const ControlRow& row : kControls) rects.push_back(PlacedAt(row, dpi_));
      MoveControls(rects);
    }
    PlaceGraphs();
  });
}

void TMainForm::PlaceGraphs() {
  auto box = [this](plat::PictureBoxHandle picture) {
    for (const ControlRow& row : kControls) {
      if (row.member.Get(*this) != picture) continue;
      const plat::Rect placed = PlacedAt(row, dpi_);
      return TGraphBox{picture, row.parent.Get(*this), TSize{row.rect.width, row.rect.height},
                       TSize{placed.width, placed.height}};
    }
    return TGraphBox{};
  };
  PerformancePage.Place(box(CpuImg), box(memImg));
}

void TMainForm::OnClose() {
  Guarded([this] {
    FormClose();
    // The rows go with the window; their records go now, while the rows can still be read.
    TaskRows.ReleaseRecords();
  });
}

bool SetPrivilege(plat::TokenHandle token, const char* privilege, bool enable) {
  const OsLayout& layout = kNativeLayout;
  std::uint8_t record[16]{};
  static_assert(sizeof record == kNativeLayout.tokenPrivilegesSize);
  const std::uint32_t count = 1;
  const std::uint32_t attributes = enable ? plat::kSePrivilegeEnabled : 0;
  std::memcpy(record, &count, sizeof count);
  plat::LookupPrivilegeValueA(privilege, record + layout.tokenPrivilegeLuid);
  std::memcpy(record + layout.tokenPrivilegeAttributes, &attributes, sizeof attributes);
  return plat::AdjustTokenPrivileges(token, record, sizeof record) == 0;
}

bool EnableDebugPrivilege() {
  const plat::OwnedToken token(plat::OpenOwnProcessToken(plat::kTokenAdjustPrivileges));
  return token && SetPrivilege(token.Get(), "SeDebugPrivilege", true);
}

void TMainForm::FormShow() {
  EnableDebugPrivilege();
  plat::SetDoubleBuffered(Handle);
  PerformancePage.Start();
}

void TMainForm::TimerTimer() {
  PerformancePage.Update(StatusBar);
  RefreshProcessList();
  RefreshTaskList();
}

void TMainForm::FormClose() {
  Timer.SetEnabled(false);
  TPerformancePage::Stop(0);
}
