// The program-side command schema: for each command number the handler the
// engine runs, a name, and the argument ids with the value kind and check
// kind the handler expects. The engine fills g_CmdHandlers from it, checks a
// game's command table (qvc.qbn) against it, and the fixture writer
// generates qvc.qbn and encodes commands by these names.
//
// Several files contribute entries without touching each other: each defines
// a `const CmdSchemaEntry kXxx[]` table and one registration function that
// passes it to CmdSchema_Add. CmdSchema_Init (cmd_schema.cpp) registers the
// VM's own contributors; other subsystems call theirs from the start-up's
// table set-up (and tests that need them call them directly), before the
// command table file is read.
#pragma once
#include <cstddef>
#include <cstdint>

#include "vm/scene.h"

// Value kinds of an argument (how Cmd_FetchArgs evaluates it).
constexpr uint8_t kArgInt = 0;
constexpr uint8_t kArgText = 1;
constexpr uint8_t kArgRaw = 2;

struct CmdArgSchema {
  uint8_t id;
  const char* name;
  uint8_t kind;      // kArgInt, kArgText, kArgRaw
  uint8_t check;     // 0..28
  uint8_t forceRaw;  // the handler reads it itself (or its length field is
                     // data): a game table's kind is overridden with raw
};

struct CmdSchemaEntry {
  uint8_t number;
  const char* name;
  CmdHandler handler;     // null: Cmd_Unknown
  uint8_t argCount;       // ids 0..argCount-1 are named in qvc.qbn
  const CmdArgSchema* args;
  uint8_t nargs;
};

// Adds a file's entries; a later entry for the same number replaces it.
void CmdSchema_Add(const CmdSchemaEntry* table, size_t n);
// Registration functions, one per contributing file.
void CmdSchema_RegisterCore();  // cmd_schema.cpp: variables, dispatch, info
void CmdSchema_RegisterFlow();  // cmd_schema_flow.cpp: tasks and flow
void CmdSchema_RegisterShell();     // vm/cmd_end.cpp: engine commands
void CmdSchema_RegisterMath();      // vm/cmd_schema_math.cpp: maths and random numbers
// Registers the VM's own commands once (later calls do nothing). The
// subsystems above the VM register theirs through Sys_RegisterCommands
// (engine shell), which calls this first.
void CmdSchema_Init();

// The entry of a command number, or null when the schema has none.
const CmdSchemaEntry* CmdSchema_Get(int number);
// The description of one argument id of a command, or null.
const CmdArgSchema* CmdSchema_Arg(int number, int id);
// Command number by name, or -1; argument id by name, or -1.
int CmdSchema_Find(const char* name);
int CmdSchema_ArgId(int number, const char* argName);
// Name of a command for qvc.qbn: the schema's, else "cmd<number>".
const char* CmdSchema_Name(int number, char* buf, size_t cap);

// Fills all handlers: Cmd_Unknown, then Cmd_Empty for 9, 52, 75, 78, 80,
// 81 and 82, then every schema entry that names a handler.
void CmdSchema_FillHandlers(CmdHandler* handlers);

// Argument ids that commands read by position, fixed here for engine,
// compiler fixtures and handlers alike.
constexpr uint8_t kLetArgTarget = 1, kLetArgValue = 2;             // 54
constexpr uint8_t kDimArgTarget = 1, kDimArgInit = 2;              // 51, 26, 90
constexpr uint8_t kJumpArgLabel = 0;                               // 43
constexpr uint8_t kIfArgCond = 0, kIfArgNext = 1, kIfArgEnd = 2;   // 45 (and 11: cond, next)
constexpr uint8_t kLoopArgCount = 0, kLoopArgEnd = 1;              // 56
