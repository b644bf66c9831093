// The command schema registry and the entries of the VM core: variables,
// declarations, command 0 and the script-information commands.
#include "vm/cmd_schema.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "vm/host.h"
#include "vm/file_cmds.h"
#include "vm/save_cmds.h"
#include "vm/vm.h"

namespace {

const CmdSchemaEntry* g_Schema[kCmdCount];
bool g_SchemaReady = false;

constexpr CmdArgSchema kLetArgs[] = {
    {kLetArgTarget, "target", kArgRaw, 0, 1},
    {kLetArgValue, "value", kArgRaw, 0, 1},
};
constexpr CmdArgSchema kDimArgs[] = {
    {kDimArgTarget, "target", kArgRaw, 0, 1},
    {kDimArgInit, "init", kArgRaw, 0, 1},
};
constexpr CmdArgSchema kInputArgs[] = {
    {0, "keys", kArgInt, 0, 0},
    {1, "joystick", kArgInt, 0, 0},
    {2, "mousekeys", kArgInt, 0, 0},
};
// 92: the given output argument (0, 1, 2 or 3) names the result variable.
constexpr CmdArgSchema kInfoArgs[] = {
    {0, "name", kArgText, 0, 0}, {1, "count", kArgInt, 0, 0}, {2, "number", kArgInt, 0, 0},
    {3, "gpu", kArgInt, 0, 0},   {4, "pos", kArgInt, 0, 0},
};

constexpr CmdSchemaEntry kCoreCmds[] = {
    {0, "nop", Cmd_Nop, 0, nullptr, 0},
    {9, "empty9", Cmd_Empty, 0, nullptr, 0},
    {26, "dimf", Cmd_DimFloat, 3, kDimArgs, uint8_t(std::size(kDimArgs))},
    {50, "inputopt", Cmd_InputOptions, 3, kInputArgs, uint8_t(std::size(kInputArgs))},
    {51, "dim", Cmd_DimInt, 3, kDimArgs, uint8_t(std::size(kDimArgs))},
    {52, "empty52", Cmd_Empty, 0, nullptr, 0},
    {54, "let", Cmd_Let, 3, kLetArgs, uint8_t(std::size(kLetArgs))},
    {75, "empty75", Cmd_Empty, 0, nullptr, 0},
    {78, "empty78", Cmd_Empty, 0, nullptr, 0},
    {80, "empty80", Cmd_Empty, 0, nullptr, 0},
    {81, "empty81", Cmd_Empty, 0, nullptr, 0},
    {82, "empty82", Cmd_Empty, 0, nullptr, 0},
    {90, "dims", Cmd_DimStr, 3, kDimArgs, uint8_t(std::size(kDimArgs))},
    {92, "scriptinfo", Cmd_ScriptInfo, 5, kInfoArgs, uint8_t(std::size(kInfoArgs))},
};

}  // namespace

void CmdSchema_Add(const CmdSchemaEntry* table, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (table[i].number < kCmdCount) g_Schema[table[i].number] = &table[i];
  }
}

void CmdSchema_RegisterCore() { CmdSchema_Add(kCoreCmds, std::size(kCoreCmds)); }

void CmdSchema_Init() {
  if (g_SchemaReady) return;
  g_SchemaReady = true;
  CmdSchema_RegisterCore();
  CmdSchema_RegisterFlow();
  CmdSchema_RegisterShell();
  CmdSchema_RegisterMath();
  CmdSchema_RegisterHost();
  CmdSchema_RegisterSave();
  CmdSchema_RegisterFiles();
}

const CmdSchemaEntry* CmdSchema_Get(int number) {
  CmdSchema_Init();
  return number >= 0 && number < kCmdCount ? g_Schema[number] : nullptr;
}

const CmdArgSchema* CmdSchema_Arg(int number, int id) {
  const CmdSchemaEntry* e = CmdSchema_Get(number);
  if (!e) return nullptr;
  for (int i = 0; i < e->nargs; ++i) {
    if (e->args[i].id == id) return &e->args[i];
  }
  return nullptr;
}

int CmdSchema_Find(const char* name) {
  for (int n = 0; n < kCmdCount; ++n) {
    const CmdSchemaEntry* e = CmdSchema_Get(n);
    if (e && std::strcmp(e->name, name) == 0) return n;
  }
  return -1;
}

int CmdSchema_ArgId(int number, const char* argName) {
  const CmdSchemaEntry* e = CmdSchema_Get(number);
  if (!e) return -1;
  for (int i = 0; i < e->nargs; ++i) {
    if (std::strcmp(e->args[i].name, argName) == 0) return e->args[i].id;
  }
  return -1;
}

const char* CmdSchema_Name(int number, char* buf, size_t cap) {
  const CmdSchemaEntry* e = CmdSchema_Get(number);
  if (e) return e->name;
  std::snprintf(buf, cap, "cmd%d", number);
  return buf;
}

void CmdSchema_FillHandlers(CmdHandler* handlers) {
  for (int n = 0; n < kCmdCount; ++n) handlers[n] = Cmd_Unknown;
  for (int n : {9, 52, 75, 78, 80, 81, 82}) handlers[n] = Cmd_Empty;
  for (int n = 0; n < kCmdCount; ++n) {
    const CmdSchemaEntry* e = CmdSchema_Get(n);
    if (e && e->handler) handlers[n] = e->handler;
  }
}
