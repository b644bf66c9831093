// Formats of the compiled script data files in qvbin, the engine
// configuration reader and the bounded byte reader that every reader of
// them uses. The readers that fill the VM's tables (command table, variable
// counts, scene list, variable definitions, labels) are the VM's
// (vm/script_load.h).
//
// Every reader finds its file over the four sources (File_LoadNeeded), then
// parses it with a bounded reader: a count, length or terminator that runs
// past the file's end is error 104010 with the file name, never an
// over-read. The Script_Parse* functions take the bytes directly (tests and
// fuzzing); the Script_Load* functions add the lookup.
#pragma once
#include <cstddef>
#include <cstdint>

#include "files/files_limits.h"

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

// 0 ok; non-zero after the failure was reported (quit 1).
int Script_LoadConfig();
int Script_ParseConfig(const uint8_t* data, size_t size, const char* name);

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
