#pragma once
// The program: creates and shows the main window (MainForm), runs the message loop and
// returns its exit code.

int VarnexMain();
