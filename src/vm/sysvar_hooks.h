// System variables whose values live in subsystems above the VM. The VM
// cannot include them, so each of those subsystems installs its getter here
// at start-up. A null getter means that subsystem is not in the program: its
// numbers then read 0 (integers) or "" (texts), which is also what they read
// before the subsystem has any state to report.
//
// Reads go through the getters in the order of the fields below before the
// VM's own table, so a subsystem may also answer a number that the VM would
// otherwise answer from engine-wide state (for example 4, sound on).
// Installed once on the frame thread before the first script runs; read on
// the frame thread.
#pragma once
#include <cstddef>
#include <cstdint>

// An integer getter: true when it serves `number` (the value in *out),
// false to let the next getter or the VM answer.
using SysVarIntHook = bool (*)(int32_t number, int64_t index, int64_t* out);
// A text getter: true when it serves `number`; writes at most cap - 1 bytes
// and a terminating zero into `out`.
using SysVarTextHook = bool (*)(int32_t number, int64_t index, char* out, size_t cap);

struct SysVarHooks {
  // Shell: clock and play timers, frame counter (109), mouse (133-142), key
  // counters (144, 147-547), screen words (115, 116), engine words (3, 114),
  // window events (117-120, 132, 145, 146), dropped files (15).
  SysVarIntHook shell = nullptr;
  // Renderer: full-GPU drawing (113).
  SysVarIntHook render = nullptr;
  // Sound: sound output (4) and whatever else the sound subsystem keeps.
  SysVarIntHook sound = nullptr;
  // Media players: movie state.
  SysVarIntHook media = nullptr;
  // Text: the collected message text (122) and its op bytes (123).
  SysVarTextHook text = nullptr;
  // Shell texts (folders that only the shell knows, window captions).
  SysVarTextHook shellText = nullptr;
};
extern SysVarHooks g_SysVarHooks;

// Asks the installed integer getters in order; false when none serves it.
bool SysVar_AskHooks(int32_t number, int64_t index, int64_t* out);
// The same for texts; `out` is emptied first.
bool SysVar_AskTextHooks(int32_t number, int64_t index, char* out, size_t cap);
