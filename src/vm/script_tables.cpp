// Readers of the variable counts (qvt.qbn), the scene list (qvt_list.qbn),
// the variable definitions (qvv.qbn, kept whole) and the labels (qvl.qbn).
#include <cstdlib>
#include <cstring>

#include "files/script_internal.h"
#include "vm/script_load.h"
#include "base/base.h"
#include "vm/vm.h"

SceneList g_SceneList;
VarDefFile g_VarDefFile;

const char* Scene_FileName(uint32_t scene) {
  if (scene >= g_SceneList.count || !g_SceneList.names || !g_SceneList.names[scene]) return "";
  return g_SceneList.names[scene];
}

namespace {
// A file's bytes freed when the reader returns (readers that keep nothing).
struct ImageGuard {
  FileImage img;
  ~ImageGuard() { std::free(img.data); }
};

void FreeSceneList() {
  for (uint32_t i = 0; g_SceneList.names && i < g_SceneList.count; ++i) std::free(g_SceneList.names[i]);
  std::free(g_SceneList.names);
  std::free(g_SceneList.values);
  std::free(g_SceneList.numbers);
  g_SceneList = SceneList{};
  for (uint32_t i = 0; g_SceneTable.scenes && i < g_SceneTable.count; ++i) delete g_SceneTable.scenes[i];
  std::free(g_SceneTable.scenes);
  g_SceneTable = SceneTable{};
}

void FreeLabels() {
  for (uint32_t i = 0; g_LabelTable.labels && i < g_LabelTable.count; ++i) std::free(g_LabelTable.labels[i].name);
  std::free(g_LabelTable.labels);
  g_LabelTable = LabelTable{};
}
}  // namespace

int Script_ParseVarCounts(const uint8_t* data, size_t size, const char* name) {
  ByteReader r(data, size);
  r.Skip(4);
  uint32_t version = r.U32();
  uint32_t n = r.U32();
  uint32_t value = r.U32();
  if (r.bad) return script::BadFile(name);
  if (version != kDataVersion) {
    Err_ShowF(105000, 1, name);
    return 1;
  }
  // n + 1 records. Variable numbers of the definitions are 16-bit; a count
  // far beyond any game's is a damaged file, not a reason to allocate.
  if (n >= kVarTableMax) return script::BadFile(name);
  if (Var_AllocTable(n + 1) != 0) return 1;
  g_SysVarCountValue = value;
  return 0;
}

int Script_ParseSceneList(const uint8_t* data, size_t size, const char* name) {
  FreeSceneList();
  ByteReader r(data, size);
  r.Skip(8);
  uint32_t count = r.U32();
  // Every record takes at least 28 bytes: a count the file cannot hold is
  // refused before anything is allocated for it.
  if (r.bad || count > r.Left() / kQvtListFixed) return script::BadFile(name);
  if (Scene_AllocTable(count) != 0) return 1;
  g_SceneList.names = static_cast<char**>(std::calloc(count ? count : 1, sizeof(char*)));
  g_SceneList.values = static_cast<uint32_t*>(std::calloc(count ? count : 1, sizeof(uint32_t)));
  g_SceneList.numbers = static_cast<uint32_t*>(std::calloc(count ? count : 1, sizeof(uint32_t)));
  if (!g_SceneList.names || !g_SceneList.values || !g_SceneList.numbers) {
    Err_Show(100010, 1);
    return 1;
  }
  g_SceneList.count = count;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t scene = r.U32();
    uint32_t len = r.U32();
    const uint8_t* bytes = r.Bytes(len);
    r.Skip(16);
    uint32_t value = r.U32();
    if (r.bad) return script::BadFile(name);
    if (scene >= count) {
      Err_ShowF(901030, 1, name);
      return 1;
    }
    char* copy = static_cast<char*>(std::malloc(size_t(len) + 1));
    if (!copy) {
      Err_Show(100010, 1);
      return 1;
    }
    std::memcpy(copy, bytes, len);
    copy[len] = '\0';
    std::free(g_SceneList.names[scene]);
    g_SceneList.names[scene] = copy;
    g_SceneList.values[i] = value;
    g_SceneList.numbers[i] = scene;
  }
  // Gaps in the list read as empty names, never as null.
  for (uint32_t i = 0; i < count; ++i) {
    if (!g_SceneList.names[i]) g_SceneList.names[i] = static_cast<char*>(std::calloc(1, 1));
  }
  return 0;
}

