#pragma once
// What gui.cpp, gui_controls.cpp and drawing.cpp share of the fake GUI; not for tests.

#include <string>

#include "platform/fake/call_log.h"
#include "platform/fake/control/gui.h"

namespace fake::gui {

// A new handle value for a control, window, menu or image list.
std::uintptr_t NewHandle();
void Violation(std::string text);
// Logs "op name [arg]".
void Log(const char* op, plat::Control control, const std::string& arg = "");
// The live control, or null (and a violation) when there is none; a destroyed control
// fails quietly, as calls on a destroyed window do. With `kind`, one of that kind only.
ControlState* Get(plat::Control control, const char* op);
ControlState* GetKind(plat::Control control, plat::ControlKind kind, const char* op);
ControlState* GetWindow(plat::Control window, const char* op);
// The row, or null (and a violation) when the list has none there.
Row* GetRow(ControlState* list, int row, const char* op);

}  // namespace fake::gui
