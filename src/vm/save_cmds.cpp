// Commands 84, 55 and 85: variables, their elements, groups of variables
// and layer pictures into the DNO buffers and save files, and back.
#include "vm/save_cmds.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/base.h"
#include "files/save.h"
#include "files/save_payload.h"
#include "platform/fs.h"
#include "vm/vm.h"

SaveLayerHooks g_SaveLayerHooks;

using namespace savearg;

namespace {

constexpr int kCmdSave = 84, kCmdRead = 55, kCmdFree = 85;
constexpr int kErrType = 102120, kErrDimCount = 108080, kErrDimSize = 108090;
constexpr int kErrLayerItem = 108050, kErrVarItem = 108100, kErrNoLayer = 101250;
constexpr char kBoxNoMemory[] = "メモリ不足です。";
constexpr char kBoxBadDno[] = "( DNO = %d ) 不正なDNO番号を検出しました。";
constexpr char kBoxCgSize[] = "ＣＧサイズが大きすぎます。X=%d, Y=%d";

const ArgSlot& SlotOf(int id) { return g_ArgSlot[g_ArgGiven[id]]; }

void PutU32(std::vector<uint8_t>* v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v->push_back(uint8_t(x >> (8 * i)));
}
void PutBytes(std::vector<uint8_t>* v, const void* p, size_t n) {
  const auto* b = static_cast<const uint8_t*>(p);
  v->insert(v->end(), b, b + n);
}
uint32_t GetU32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

const char* TextOf(const Variable& v, int64_t i) { return v.strs && v.strs[i] ? v.strs[i] : ""; }

// The payload of a whole variable, or of its element `index`.
void VarPayload(const Variable& v, bool whole, int64_t index, std::vector<uint8_t>* out) {
  out->clear();
  PutU32(out, v.type);
  if (!whole) {
    PutU32(out, 0);
    if (v.type == 3) {
      const char* s = TextOf(v, index);
      PutU32(out, uint32_t(std::strlen(s)));
      PutBytes(out, s, std::strlen(s));
    } else {
      PutU32(out, 8);
      PutBytes(out, v.type == 1 ? static_cast<const void*>(&v.ints[index]) : &v.dbls[index], 8);
    }
    return;
  }
  PutU32(out, v.dimCount);
  for (int k = 0; k < v.dimCount; ++k) PutU32(out, v.dims[k]);
  size_t lenAt = out->size();
  PutU32(out, 0);
  for (int64_t i = 0; i < v.count; ++i) {
    if (v.type == 3) {
      const char* s = TextOf(v, i);
      PutU32(out, uint32_t(std::strlen(s)));
      PutBytes(out, s, std::strlen(s));
    } else {
      PutBytes(out, v.type == 1 ? static_cast<const void*>(&v.ints[i]) : &v.dbls[i], 8);
    }
  }
  uint32_t len = uint32_t(out->size() - lenAt - 4);
  for (int i = 0; i < 4; ++i) (*out)[lenAt + i] = uint8_t(len >> (8 * i));
}

// The layer of the path and number ids; null after 101250 (or the path's
// own error).
ObjNode* NamedLayer(int cmd, int pathId, int numberId) {
  std::string path;
  bool bad = false;
  ObjNode* node = Cmd_FindLayerArg(pathId, numberId, &path, &bad);
  if (!node && !bad) Err_ScriptF(kErrNoLayer, 1, Cmd_Name(cmd), path.c_str());
  return node;
}

int NoMemory() {
  Sys_MessageBoxF("", kBoxNoMemory);
  return -1;
}

int AppendVar(int buf, uint32_t number, bool whole, int64_t index, std::vector<uint8_t>* scratch) {
  const Variable& v = g_VarTable.vars[number];
  if (number > 0xFFFF || v.type < 1 || v.type > 3 || index < 0 || index >= v.count) {
    Err_Script(kSaveErrCorrupt, 1);  // a variable number or element the item cannot hold
    return -1;
  }
  VarPayload(v, whole, index, scratch);
  if (scratch->size() > kSaveMaxVarPayload) {
    Err_Script(kSaveErrTooLong, 1);
    return -1;
  }
  if (Save_AppendItem(buf, kSaveItemVar, uint16_t(number), scratch->data(), uint32_t(scratch->size())) != 0)
    return NoMemory();
  return 0;
}

// Fills DNO buffer `buf` with the item the arguments describe.
int FillBuffer(int buf) {
  static std::vector<uint8_t> scratch;  // kept for the run: it only grows
  int type = -1, group = -1;
  for (int t = 0; t < 3; ++t)
    for (int g = 0; g < 4; ++g)
      if (Arg_Given(kFlagFirst + 4 * t + g)) {
        type = type > t ? type : t;
        group = group > g ? group : g;
      }
  if (type >= 0) {
    uint32_t at = Save_BeginGroup(buf);
    for (uint32_t n = kVarFirstUser; n < g_VarTable.count; ++n) {
      const Variable& v = g_VarTable.vars[n];
      if (v.type != uint8_t(type + 1) || v.group != uint8_t(group + 1)) continue;
      if (AppendVar(buf, n, true, 0, &scratch) != 0) return -1;
    }
    Save_EndGroup(buf, at);
    return 0;
  }
  if (Arg_Given(kLayer)) {
    ObjNode* node = NamedLayer(kCmdSave, kLayer, kNumber);
    if (!node) return -1;
    uint32_t w = 0, h = 0;
    const uint8_t* px = nullptr;
    if (!g_SaveLayerHooks.picture || !g_SaveLayerHooks.picture(node, &w, &h, &px)) {
      Err_ScriptF(kErrNoLayer, 1, Cmd_Name(kCmdSave), Arg_Str(kLayer) ? Arg_Str(kLayer) : "");
      return -1;
    }
    uint64_t pix = uint64_t(w) * 4 * h;
    scratch.assign(8 + kSaveLayerBlockBytes, 0);
    auto set = [&](size_t at, uint32_t x) {
      for (int i = 0; i < 4; ++i) scratch[at + i] = uint8_t(x >> (8 * i));
    };
    set(0, kSaveLayerBlockBytes);
    set(4, uint32_t(pix));
    set(8 + kSaveLayerWidthAt, w);
    set(8 + kSaveLayerHeightAt, h);
    PutBytes(&scratch, px, size_t(pix));
    if (Save_AppendItem(buf, kSaveItemLayer, 0, scratch.data(), uint32_t(scratch.size())) != 0)
      return NoMemory();
    return 0;
  }
  if (!Arg_Given(kVar) || !SlotOf(kVar).varNamed) return 0;
  const ArgSlot& s = SlotOf(kVar);
  if (s.var < kVarFirstUser || s.var >= g_VarTable.count || !g_VarTable.vars[s.var].type) return 0;
  return AppendVar(buf, s.var, s.varWhole != 0, s.varWhole ? 0 : s.varIndex, &scratch);
}

// The host path of a script's save-file name, or -1 after 102160 / 102150.
int SavePath(int cmd, int nameId, std::string* host, std::string* name) {
  const char* given = Arg_Str(nameId) ? Arg_Str(nameId) : "";
  int rc = Save_BuildName(given, name);
  if (rc) {
    Err_ScriptF(rc, 1, Cmd_Name(cmd), given);
    return -1;
  }
  *host = Fs_ResolvePath(g_SavePath + *name);
  return 0;
}

const char* ErrnoText(int e) {
  if (e >= 0 && e < kErrnoTextCount && g_CmdTable.errnoTexts[e]) return g_CmdTable.errnoTexts[e];
  return std::strerror(e);
}

}  // namespace

