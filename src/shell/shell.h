// Engine shell: process entry, start-up and shut-down, the frame driver,
// error reporting, configuration. The public face of src/shell/.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

// Stop byte read by the frame driver, the task runner and every thread loop.
// Written by every error report (its quit flag) and by App_RequestQuit.
extern std::atomic<uint8_t> g_QuitRequested;

// ---- Error reporting (err_report.cpp) ----------------------------------
// Numbered errors. The script forms add the current scene file and line.
// All four set g_QuitRequested to `quit` (0 clears an earlier request) and
// show the error dialog for the first report of the run only.
// The F forms take printf arguments for the number's text; %I64d is accepted
// for 64-bit values.
void Err_ScriptF(int32_t number, int quit, ...);
void Err_Script(int32_t number, int quit);
void Err_ShowF(int32_t number, int quit, ...);
void Err_Show(int32_t number, int quit);

// printf-style system-modal message box; returns the pressed button's id.
int Sys_MessageBoxF(const char* caption, const char* format, ...);

// ---- Shared helpers (helpers.cpp) --------------------------------------
// Allocates `size` bytes set to zero; null on failure. Free with std::free.
void* Mem_AllocZeroed(size_t size);
// Shift-JIS to UTF-8 in a new heap string (free with std::free); null on failure.
char* Str_SjisToUtf8(const char* sjis);

// Engine windows, window procedure, input state and screen modes.
#include "shell/window.h"
