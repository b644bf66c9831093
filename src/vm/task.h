// Tasks, the task runner and flow control.
//
// A task is a leaf of the task tree with a TaskRec behind it. Vm_RunTasks
// visits the tree once per pass, highest order key first, and runs each
// runnable task's instructions until a handler yields (non-zero low byte).
// Everything here runs on the frame thread.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "vm/objtree.h"
#include "vm/scene.h"
#include "vm/vm_limits.h"

// ---- Limits -------------------------------------------------------------
// Frames are indexed by depth (IF, LOOP) or by frame number (calls, 1..64);
// a call at the deepest allowed depth touches frame 64, so the arrays hold 66.
constexpr int kTaskFrameSlots = 66;
constexpr int kCallValueCount = 16;  // passed / returned values of each kind
constexpr int kTaskStartValues = 16;
constexpr int kVmMaxPassesPerFrame = 65536;  // a script asking for passes forever
// Internal error: a program counter outside its scene (a jump, call or return
// target, or a task running past its last instruction).
constexpr int32_t kErrPcOutOfScene = 900060;

// ---- Frames -------------------------------------------------------------
struct IfFrame {
  uint8_t loopDepth;  // LOOP depth when the IF was entered
  uint32_t ifPc;      // pc of the IF instruction
  uint32_t endPc;     // pc of the block end
};

struct LoopFrame {
  uint8_t ifDepth;  // IF depth when the LOOP was entered
  uint32_t bodyPc;  // first body instruction
  uint32_t exitPc;  // the loop end instruction
  int64_t counter;  // round, from 1
  int64_t count;    // rounds; -1 endless
};

// Value groups of a call frame, in this order: passed int, double, text,
// returned int, double, text. Byte 0 of a group is its count, bytes 1..16
// the given flags of values 1..16.
enum CallGroup : int { kGroupPassInt, kGroupPassDbl, kGroupPassStr, kGroupRetInt, kGroupRetDbl, kGroupRetStr };

// The code at call depth n finds its passed values, and after a return its
// returned values, in call frame n+1; a call made at depth d keeps its
// return information in frame d+1. Values are numbered 1..16 (index 0 is
// never written and reads 0 / "").
struct CallFrame {
  uint8_t ifBase;    // IF depth at the call
  uint8_t loopBase;  // LOOP depth at the call
  uint32_t retPc;
  uint16_t retScene;
  uint32_t line;  // source line of the calling instruction
  int64_t passInt[kCallValueCount + 1];
  double passDbl[kCallValueCount + 1];
  std::string passStr[kCallValueCount + 1];
  int64_t retInt[kCallValueCount + 1];
  double retDbl[kCallValueCount + 1];
  std::string retStr[kCallValueCount + 1];
  uint8_t groups[6][kCallValueCount + 1];
};

// ---- The task record ------------------------------------------------------
struct TaskRec {
  int64_t passStamp;  // g_VmPassCounter when it last ran
  uint8_t isSystem;   // 1 only for "SYSTEM"
  uint8_t msgFlag;    // typing a message: no commands run while set
  uint32_t msgWord[2];
  uint8_t runA, runB;  // runnable while (runA & runB) != 0
  uint32_t frameWait;  // passes still to wait
  uint64_t deadlineMs; // Clock_Ms64 value at which the wait ends; 0 none
  uint32_t pc;         // next instruction
  SceneCode code;     // the current scene's arrays (Task_EnterScene)
  uint16_t scene;
  uint8_t hasScene;  // code is valid
  int8_t ifDepth;
  int8_t callDepth;
  int8_t loopDepth;
  IfFrame* ifFrames[kTaskFrameSlots];
  CallFrame* callFrames[kTaskFrameSlots];  // by frame number, 1..64
  LoopFrame* loopFrames[kTaskFrameSlots];
  int64_t startInt[kTaskStartValues + 1];  // 1..16, set by command 93
  double startDbl[kTaskStartValues + 1];
  std::string startStr[kTaskStartValues + 1];
};

// ---- Runner state -----------------------------------------------------------
// The running task, its node and the index of the instruction being run.
// Written by Vm_RunTasks; read by the argument fetcher and error reports.
struct CurTask {
  TaskRec* task;
  ObjNode* node;
  uint32_t instr;
};
extern CurTask g_CurTask;
extern uint64_t g_VmPassCounter;  // frame driver adds 1 per pass
extern uint32_t g_VmPassAgain;    // set by a command to ask for another pass
extern uint8_t g_VmLastResult;    // low byte of the last handler result
// The inactive pause g_InactivePaused and the run-when-inactive option
// g_RunWhenInactive are the shell's (shell/frame.h); the handler array is
// g_RunWhenInactive | !g_InactivePaused.
// g_DebugMode (the configuration's debug byte) is declared in shell/shell.h
// and defined with the runner.
extern uint64_t g_DebugCmdCount;
// Corners of the screen the mouse was seen in (bits 1, 2, 4, 8), debug mode.
extern uint8_t g_DebugCornerMask;
// Counts one command run in debug mode and checks the corners every 1024.
void Vm_DebugCountCommand();

// Message typing step of a task (text subsystem). While null the runner only
// skips tasks whose message flag is set.
using MsgStepFn = void (*)(TaskRec* task);
extern MsgStepFn g_MsgStepTaskHook;
// Waits out the inactive pause from inside the step gate (engine shell).
// Returns non-zero when the task's turn must end (quit or app closed). While
// null the step gate only steps.
using VmPauseWaitFn = int32_t (*)();
extern VmPauseWaitFn g_VmPauseWaitHook;
// Asks the player a yes/no question over the main window (engine shell);
// 1 for yes. While null the answer is no.
using VmAskYesNoFn = int (*)(const char* textSjis);
extern VmAskYesNoFn g_VmAskYesNoHook;

