// The user's text editor, for opening a script at a failing line.
#pragma once
#include <string>
#include <vector>

// The editor command as an argument vector (program first, then any fixed
// options it came with): $VISUAL, else $EDITOR (split on blanks, no shell),
// else the program of the desktop's default application for text/plain
// (xdg-mime and its .desktop file). Empty when none is known.
std::vector<std::string> Sys_FindTextEditor();

// The Exec= line of a .desktop file turned into an argument vector with its
// field codes (%f %F %u %U ...) removed; empty when there is none.
std::vector<std::string> Sys_ParseDesktopExec(const std::string& desktopFileText);

// True for editors that need a terminal (vi, vim, nano, ...): the caller
// runs those inside the desktop's terminal emulator.
bool Sys_IsTerminalEditor(const std::string& program);
// The command that runs a program inside the terminal emulator.
std::vector<std::string> Sys_TerminalPrefix();
