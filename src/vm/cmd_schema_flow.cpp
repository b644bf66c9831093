// Command schema entries of the task and flow commands: 11, 43-49, 56-59,
// 77, 93-95 and 102. Descriptors whose length field is a pc or a label
// index, and values the handlers evaluate themselves, are raw.
#include <array>
#include <cstdio>
#include <iterator>

#include "vm/cmd_schema.h"
#include "vm/task.h"

namespace {
constexpr uint8_t kForce = 1;

constexpr CmdArgSchema kIfArgs[] = {
    {kIfArgCond, "cond", kArgRaw, 0, kForce},
    {kIfArgNext, "next", kArgRaw, 0, kForce},
    {kIfArgEnd, "end", kArgRaw, 0, kForce},
};
constexpr CmdArgSchema kElseIfArgs[] = {
    {kIfArgCond, "cond", kArgRaw, 0, kForce},
    {kIfArgNext, "next", kArgRaw, 0, kForce},
};
constexpr CmdArgSchema kJumpArgs[] = {{kJumpArgLabel, "label", kArgRaw, 0, kForce}};
constexpr CmdArgSchema kCountArgs[] = {{0, "n", kArgInt, 0, 0}};
constexpr CmdArgSchema kLoopArgs[] = {
    {kLoopArgCount, "count", kArgRaw, 0, kForce},  // evaluated by the LOOP itself
    {kLoopArgEnd, "end", kArgRaw, 0, kForce},
};
constexpr CmdArgSchema kWaitArgs[] = {{0, "frames", kArgInt, 0, 0}, {1, "ms", kArgInt, 0, 0}};
constexpr CmdArgSchema kTaskEndArgs[] = {{0, "path", kArgText, 0, 0}};
constexpr CmdArgSchema kQueryArgs[] = {
    {0, "path", kArgText, 0, 0},       {1, "out", kArgInt, 0, 0},
    {2, "query", kArgInt, 0, 0},       {3, "runa", kArgInt, 0, 0},
    {4, "runb", kArgInt, 0, 0},        {5, "key", kArgInt, 0, 0},
    {6, "scenefile", kArgInt, 0, 0},   {7, "scene", kArgInt, 0, 0},
    {8, "line", kArgInt, 0, 0},        {9, "outerfile", kArgInt, 0, 0},
    {10, "outerscene", kArgInt, 0, 0}, {11, "outerline", kArgInt, 0, 0},
    {12, "msg1", kArgInt, 0, 0},       {13, "msg2", kArgInt, 0, 0},
    {16, "ifdepth", kArgInt, 0, 0},    {17, "calldepth", kArgInt, 0, 0},
    {18, "loopdepth", kArgInt, 0, 0},  {19, "state", kArgInt, 0, 0},
};

// Value argument names "i1".."i16", "f1".."f16", "s1".."s16".
char g_ValueNames[3][kCallValueCount][4];

// Call (44): label 0, integers 1-16, doubles 17-32, texts 33-48.
// Return (77): integers 0-15, doubles 16-31, texts 32-47.
std::array<CmdArgSchema, 49> g_CallArgs;
std::array<CmdArgSchema, 48> g_ReturnArgs;
// Task start (93).
std::array<CmdArgSchema, 27> g_StartArgs;

void BuildValueArgs(CmdArgSchema* out, int firstId) {
  static const char kLetters[3] = {'i', 'f', 's'};
  // Doubles are evaluated by the handler in double arithmetic.
  static const uint8_t kKinds[3] = {kArgInt, kArgRaw, kArgText};
  for (int g = 0; g < 3; ++g) {
    for (int k = 0; k < kCallValueCount; ++k) {
      char* name = g_ValueNames[g][k];
      std::snprintf(name, 4, "%c%d", kLetters[g], k + 1);
      out[g * kCallValueCount + k] = {uint8_t(firstId + g * kCallValueCount + k), name, kKinds[g], 0,
                                      uint8_t(g == 1 ? kForce : 0)};
    }
  }
}

void BuildStartArgs() {
  size_t n = 0;
  g_StartArgs[n++] = {0, "path", kArgText, 0, 0};
  g_StartArgs[n++] = {1, "runa", kArgInt, 0, 0};
  g_StartArgs[n++] = {2, "runb", kArgInt, 0, 0};
  g_StartArgs[n++] = {3, "key", kArgInt, 0, 0};
  // Start values: ids 4-13 integers, 14-23 doubles given as integers.
  for (int k = 0; k < 10; ++k) g_StartArgs[n++] = {uint8_t(4 + k), g_ValueNames[0][k], kArgInt, 0, 0};
  for (int k = 0; k < 10; ++k) g_StartArgs[n++] = {uint8_t(14 + k), g_ValueNames[1][k], kArgInt, 0, 0};
  g_StartArgs[n++] = {34, "label", kArgText, 0, 0};
  g_StartArgs[n++] = {35, "state", kArgText, 0, 0};
  g_StartArgs[n++] = {37, "pass", kArgInt, 0, 0};
}

CmdSchemaEntry g_FlowCmds[] = {
    {11, "elseif", Cmd_ElseIf, 2, kElseIfArgs, uint8_t(std::size(kElseIfArgs))},
    {43, "jump", Cmd_Jump, 1, kJumpArgs, uint8_t(std::size(kJumpArgs))},
    {44, "call", Cmd_Call, 49, nullptr, 0},
    {45, "if", Cmd_If, 3, kIfArgs, uint8_t(std::size(kIfArgs))},
    {46, "ifskip", Cmd_IfSkipToEnd, 0, nullptr, 0},
    {47, "ifbreak", Cmd_IfBreak, 1, kCountArgs, uint8_t(std::size(kCountArgs))},
    {48, "ifretest", Cmd_IfRestart, 1, kCountArgs, uint8_t(std::size(kCountArgs))},
    {49, "endif", Cmd_IfEnd, 0, nullptr, 0},
    {56, "loop", Cmd_Loop, 2, kLoopArgs, uint8_t(std::size(kLoopArgs))},
    {57, "loopbreak", Cmd_LoopBreak, 1, kCountArgs, uint8_t(std::size(kCountArgs))},
    {58, "loopnext", Cmd_LoopContinue, 1, kCountArgs, uint8_t(std::size(kCountArgs))},
    {59, "loopend", Cmd_LoopEnd, 0, nullptr, 0},
    {77, "return", Cmd_ReturnValues, 48, nullptr, 0},
    {93, "taskstart", Cmd_TaskStart, 38, nullptr, 0},
    {94, "taskend", Cmd_TaskEnd, 1, kTaskEndArgs, uint8_t(std::size(kTaskEndArgs))},
    {95, "taskquery", Cmd_TaskQuery, 20, kQueryArgs, uint8_t(std::size(kQueryArgs))},
    {102, "wait", Cmd_Wait, 2, kWaitArgs, uint8_t(std::size(kWaitArgs))},
};
}  // namespace

void CmdSchema_RegisterFlow() {
  g_CallArgs[0] = {0, "label", kArgRaw, 0, kForce};
  BuildValueArgs(g_CallArgs.data() + 1, 1);
  BuildValueArgs(g_ReturnArgs.data(), 0);
  BuildStartArgs();
  for (CmdSchemaEntry& e : g_FlowCmds) {
    if (e.number == 44) e.args = g_CallArgs.data(), e.nargs = uint8_t(g_CallArgs.size());
    if (e.number == 77) e.args = g_ReturnArgs.data(), e.nargs = uint8_t(g_ReturnArgs.size());
    if (e.number == 93) e.args = g_StartArgs.data(), e.nargs = uint8_t(g_StartArgs.size());
  }
  CmdSchema_Add(g_FlowCmds, std::size(g_FlowCmds));
}