int32_t Cmd_SaveData() {
  if (Cmd_FetchArgs(kCmdSave)) return -1;
  if (Arg_Given(kDno)) {
    int64_t dno = Arg_Int(kDno, 0);
    if (dno < 1 || dno > kSaveBufferCount) {
      Err_ScriptF(kSaveErrBusy, 1, Cmd_Name(kCmdSave), Cmd_ArgName(kCmdSave, kDno), dno);
      return -1;
    }
    int buf = int(dno - 1);
    if (g_SaveBuffers[buf].size != 0) {
      Err_ScriptF(kSaveErrBusy, 1, Cmd_Name(kCmdSave), Cmd_ArgName(kCmdSave, kDno), dno);
      return -1;
    }
    if (FillBuffer(buf) != 0) {
      Save_FreeBuffers(buf);
      return -1;
    }
  }
  if (!Arg_Given(kFile)) return 0;
  std::string host, name;
  if (SavePath(kCmdSave, kFile, &host, &name) != 0) return -1;
  int sysErr = 0;
  int rc = Save_WriteFile(host, &sysErr);
  if (rc == 0) return 0;
  if (rc == kSaveErrCreate) {
    Err_ScriptF(rc, 1, Cmd_Name(kCmdSave), name.c_str(), sysErr, ErrnoText(sysErr));
  } else if (rc == kSaveErrCorrupt) {
    Sys_MessageBoxF("", kBoxBadDno, 0);
    Err_Script(rc, 1);
  } else {
    Err_ScriptF(rc, 1, Cmd_Name(kCmdSave), name.c_str());
  }
  return -1;
}