// Every record is parsed once here, so applying them later cannot run past
// the file.
int Script_ParseVarFile(uint8_t* data, size_t size, const char* name) {
  std::free(g_VarDefFile.data);
  g_VarDefFile = VarDefFile{data, size, 0};
  ByteReader r(data, size);
  r.Skip(8);
  uint16_t count = r.U16();
  if (r.bad) {
    g_VarDefFile.size = 0;
    return script::BadFile(name);
  }
  const uint8_t* p = data + kQvvRecords;
  const uint8_t* end = data + size;
  for (uint16_t i = 0; i < count; ++i) {
    VarDefView d;
    size_t used = VarDef_Parse(p, end, &d);
    if (!used) return script::BadFile(name);
    p += used;
  }
  g_VarDefFile.count = count;
  return 0;
}

int Script_ParseLabels(const uint8_t* data, size_t size, const char* name) {
  FreeLabels();
  ByteReader r(data, size);
  r.Skip(8);
  uint32_t count = r.U32();
  uint32_t first[kLabelBuckets];
  for (auto& f : first) f = r.U32();
  if (r.bad || count > r.Left() / kQvlFixed) return script::BadFile(name);
  auto* labels = static_cast<LabelRec*>(std::calloc(count ? count : 1, sizeof(LabelRec)));
  if (!labels) {
    Err_Show(100010, 1);
    return 1;
  }
  g_LabelTable.labels = labels;
  g_LabelTable.count = count;
  std::memcpy(g_LabelTable.first, first, sizeof first);
  g_LabelTable.first[0] = 0;
  for (uint32_t i = 0; i < count; ++i) {
    LabelRec& l = labels[i];
    uint8_t len = r.U8();
    const uint8_t* bytes = r.Bytes(len);
    l.hash = r.U32();
    l.pc = r.U32();
    l.scene = r.U16();
    l.ifDepth = r.U8();
    l.loopDepth = r.U8();
    // A label must name a listed scene and depths the frames can hold.
    if (r.bad || l.scene >= g_SceneList.count || l.ifDepth > kVmMaxOpenDepth || l.loopDepth > kVmMaxOpenDepth) {
      g_LabelTable.count = i;
      return script::BadFile(name);
    }
    l.name = static_cast<char*>(std::malloc(size_t(len) + 1));
    if (!l.name) {
      g_LabelTable.count = i;
      Err_Show(100010, 1);
      return 1;
    }
    std::memcpy(l.name, bytes, len);
    l.name[len] = '\0';
  }
  return 0;
}

int Script_LoadVarCounts() {
  ImageGuard g;
  if (!script::ReadFile(kFileVarCounts, &g.img)) return 1;
  return Script_ParseVarCounts(g.img.data, g.img.size, kFileVarCounts);
}

int Script_LoadSceneList() {
  ImageGuard g;
  if (!script::ReadFile(kFileSceneList, &g.img)) return 1;
  return Script_ParseSceneList(g.img.data, g.img.size, kFileSceneList);
}

int Script_LoadVarFile() {
  FileImage img;
  if (!script::ReadFile(kFileVarDefs, &img)) return 1;
  return Script_ParseVarFile(img.data, img.size, kFileVarDefs);
}

int Script_LoadLabels() {
  ImageGuard g;
  if (!script::ReadFile(kFileLabels, &g.img)) return 1;
  return Script_ParseLabels(g.img.data, g.img.size, kFileLabels);
}

void Script_FreeTables() {
  FreeSceneList();
  FreeLabels();
  std::free(g_VarDefFile.data);
  g_VarDefFile = VarDefFile{};
  Var_FreeTable();
}
