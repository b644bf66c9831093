// Readers of the compiled script data files in qvbin.
//
// Every reader finds its file over the four sources (File_LoadNeeded), then
// parses it with a bounded reader: a count, length or terminator that runs
// past the file's end is error 104010 with the file name, never an
// over-read. The Script_Parse* functions take the bytes directly (tests and
// fuzzing); the Script_Load* functions add the lookup.
#pragma once
#include <cstddef>
#include <cstdint>

#include "vm/vm_limits.h"

// File names (lower-case, '\' separators).
inline constexpr char kFileErrTexts[] = "qvbin\\qve.qbn";
inline constexpr char kFileCmdTable[] = "qvbin\\qvc.qbn";
inline constexpr char kFileVarCounts[] = "qvbin\\qvt.qbn";
inline constexpr char kFileSceneList[] = "qvbin\\qvt_list.qbn";
inline constexpr char kFileVarDefs[] = "qvbin\\qvv.qbn";
inline constexpr char kFileLabels[] = "qvbin\\qvl.qbn";
inline constexpr char kFileConfig[] = "qvbin\\qvcfg.qbn";
// Scene file name pattern (scene number in five digits).
inline constexpr char kFileScenePattern[] = "qvbin\\qvt%05u.qbn";

// Fixed offsets of the formats.
constexpr size_t kQveRecords = 16;
constexpr size_t kQvcRecords = 16;
constexpr size_t kQvtSize = 16;
constexpr size_t kQvtListRecords = 12;
constexpr size_t kQvtListFixed = 28;  // a scene record is 28 + name bytes
constexpr size_t kQvvRecords = 10;
constexpr size_t kQvlBuckets = 12;
constexpr size_t kQvlRecords = 1036;
constexpr size_t kQvlFixed = 13;  // a label record is 13 + name bytes
constexpr size_t kQvcfgTitle = 78;

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

// ---- Engine configuration (qvcfg.qbn) --------------------------------------
struct EngineConfig {
  uint32_t width = 0, height = 0;  // 0 x 0: the desktop size
  uint8_t useDesktop = 0;          // the file asked for the desktop size
  uint8_t showFirstFrame = 0;
  uint8_t imageExtOrder[5] = {};
  uint8_t soundExtOrder[2] = {};
  uint8_t frameThread = 0;
  uint8_t debug = 0;
  uint8_t soundMode = 0;  // 0 off, 1 on, 2 required
  uint8_t thickFrame = 0;
  uint8_t frameless = 0;
  uint8_t options[3] = {};
  char title[kTitleMaxBytes + 1] = {};  // " " when the file's is empty
  uint32_t tileW = 0, tileH = 0;        // texture tile sizes
};
extern EngineConfig g_EngineConfig;
// Desktop size used for a 0 x 0 screen; set by the start-up (tests set it).
extern uint32_t g_ConfigDesktopW, g_ConfigDesktopH;

// ---- Readers ----------------------------------------------------------------
// 0 ok; non-zero after the failure was reported (quit 1).
int Script_LoadErrorTexts();
int Script_LoadCommandTable();
int Script_LoadVarCounts();
int Script_LoadSceneList();
int Script_LoadVarFile();
int Script_LoadLabels();
int Script_LoadConfig();
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
int Script_ParseConfig(const uint8_t* data, size_t size, const char* name);
// Releases every table the readers built (tests and fuzzing).
void Script_FreeAll();

// Little-endian reads within a byte range; every read is bounds-checked and
// a miss sets `bad`, so a parser checks once at the end of each record.
struct ByteReader {
  const uint8_t* p;
  const uint8_t* end;
  bool bad = false;
  ByteReader(const uint8_t* data, size_t size) : p(data), end(data + size) {}
  size_t Left() const { return size_t(end - p); }
  bool Skip(size_t n);
  uint8_t U8();
  uint16_t U16();
  uint32_t U32();
  uint64_t U64();
  // A zero-terminated string inside the range; null (and bad) without one.
  const char* ZStr();
  // n raw bytes; null (and bad) when fewer are left.
  const uint8_t* Bytes(size_t n);
};
