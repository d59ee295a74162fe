// The part of the GUI contract that needs the real system: the dialog manager's keyboard
// handling in a real message loop, which the fake does not simulate.

#include <gtest/gtest.h>

#include "platform/gui.h"
#include "tests/contract/gui_contract_fixture.h"
#include "tests/support/win32/command_helpers.h"

namespace {

using contract::GuiContract;
using plat::Control;
using plat::ControlKind;

// The dialog manager's Alt+letter walk starts at the focus and never ends when the focus lies
// on a control of a hidden page; the focus leaves such a page for the tab control, however
// it came there, and the keys that follow do not stop the loop.
TEST_F(GuiContract, FocusOnAHiddenPageMovesToTheTabsAndKeysDoNotHang) {
  plat::TabControlHandle tabs{Make(ControlKind::TabControl, window, L"", {0, 0, 426, 357})};
  Make(ControlKind::TabPage, tabs, L"应用程序", {});
  Control page2 = Make(ControlKind::TabPage, tabs, L"进程", {});
  Control button = Make(ControlKind::Button, page2, L"结束进程(&E)", {298, 310, 101, 25}, 101);
  plat::ShowMainWindow(window);
  // Its page is switched away while it has the focus, or something focuses it while hidden.
  for (bool switchedAway : {true, false}) {
    SCOPED_TRACE(switchedAway ? "page switched away" : "focused while hidden");
    plat::TabSelect(tabs, switchedAway ? 1 : 0);
    cmdtest::Focus(button);
    if (switchedAway) plat::TabSelect(tabs, 0);
    EXPECT_EQ(cmdtest::FocusedControl(), switchedAway ? tabs : button);
    cmdtest::PostCharacters(button, L'z');
    cmdtest::CallAfter(300, cmdtest::QuitLoop);
    {
      cmdtest::Watchdog watchdog(30000, "the message loop with the focus on a hidden page");
      plat::RunMessageLoop();
    }
    EXPECT_EQ(cmdtest::FocusedControl(), tabs);
  }
}

}  // namespace
