// What a screen reader reads of the real main window through Active Accessibility: the two
// graphs as charts whose values are the status panels' texts, announced once per change, the
// lists by their pages' names, and a chart object kept past its window.

#include <windows.h>

#include <oleacc.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/CpuUseage.h"
#include "app/commands.h"
#include "graphs/TSetThread.h"
#include "tests/support/win32/command_helpers.h"
#include "tests/windows/main_form_fixture_win32.h"

namespace {

HWND H(plat::Control control) { return reinterpret_cast<HWND>(control.value); }

VARIANT Self() {
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  return self;
}

IAccessible* ObjectOf(plat::Control control) {
  IAccessible* object = nullptr;
  ::AccessibleObjectFromWindow(H(control), static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                               reinterpret_cast<void**>(&object));
  return object;
}

// The text `get` reads, or "(error)" when it fails.
template <typename Get>
std::wstring TextOf(IAccessible* object, Get get) {
  BSTR text = nullptr;
  if (FAILED((object->*get)(Self(), &text))) return L"(error)";
  std::wstring copy = text ? text : L"";
  ::SysFreeString(text);
  return copy;
}

std::vector<std::tuple<HWND, LONG, LONG>> g_events;  // value changes seen: window, object, child
void CALLBACK OnValueChange(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD,
                            DWORD) {
  g_events.emplace_back(window, object, child);
}
int EventsFor(HWND window) {
  int count = 0;
  for (const auto& event : g_events) count += event == std::tuple(window, OBJID_CLIENT, 0L);
  return count;
}
void Pump() {
  for (MSG msg; ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) ::DispatchMessageW(&msg);
}

using Accessibility = MainFormTest;

TEST_F(Accessibility, GraphsAreChartsValuedByTheirPanelsAnnouncedOncePerChange) {
  ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  g_events.clear();
  HWINEVENTHOOK hook =
      ::SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr, OnValueChange,
                        ::GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  form->Show();
  form->OnCommand(kCmdN8);  // paused: only the ticks below refresh
  const int passes = probe::PassCount(*SetThread);
  ASSERT_TRUE(cmdtest::WaitUntil([&] { return probe::PassCount(*SetThread) > passes; }, 10000));
  form->OnTimer();  // both texts new: one event each
  form->OnTimer();  // the next sampler pass is a second away: nothing new, no event
  Pump();
  EXPECT_EQ(EventsFor(H(form->CpuImg)), 1);
  EXPECT_EQ(EventsFor(H(form->memImg)), 1);
  ::UnhookWinEvent(hook);

  for (const auto& [picture, name, part] : {std::tuple(form->CpuImg, L"CPU 使用记录", 1),
                                            std::tuple(form->memImg, L"内存使用记录", 2)}) {
    SCOPED_TRACE(testing::Message() << "status part " << part);
    IAccessible* chart = ObjectOf(picture);
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(TextOf(chart, &IAccessible::get_accName), name);
    EXPECT_EQ(TextOf(chart, &IAccessible::get_accValue),
              plat::StatusGetText(form->StatusBar, part));
    VARIANT role{}, state{};
    ASSERT_EQ(chart->get_accRole(Self(), &role), S_OK);
    EXPECT_EQ(std::pair(role.vt, role.lVal), std::pair(VARTYPE{VT_I4}, LONG{ROLE_SYSTEM_CHART}));
    ASSERT_EQ(chart->get_accState(Self(), &state), S_OK);
    EXPECT_NE(state.lVal & STATE_SYSTEM_READONLY, 0);
    RECT r{};
    LONG x = 0, y = 0, width = 0, height = 0;
    ::GetWindowRect(H(picture), &r);
    ASSERT_EQ(chart->accLocation(&x, &y, &width, &height, Self()), S_OK);
    EXPECT_EQ(std::tuple(x, y, width, height),
              std::tuple(r.left, r.top, r.right - r.left, r.bottom - r.top));
    chart->Release();
  }
  for (const auto& [list, name] :
       {std::pair(form->TaskListView, L"应用程序"), std::pair(form->procListView, L"进程")}) {
    IAccessible* object = ObjectOf(list);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(TextOf(object, &IAccessible::get_accName), name);
    object->Release();
  }

  // A client keeps the CPU chart past the window: every call then fails.
  IAccessible* kept = ObjectOf(form->CpuImg);
  ASSERT_NE(kept, nullptr);
  plat::CloseMainWindow(form->Handle);
  plat::RunMessageLoop();
  EXPECT_EQ(TextOf(kept, &IAccessible::get_accName), L"(error)");
  EXPECT_EQ(TextOf(kept, &IAccessible::get_accValue), L"(error)");
  LONG x = 0, y = 0, width = 0, height = 0;
  EXPECT_TRUE(FAILED(kept->accLocation(&x, &y, &width, &height, Self())));
  kept->Release();
  ::CoUninitialize();
}

}  // namespace
