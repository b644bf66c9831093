// Command dispatch and argument fetching: g_CmdHandlers, the two fallback
// handlers, command 0 and Cmd_FetchArgs with its 28 range-check kinds.
#include <cstdlib>
#include <cstring>

#include "files/script_data.h"
#include "base/base.h"
#include "vm/vm.h"

CmdHandler g_CmdHandlers[kCmdCount];
uint8_t g_ArgGiven[kArgIdMax];
int64_t g_ArgInt[kArgSlotMax];
char* g_ArgStr[kArgSlotMax];
ArgSlot g_ArgSlot[kArgSlotMax];
uint8_t g_ArgCount;

int32_t Cmd_Unknown() {
  Err_Show(900050, 1);
  return -1;
}

int32_t Cmd_Empty() { return 0; }

int32_t Cmd_Nop() { return Cmd_FetchArgs(0) ? -1 : 0; }

namespace {

// Bounds of the range kinds 3..23.
struct Range {
  int32_t min, max;
};
constexpr Range kRanges[24] = {
    {0, 0},    {0, 0},     {0, 0},    {0, 1},    {0, 2},    {0, 3},    {1, 3},    {0, 4},
    {0, 8},    {1, 8},     {0, 15},   {0, 18},   {0, 256},  {1, 256},  {0, 512},  {0, 1024},
    {1, 1024}, {128, 1024}, {0, 2048}, {1, 2048}, {0, 8192}, {1, 8192}, {16, 8192}, {128, 8192},
};

// Width and height of window 0 for kinds 26 and 27: the configured screen.
int32_t Window0Size(bool height) {
  uint32_t v = height ? g_EngineConfig.height : g_EngineConfig.width;
  return v ? int32_t(v) : (height ? 480 : 640);
}

bool InLow32(int64_t v, int32_t min, int32_t max) {
  return uint32_t(uint32_t(v) - uint32_t(min)) <= uint32_t(max - min);
}

}  // namespace

// Kinds 3..27 look at the low 32 bits only, as the command table expects; the
// checked low half then replaces the slot's value so that a handler never
// sees a high half that the check ignored.
int Cmd_CheckArg(int cmd, int id, uint8_t check, int64_t v) {
  const char* cn = Cmd_Name(cmd);
  const char* an = Cmd_ArgName(cmd, id);
  switch (check) {
    case 1:
    case 2:
      if (v >= check - 1) return 0;
      Err_ScriptF(101010, 1, cn, an, v, int(check - 1));
      return -1;
    case 24:
      if (uint32_t(uint32_t(v) + 1u) <= 0x1000000u) return 0;
      Err_ScriptF(101020, 1, cn, an, v);
      return -1;
    case 25:
      if (uint32_t(v) <= 0xFFFFFFu) return 0;
      Err_ScriptF(101030, 1, cn, an, v);
      return -1;
    case 26:
    case 27: {
      int32_t max = Window0Size(check == 27) - 1;
      if (InLow32(v, 0, max)) return 0;
      Err_ScriptF(101000, 1, cn, an, v, 0, int(max));
      return -1;
    }
    case 28:
      if (v < 0) {
        Err_ScriptF(101220, 1, cn, an, v);
        return -1;
      }
      if (v >= 4) {
        Err_ScriptF(101210, 1, cn, an, v, 3);
        return -1;
      }
      return 0;
    default:
      if (check < 3 || check > 23) return 0;
      if (InLow32(v, kRanges[check].min, kRanges[check].max)) return 0;
      Err_ScriptF(101000, 1, cn, an, v, int(kRanges[check].min), int(kRanges[check].max));
      return -1;
  }
}

namespace {
int64_t CheckedValue(uint8_t check, int64_t v) {
  if (check == 24) return int32_t(uint32_t(v));
  if (check >= 3 && check <= 27) return int64_t(uint32_t(v));
  return v;
}

char* SlotText(int s) {
  if (!g_ArgStr[s]) {
    g_ArgStr[s] = static_cast<char*>(std::malloc(kArgTextSize));
    if (!g_ArgStr[s]) {
      Err_Script(100010, 1);
      return nullptr;
    }
  }
  return g_ArgStr[s];
}
}  // namespace

int Cmd_FetchArgsFrom(int cmd, const ArgDesc* desc, uint8_t argc, const uint8_t* expr, bool textAsType3) {
  std::memset(g_ArgGiven, 0, sizeof g_ArgGiven);
  g_ArgCount = argc;
  if (cmd < 0 || cmd >= kCmdCount) cmd = 0;
  const uint32_t dataMask = Scene_DataDescMask(uint8_t(cmd));
  for (int s = 1; s <= argc; ++s) {
    const ArgDesc& d = desc[s - 1];
    ArgSlot& slot = g_ArgSlot[s];
    // A descriptor whose length is a pc or label index is never evaluated,
    // whatever the file's table says.
    const bool data = s < 32 && ((dataMask >> s) & 1);
    slot = ArgSlot{d.id, d.type, d.op, d.length, d.offset, data ? nullptr : expr + d.offset, 0, 0, 0, 0};
    g_ArgGiven[d.id] = uint8_t(s);
    g_ArgInt[s] = 0;
    uint8_t kind = data ? 2 : g_CmdTable.argKinds[cmd][d.id];
    uint8_t type = d.type;
    if (kind == 0) {
      if (type < 1 || type > 4) type = 1;
      g_ArgInt[s] = g_ExprEvalInt[type](slot.raw, d.length);
    } else if (kind == 1) {
      if (textAsType3 || type < 1 || type > 4) type = 3;
      char* out = SlotText(s);
      if (!out) return -1;
      g_ExprEvalStr[type](slot.raw, d.length, out);
    }
    if (kind <= 1) {
      if (g_Expr.status != 0) return -1;
      slot.var = g_Expr.lastVar;
      slot.varIndex = g_Expr.lastIndex;
      slot.varWhole = g_Expr.lastWhole;
      slot.varNamed = g_Expr.lastNamed;
    }
    uint8_t check = g_CmdTable.argChecks[cmd][d.id];
    if (check) {
      if (Cmd_CheckArg(cmd, d.id, check, g_ArgInt[s]) != 0) return -1;
      g_ArgInt[s] = CheckedValue(check, g_ArgInt[s]);
    }
  }
  return 0;
}

int Cmd_FetchArgs(int cmd) {
  const TaskRec* t = g_CurTask.task;
  if (!t || !t->hasScene || g_CurTask.instr >= t->code.count) {
    std::memset(g_ArgGiven, 0, sizeof g_ArgGiven);
    g_ArgCount = 0;
    return 0;
  }
  uint32_t i = g_CurTask.instr;
  return Cmd_FetchArgsFrom(cmd, t->code.desc[i], t->code.argc[i], t->code.expr, false);
}