// ---- Tasks ------------------------------------------------------------------
// A zeroed record with IF frame 0, call frame 1 and LOOP frame 0, both run
// bytes 1, stored in the node. Null after error 100010 (quit 1).
TaskRec* Task_NewRecord(ObjNode* node);
// Frees a record with its frames.
void Task_FreeRecord(TaskRec* task);
// Ends a task: unlinks its node; the node and record are freed after the
// pass (at once when no pass runs).
void Task_End(ObjNode* node);
// Loads the scene (Scene_Load) and points the task's code at it. Reports and
// returns false when the scene cannot be loaded (the task keeps its code).
bool Task_EnterScene(TaskRec* task, uint16_t scene);
// Moves the task's pc, refusing a target outside its scene (error
// kErrPcOutOfScene, quit 1).
bool Task_SetPc(TaskRec* task, uint32_t pc);
// The call frame of the code now running at the task's call depth.
inline CallFrame* Task_CurCallFrame(const TaskRec* t) { return t ? t->callFrames[t->callDepth + 1] : nullptr; }
// The task tree's first nodes: the root record, the empty-named group and
// "SYSTEM" (keys 100), current path "".
int32_t Task_MakeSystemRoot(ObjTreeRoot& tree);
// Frees the record of every node under `node` (the node's own included) and
// forgets the "SYSTEM" node; the nodes are left to the caller.
void Task_FreeTreeRecords(ObjNode* node);
// Task state string (command 95 writes it, command 93 reads it back): the
// task's stacks, pc, message word and scene file name as letters.
void Task_EncodeState(const TaskRec* task, std::string* out);
// 0 restored; 1 refused after 102130 / 900000 (the command goes on); -1
// after an allocation failure (the command yields).
int32_t Task_DecodeState(TaskRec* task, const char* s, size_t len);
// File name of a scene from the scene list ("" when unknown), and the scene
// number of a file name (-1 when not in the list).
const char* Task_SceneFileName(uint16_t scene);
int32_t Task_SceneByFileName(const char* name, size_t len);
// The "SYSTEM" task's node, or null.
ObjNode* Task_SystemNode();

// ---- Runner -----------------------------------------------------------------
// Runs the children of a task-tree node once for this pass. Always 0.
int32_t Vm_RunTasks(ObjNode* node);
// One frame's script work: passes over the task root while a command asks for
// another, stopping at g_QuitRequested.
void Vm_RunFramePasses();
// Handler array 0's entry for every instruction.
int32_t Vm_StepGate();
// Connects the error place hook to the current task (scene file, line).
void Vm_InstallErrPlace();

// ---- Task and flow commands -------------------------------------------------
int32_t Cmd_TaskStart();     // 93
int32_t Cmd_TaskEnd();       // 94
int32_t Cmd_TaskQuery();     // 95
int32_t Cmd_Wait();          // 102
int32_t Cmd_Jump();          // 43
int32_t Cmd_Call();          // 44
int32_t Cmd_ReturnValues();  // 77
int32_t Cmd_If();            // 45
int32_t Cmd_ElseIf();        // 11
int32_t Cmd_IfSkipToEnd();   // 46
int32_t Cmd_IfBreak();       // 47
int32_t Cmd_IfRestart();     // 48
int32_t Cmd_IfEnd();         // 49
int32_t Cmd_Loop();          // 56
int32_t Cmd_LoopBreak();     // 57
int32_t Cmd_LoopContinue();  // 58
int32_t Cmd_LoopEnd();       // 59

// ---- System variables of tasks and calls (48, 53-69) -------------------------
// Integer read of number 48, 53, 56-60, 63-67; false for every other number.
bool SysVar_GetFlow(int32_t number, int64_t index, int64_t* out);
// Double read of number 54, 61, 68; false for others.
bool SysVar_GetFlowDouble(int32_t number, int64_t index, double* out);
// Text read of number 55, 62, 69 into out (cap bytes with the NUL); false
// for others.
bool SysVar_GetFlowString(int32_t number, int64_t index, char* out, size_t cap);

// ---- Helpers shared by the task and flow commands (flow_common.cpp) ----------
// The running instruction's descriptor at position pos (0-based), or null.
const ArgDesc* Flow_Desc(uint32_t pos);
// Evaluates a descriptor's expression with the evaluators of its value type.
int64_t Flow_EvalInt(const ArgDesc* d);
double Flow_EvalDouble(const ArgDesc* d);
// Text of a descriptor's expression (value type 3) into out (kExprTextSize).
int32_t Flow_EvalText(const ArgDesc* d, char* out);
// Name of a command for error texts ("" before the command table is read).
const char* Flow_CmdName(int cmd);
// 101600 for `cmd` (name twice, 64) and 101300 (cmd twice, then the opener).
int32_t Flow_ErrDepth(int cmd);
int32_t Flow_ErrNoBlock(int cmd, int opener);
// Makes sure frames 0..depth exist (IF, LOOP) or frame `number` (calls);
// false after 100010.
bool Flow_EnsureIfFrames(TaskRec* t, int depth);
bool Flow_EnsureLoopFrames(TaskRec* t, int depth);
bool Flow_EnsureCallFrame(TaskRec* t, int number);
// Moves the task to a label: its scene, pc and (for jumps) block depths.
// false after the error was reported.
bool Flow_GotoLabel(TaskRec* t, int32_t label, bool setDepths);