int32_t Cmd_SaveDataFreeAll() {
  if (Cmd_FetchArgs(kCmdFree)) return -1;
  Save_FreeBuffers(-1);
  return 0;
}

// ---- Reading ---------------------------------------------------------------

namespace {

const char* DeclName(uint8_t type) { return Cmd_Name(type == 1 ? 51 : type == 2 ? 26 : 90); }

// Restores a checked variable payload into `number`: the whole variable, or
// from element `index` on. 0, or -1 after a report.
int RestoreVar(const uint8_t* p, size_t len, uint32_t number, bool whole, int64_t index) {
  SaveVarPayload pl;
  int rc = Save_ParseVarPayload(p, len, &pl);
  if (rc) {
    Err_Script(rc, 1);
    return -1;
  }
  if (number >= g_VarTable.count || !g_VarTable.vars[number].type) {
    Err_Script(kSaveErrCorrupt, 1);
    return -1;
  }
  Variable& v = g_VarTable.vars[number];
  if (pl.type != v.type) {
    Err_ScriptF(kErrType, 1, Cmd_Name(kCmdRead), DeclName(v.type));
    return -1;
  }
  if (whole) {
    if (pl.dimCount != v.dimCount) {
      Err_Script(kErrDimCount, 1);
      return -1;
    }
    for (uint32_t k = 0; k < pl.dimCount; ++k)
      if (pl.dims[k] != v.dims[k]) {
        Err_Script(kErrDimSize, 1);
        return -1;
      }
    index = 0;
  }
  // Every element the payload holds must land inside the target.
  uint64_t n = pl.type == 3 ? (pl.bareText ? 1 : 0) : pl.dataLen / 8;
  if (pl.type == 3 && !pl.bareText)
    for (size_t q = 0; q < pl.dataLen; ++n) q += 4 + GetU32(pl.data + q);
  if (index < 0 || uint64_t(index) + n > uint64_t(v.count)) {
    Err_Script(kErrDimSize, 1);
    return -1;
  }
  if (pl.type == 3) {
    if (pl.bareText)
      return Var_SetStringElementN(number, index, reinterpret_cast<const char*>(pl.data), pl.dataLen) ? -1 : 0;
    size_t q = 0;
    for (int64_t i = index; q < pl.dataLen; ++i) {
      uint32_t l = GetU32(pl.data + q);
      if (Var_SetStringElementN(number, i, reinterpret_cast<const char*>(pl.data + q + 4), l)) return -1;
      q += 4 + l;
    }
    return 0;
  }
  void* dst = pl.type == 1 ? static_cast<void*>(v.ints + index) : static_cast<void*>(v.dbls + index);
  std::memcpy(dst, pl.data, size_t(n) * 8);
  return 0;
}

int RestoreLayer(ObjNode* node, const std::vector<uint8_t>& bytes) {
  SaveLayerPayload pl;
  int rc = Save_ParseLayerPayload(bytes.data(), bytes.size(), &pl);
  if (rc == kSaveErrNoMemory) {
    Sys_MessageBoxF("", kBoxCgSize, int(pl.width), int(pl.height));
    Err_Script(kSaveErrNoMemory, 1);
    return -1;
  }
  if (rc) {
    Err_Script(rc, 1);
    return -1;
  }
  if (!g_SaveLayerHooks.restore) return 0;
  return g_SaveLayerHooks.restore(node, pl.width, pl.height, pl.pixels) ? -1 : 0;
}

}  // namespace

