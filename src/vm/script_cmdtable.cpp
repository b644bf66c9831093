// Readers of the error texts (qve.qbn) and the command table (qvc.qbn).
// Both keep their file image for the run: the tables point into it.
#include <cstdlib>
#include <cstring>

#include "files/script_internal.h"
#include "vm/script_load.h"
#include "base/base.h"
#include "vm/cmd_schema.h"
#include "vm/vm.h"

CmdTable g_CmdTable;

namespace {
uint8_t* g_ErrImage = nullptr;
uint8_t* g_CmdImage = nullptr;

void Keep(uint8_t*& slot, uint8_t* data) {
  std::free(slot);
  slot = data;
}
}  // namespace

int Script_ParseErrorTexts(uint8_t* data, size_t size, const char* name) {
  Keep(g_ErrImage, data);
  g_ErrTextTable = ErrTextTable{};
  ByteReader r(data, size);
  r.Skip(8);
  uint32_t n = r.U32();
  r.Skip(4);
  if (r.bad) return script::BadFile(name);
  ErrTextTable t;
  uint32_t take = n < uint32_t(kErrTextTableMax) ? n : uint32_t(kErrTextTableMax);
  for (uint32_t i = 0; i < take; ++i) {
    uint32_t number = r.U32();
    const char* text = r.ZStr();
    if (r.bad) return script::BadFile(name);
    t.numbers[i] = number;
    t.texts[i] = text;
  }
  t.count = int32_t(take);
  g_ErrTextTable = t;
  return 0;
}

namespace {

// Defaults every id to name "?", kind int, check none.
void ClearCmdTable() {
  g_CmdTable.fileCount = 0;
  for (int c = 0; c < kCmdCount; ++c) {
    g_CmdTable.names[c] = "?";
    g_CmdTable.argCount[c] = 0;
    for (int a = 0; a < kArgIdMax; ++a) {
      g_CmdTable.argNames[c][a] = "?";
      g_CmdTable.argKinds[c][a] = kArgInt;
      g_CmdTable.argChecks[c][a] = 0;
    }
  }
  for (auto& s : g_CmdTable.errnoTexts) s = "";
}

// Where a game's table disagrees with what a handler needs so that the
// fetcher would evaluate data as an expression, the program's kind wins.
void ApplySchema() {
  for (int c = 0; c < kCmdCount; ++c) {
    for (int a = 0; a < kArgIdMax; ++a) {
      uint8_t& kind = g_CmdTable.argKinds[c][a];
      if (kind > kArgRaw) kind = kArgRaw;
      if (g_CmdTable.argChecks[c][a] > 28) g_CmdTable.argChecks[c][a] = 0;
      const CmdArgSchema* s = CmdSchema_Arg(c, a);
      if (s && s->forceRaw) kind = kArgRaw;
    }
  }
}

bool ParseCommand(ByteReader& r, int c) {
  const char* name = r.ZStr();
  uint8_t argc = r.U8();
  if (r.bad) return false;
  bool keep = c < kCmdCount;
  if (keep) {
    g_CmdTable.names[c] = name;
    g_CmdTable.argCount[c] = argc;
  }
  for (int a = 0; a < argc; ++a) {
    const char* an = r.ZStr();
    uint8_t kind = r.U8();
    uint8_t check = r.U8();
    if (r.bad) return false;
    if (keep) {
      g_CmdTable.argNames[c][a] = an;
      g_CmdTable.argKinds[c][a] = kind;
      g_CmdTable.argChecks[c][a] = check;
    }
  }
  return true;
}

}  // namespace

int Script_ParseCommandTable(uint8_t* data, size_t size, const char* name) {
  Keep(g_CmdImage, data);
  ClearCmdTable();
  ByteReader r(data, size);
  r.Skip(8);
  uint32_t n = r.U32();
  r.Skip(4);
  // A table shorter than the engine's command numbers would leave handlers
  // without names and argument kinds.
  if (r.bad || n < uint32_t(kCmdCount)) return script::BadFile(name);
  for (uint32_t c = 0; c < n; ++c) {
    if (!ParseCommand(r, int(c))) return script::BadFile(name);
  }
  for (auto& s : g_CmdTable.errnoTexts) {
    s = r.ZStr();
    if (r.bad) return script::BadFile(name);
  }
  const uint8_t* tail = r.Bytes(kCmdTableTailBytes);
  if (!tail) return script::BadFile(name);
  std::memcpy(g_CmdTable.tail, tail, kCmdTableTailBytes);
  g_CmdTable.fileCount = n;
  ApplySchema();
  CmdSchema_FillHandlers(g_CmdHandlers);
  return 0;
}

int Script_LoadErrorTexts() {
  FileImage img;
  if (!script::ReadFile(kFileErrTexts, &img)) return 1;
  return Script_ParseErrorTexts(img.data, img.size, kFileErrTexts);
}

int Script_LoadCommandTable() {
  FileImage img;
  if (!script::ReadFile(kFileCmdTable, &img)) return 1;
  return Script_ParseCommandTable(img.data, img.size, kFileCmdTable);
}

void Script_FreeCmdImages() {
  g_ErrTextTable = ErrTextTable{};
  ClearCmdTable();
  Keep(g_ErrImage, nullptr);
  Keep(g_CmdImage, nullptr);
}
