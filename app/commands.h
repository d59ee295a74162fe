#pragma once
// The user's commands: the ids that the buttons and menu items send to TMainForm::OnCommand,
// and the home page that Button4 opens. The handlers are TMainForm members, in
// app/commands.cpp beside the table that maps each id to its handler.

class TMainForm;

inline constexpr int kCmdButton1 = 1001;     // end task
inline constexpr int kCmdButton2 = 1002;     // switch to
inline constexpr int kCmdButton3 = 1003;     // new task (Run dialog)
inline constexpr int kCmdEndProcBtn = 1004;  // end process
inline constexpr int kCmdButton4 = 1005;     // home page
inline constexpr int kCmdN1 = 2001;          // File / new task
inline constexpr int kCmdX1 = 2002;          // File / exit
inline constexpr int kCmdA1 = 2003;          // Options / always on top
inline constexpr int kCmdH2 = 2004;          // View / speed / high (500 ms)
inline constexpr int kCmdN5 = 2005;          // View / speed / normal (1000 ms)
inline constexpr int kCmdN6 = 2006;          // View / speed / low (2000 ms)
inline constexpr int kCmdN8 = 2007;          // View / speed / pause
inline constexpr int kCmdH1 = 2008;          // Help: no items and no command

inline constexpr const char* kHomePageUrl = "https://varnex.example.org/";

// Runs the handler of `commandId` on `form`; an id without one does nothing.
void RunCommand(TMainForm& form, int commandId);