int32_t Cmd_SaveRead() {
  if (Cmd_FetchArgs(kCmdRead)) return -1;
  ObjNode* layer = nullptr;
  if (Arg_Given(kRLayer) && !(layer = NamedLayer(kCmdRead, kRLayer, kRNumber))) return -1;
  std::string host, name;
  if (SavePath(kCmdRead, kRFile, &host, &name) != 0) return -1;
  SaveItem item;
  int64_t dno = Arg_Int(kRDno, 0);
  int rc = Save_ReadItem(host, int(dno < 0 || dno > kSaveBufferCount ? 0 : dno), &item);
  if (rc == kSaveErrNoRecord) {
    // The script goes on: a missing record is something it may test for.
    Err_ScriptF(rc, 0, Cmd_Name(kCmdRead), Cmd_ArgName(kCmdRead, kRDno));
    return 0;
  }
  if (rc == kSaveErrOpenRead) {
    Err_ScriptF(rc, 1, Cmd_Name(kCmdRead), Cmd_ArgName(kCmdRead, kRFile), name.c_str());
    return -1;
  }
  if (rc) {
    Err_Script(rc, 1);
    return -1;
  }
  if (item.kind == kSaveItemGroup) {
    size_t pos = 0;
    while (pos < item.stored.size()) {
      SaveItem sub;
      size_t used = 0;
      std::vector<uint8_t> bytes;
      if (Save_ParseItem(item.stored.data() + pos, item.stored.size() - pos, &sub, &used) != 0 ||
          sub.kind != kSaveItemVar) {
        Err_Script(kSaveErrCorrupt, 1);
        return -1;
      }
      if (Save_Uncompress(sub.stored.data(), uint32_t(sub.stored.size()), sub.unpacked, &bytes) != 0) return -1;
      if (RestoreVar(bytes.data(), bytes.size(), sub.varNo, true, 0) != 0) return -1;
      pos += used;
    }
    return 1;  // the task goes on in the next pass
  }
  if (item.kind != kSaveItemVar && item.kind != kSaveItemLayer) {
    Err_Script(kSaveErrCorrupt, 1);
    return -1;
  }
  if (item.kind == kSaveItemLayer && !layer) {
    Err_Script(kErrLayerItem, 1);
    return -1;
  }
  if (item.kind == kSaveItemVar && layer) {
    Err_Script(kErrVarItem, 1);
    return -1;
  }
  std::vector<uint8_t> bytes;
  if (Save_Uncompress(item.stored.data(), uint32_t(item.stored.size()), item.unpacked, &bytes) != 0) return -1;
  if (layer) return RestoreLayer(layer, bytes);
  if (!Arg_Given(kRVar) || !SlotOf(kRVar).varNamed) return 0;
  const ArgSlot& t = SlotOf(kRVar);
  return RestoreVar(bytes.data(), bytes.size(), t.var, t.varWhole != 0, t.varWhole ? 0 : t.varIndex);
}
