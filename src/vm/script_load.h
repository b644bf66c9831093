// Readers of the compiled script data that fill the VM's tables: error
// texts, the command table, variable counts, the scene list, the variable
// definitions and the labels, and Script_LoadAll, which reads them all in
// their order and points the "SYSTEM" task at its start label. They find
// their files through the resource files (files/script_internal.h).
#pragma once
#include <cstddef>
#include <cstdint>

#include "files/script_data.h"
#include "vm/vm_limits.h"

// ---- Command table (qvc.qbn) --------------------------------------------
// Names, value kinds and check kinds by command and argument id. Ids that
// the file does not list read name "?", kind 0 and check 0, so a scene can
// never index past the table. Written once by Script_LoadCommandTable.
struct CmdTable {
  uint32_t fileCount = 0;                            // N in the file
  const char* names[kCmdCount] = {};                 // "?" when missing
  uint8_t argCount[kCmdCount] = {};                  // A of each command
  const char* argNames[kCmdCount][kArgIdMax] = {};
  uint8_t argKinds[kCmdCount][kArgIdMax] = {};       // 0 int, 1 text, 2 raw
  uint8_t argChecks[kCmdCount][kArgIdMax] = {};      // 0..28
  const char* errnoTexts[kErrnoTextCount] = {};      // run-time error texts
  uint8_t tail[kCmdTableTailBytes] = {};             // copied, not used
};
extern CmdTable g_CmdTable;
// Shorthands by the names the rest of the engine uses.
inline const char* Cmd_Name(int cmd) { return g_CmdTable.names[cmd] ? g_CmdTable.names[cmd] : "?"; }
inline const char* Cmd_ArgName(int cmd, int id) {
  const char* n = g_CmdTable.argNames[cmd][id];
  return n ? n : "?";
}

// ---- Scene list (qvt_list.qbn) --------------------------------------------
struct SceneList {
  uint32_t count = 0;
  char** names = nullptr;     // by scene number; "" where the file has none
  uint32_t* values = nullptr; // by record position
  uint32_t* numbers = nullptr;// scene number by record position
};
extern SceneList g_SceneList;
// The scene's source file name, "" when unknown.
const char* Scene_FileName(uint32_t scene);

// ---- Variable definitions (qvv.qbn), kept whole ---------------------------
struct VarDefFile {
  uint8_t* data = nullptr;
  size_t size = 0;
  uint16_t count = 0;  // records, all validated at load
};
extern VarDefFile g_VarDefFile;

// One parsed VarDefRec.
struct VarDefView {
  uint8_t scope, group;
  uint16_t scene, var;
  uint8_t type, dimCount;
  uint32_t dims[kVarMaxDims];
  int64_t initInt;
  double initDbl;
  const uint8_t* initExpr;  // type 3: compiled text expression
  uint16_t initLen;
};
// Parses the record at `p` (bytes up to `end`); returns its size, or 0 when
// it runs past `end` or is malformed (dimension count above 8, type not
// 1..3, scope not 1..3).
size_t VarDef_Parse(const uint8_t* p, const uint8_t* end, VarDefView* out);

// ---- Readers ----------------------------------------------------------------
// 0 ok; non-zero after the failure was reported (quit 1).
int Script_LoadErrorTexts();
int Script_LoadCommandTable();
int Script_LoadVarCounts();
int Script_LoadSceneList();
int Script_LoadVarFile();
int Script_LoadLabels();
// Everything in its order, then the "SYSTEM" task at "SYSTEM_START": 0 ok,
// 1 a file or the label failed (reported), -1 no "SYSTEM" task.
int Script_LoadAll();

// The parsers over bytes. The `keep` forms take ownership of a std::malloc
// block that the tables point into.
int Script_ParseErrorTexts(uint8_t* data, size_t size, const char* name);
int Script_ParseCommandTable(uint8_t* data, size_t size, const char* name);
int Script_ParseVarCounts(const uint8_t* data, size_t size, const char* name);
int Script_ParseSceneList(const uint8_t* data, size_t size, const char* name);
int Script_ParseVarFile(uint8_t* data, size_t size, const char* name);
int Script_ParseLabels(const uint8_t* data, size_t size, const char* name);
// Releases every table the readers built (tests and fuzzing).
void Script_FreeAll();

// What each group of readers built (Script_FreeAll calls them).
void Script_FreeCmdImages();
void Script_FreeTables();
