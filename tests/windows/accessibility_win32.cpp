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
#include "tests/support/win32/command_helpers.h"
#include "tests/windows/main_form_fixture_win32.h"

namespace {

HWND H(plat::Control control) { return reinterpret_cast<HWND>(control.value); }
const VARIANT kSelf = [] {
  VARIANT self{};
  self.vt = VT_I4;  // CHILDID_SELF
  return self;
}();

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
  if (FAILED((object->*get)(kSelf, &text))) return L"(error)";
  std::wstring copy = text ? text : L"";
  ::SysFreeString(text);
  return copy;
}

std::vector<HWND> g_changed;  // the windows of the value changes seen, of their client objects
void CALLBACK OnValueChange(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD,
                            DWORD) {
  if (object == OBJID_CLIENT && child == CHILDID_SELF) g_changed.push_back(window);
}

using Accessibility = MainFormTest;

TEST_F(Accessibility, GraphsAreChartsValuedByTheirPanelsAnnouncedOncePerChange) {
  ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  HWINEVENTHOOK hook =
      ::SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr, OnValueChange,
                        ::GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  form->Show();
  form->OnCommand(kCmdN8);  // paused: only the ticks below refresh
  const int passes = probe::PassCount(*SetThread);
  ASSERT_TRUE(cmdtest::WaitUntil([&] { return probe::PassCount(*SetThread) > passes; }, 10000));
  form->OnTimer();  // both texts new: one event each
  form->OnTimer();  // the next sampler pass is a second away: nothing new, no event
  for (MSG msg; ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) ::DispatchMessageW(&msg);
  ::UnhookWinEvent(hook);
  EXPECT_EQ(g_changed, (std::vector{H(form->CpuImg), H(form->memImg)}));

  for (const auto& [control, name, part] :
       {std::tuple(static_cast<plat::Control>(form->CpuImg), L"CPU 使用记录", 1),
        std::tuple(static_cast<plat::Control>(form->memImg), L"内存使用记录", 2),
        std::tuple(static_cast<plat::Control>(form->TaskListView), L"应用程序", 0),
        std::tuple(static_cast<plat::Control>(form->procListView), L"进程", 0)}) {
    IAccessible* object = ObjectOf(control);
    ASSERT_NE(object, nullptr) << part;
    EXPECT_EQ(TextOf(object, &IAccessible::get_accName), name);
    VARIANT role{}, state{};
    if (part > 0) {  // a graph
      EXPECT_EQ(TextOf(object, &IAccessible::get_accValue),
                plat::StatusGetText(form->StatusBar, part));
      EXPECT_EQ(object->get_accRole(kSelf, &role), S_OK);
      EXPECT_EQ(object->get_accState(kSelf, &state), S_OK);
      EXPECT_EQ(std::tuple(role.vt, role.lVal, state.lVal & STATE_SYSTEM_READONLY),
                std::tuple(VARTYPE{VT_I4}, LONG{ROLE_SYSTEM_CHART}, LONG{STATE_SYSTEM_READONLY}));
    }
    object->Release();
  }

  // A client keeps the CPU chart past the window: every call then fails.
  IAccessible* kept = ObjectOf(form->CpuImg);
  plat::CloseMainWindow(form->Handle);
  plat::RunMessageLoop();
  EXPECT_EQ(TextOf(kept, &IAccessible::get_accName) + TextOf(kept, &IAccessible::get_accValue),
            L"(error)(error)");
  kept->Release();
  ::CoUninitialize();
}

}  // namespace
