#pragma once
// The main window's menu bar, built from one table of captions, command ids, tags and checks.

#include "platform/gui.h"

// Adds the menu bar to `window`, with the initial check marks.
void BuildMainMenu(plat::MainWindowHandle window);

// The Tag of a menu item: the refresh interval of the speed items, 0 for the others.
int MenuTag(int commandId);
