// Commands 21, 22 and 8 over the four file sources and the host's files.
#include "vm/file_cmds.h"

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include "base/base.h"
#include "files/files.h"
#include "platform/file_ops.h"
#include "platform/fs.h"
#include "vm/cmd_schema.h"
#include "vm/save_cmds.h"
#include "vm/vm.h"

using namespace filearg;

namespace {

const ArgSlot& SlotOf(int id) { return g_ArgSlot[g_ArgGiven[id]]; }

// A script's name: lower-cased, '/' as '\' (double-byte characters whole).
std::string ScriptName(int id) {
  const char* s = Arg_Str(id);
  std::string n = s ? s : "";
  Str_ReplaceCharSjis(n.data(), '/', '\\');
  Str_ToLowerSjis(n.data());
  return n;
}

std::string Host(const std::string& engineName) { return Fs_ResolvePath(engineName); }

bool EndsWithCi(const std::string& s, const char* tail) { return Str_EndsWith(s.c_str(), tail); }

int64_t Clamp(int64_t v, int64_t lo, int64_t hi) { return v < lo ? lo : v > hi ? hi : v; }

int SaveLayer() {
  std::string path;
  bool bad = false;
  ObjNode* node = Cmd_FindLayerArg(kLayer, kNumber, &path, &bad);
  if (bad) return -1;
  if (!node) {
    Err_ScriptF(101250, 1, Cmd_Name(21), path.c_str());
    return -1;
  }
  int format = Arg_Given(kJpeg) ? 2 : Arg_Given(kPng) ? 1 : Arg_Given(kBmp) ? 0 : 1;
  const char* ext = format == 0 ? ".bmp" : format == 1 ? ".png" : ".jpg";
  std::string name = ScriptName(kFile);
  if (name.empty()) return 0;
  if (!EndsWithCi(name, ext)) name += ext;
  int level = format == 2 ? int(Clamp(Arg_Int(kLevel, kJpegQualityDefault), 1, 100))
                          : int(Clamp(Arg_Int(kLevel, kPngLevelDefault), 0, 9));
  if (!g_SaveLayerHooks.saveImage) return -1;
  return g_SaveLayerHooks.saveImage(node, Host(name).c_str(), format, level) ? -1 : 0;
}

int Preload(int id, int kind) {
  int64_t n = Arg_Int(id, 0);
  if (n < 1 || n > kMemCacheGroups) return 0;
  std::string name = ScriptName(kFile);
  if (name.empty()) return 0;
  return File_PreloadToMemCache(int(n - 1), name.c_str(), kind) < 0 ? -1 : 0;
}

}  // namespace

int32_t Cmd_File() {
  if (Cmd_FetchArgs(21)) return -1;
  if (Arg_Given(kPreImage) && Preload(kPreImage, kResolveImage)) return -1;
  if (Arg_Given(kPreSound) && Preload(kPreSound, kResolveSound)) return -1;
  if (Arg_Given(kLayer) && SaveLayer()) return -1;
  std::string file = ScriptName(kFile), file2 = ScriptName(kFile2), folder = ScriptName(kFolder);
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  // Platform failures below are not the script's errors: it goes on.
  if (Arg_Given(kMkdir) && !folder.empty()) FileOps_MakeDirs(Host(folder));
  if (Arg_Given(kCopy) && !file.empty() && !file2.empty()) FileOps_Copy(Host(file), Host(file2));
  if (Arg_Given(kDelete)) {
    if (Arg_Given(kFile) && !file.empty()) FileOps_Delete(Host(file));
    if (Arg_Given(kFolder) && !folder.empty()) FileOps_RemoveDir(Host(folder));
  }
  std::string params = Arg_Str(kParams) ? Arg_Str(kParams) : "";
  if (!file.empty()) {
    if (Arg_Given(kRun)) FileOps_Run(Host(file), params, false);
    else if (Arg_Given(kRunWait)) FileOps_Run(Host(file), params, true);  // the frame waits
  }
  return 0;
}

namespace {

enum class QueryMode { Folder, File, Image, Sound };

bool ExistsIn(const std::string& name, QueryMode mode) {
  if (name.empty()) return false;
  if (mode == QueryMode::Folder) return FileOps_IsDir(Host(name));
  FileRef ref;
  if (mode == QueryMode::File) return File_Lookup(ref, name.c_str(), false) > 0;
  // The resolver's own extension lists, so that "exists" answers what a
  // load would find.
  char out[kFilePathMax];
  return File_Resolve(ref, out, name.c_str(), mode == QueryMode::Image ? kResolveImage : kResolveSound) == 0;
}

// The size of a file in any source: a loose file by its directory entry,
// a packed or cached one by its data.
int64_t SizeOf(const std::string& name) {
  if (name.empty()) return 0;
  FileRef ref;
  int src = File_Lookup(ref, name.c_str(), false);
  if (src <= 0) return 0;
  if (src == kFileSrcLoose) {
    std::string host = Host(name);
    return FileOps_IsFile(host) ? Fs_FileSize(host) : 0;
  }
  if (File_Load(ref, name.c_str()) != 0) return 0;
  int64_t n = ref.size;
  std::free(ref.data);
  return n;
}

int StoreNumber(int64_t v) {
  const ArgSlot& t = SlotOf(kQResult);
  if (!t.varNamed || t.var >= g_VarTable.count) return 0;
  uint8_t type = g_VarTable.vars[t.var].type;
  if (type != 1 && type != 2) {
    Err_Script(101140, 1);
    return -1;
  }
  Var_SetIntElement(t.var, t.varIndex, v);
  return 0;
}

}  // namespace

int32_t Cmd_FileQuery() {
  if (Cmd_FetchArgs(22)) return -1;
  if (!Arg_Given(kQResult)) return 0;
  QueryMode mode = QueryMode::File;
  int nameId = kQFile;
  // The last one given decides, in slot order.
  int best = 0;
  const QueryMode modes[] = {QueryMode::Folder, QueryMode::File, QueryMode::Image, QueryMode::Sound};
  for (int id = kQFolder; id <= kQSound; ++id)
    if (Arg_Given(id) && g_ArgGiven[id] > best) {
      best = g_ArgGiven[id];
      mode = modes[id];
      nameId = id;
    }
  std::string name = ScriptName(nameId);
  if (Arg_Given(kQExists)) return StoreNumber(ExistsIn(name, mode) ? 1 : 0);
  if (Arg_Given(kQSize)) return StoreNumber(mode == QueryMode::File ? SizeOf(name) : 0);
  if (Arg_Given(kQProgram)) {
    const ArgSlot& t = SlotOf(kQResult);
    if (!t.varNamed || t.var >= g_VarTable.count) return 0;
    if (g_VarTable.vars[t.var].type != 3) return StoreNumber(0);
    std::string prog = mode == QueryMode::Folder ? "" : FileOps_AssociatedProgram(Host(name));
    Var_SetStringElementN(t.var, t.varIndex, prog.data(), prog.size());
  }
  return 0;
}

int32_t Cmd_LoadTextTable() {
  if (Cmd_FetchArgs(8)) return -1;
  if (!Arg_Given(kTTarget) || !SlotOf(kTTarget).varNamed) return 0;
  std::string name = ScriptName(kTFile);
  FileRef ref;
  if (File_LoadNeeded(ref, name.c_str()) != 0) return -1;
  std::vector<std::string> fields = File_SplitTextTable(ref.data, ref.size);
  std::free(ref.data);
  const ArgSlot& t = SlotOf(kTTarget);
  if (Arg_Given(kTCount)) return Var_SetIntElement(t.var, t.varIndex, int64_t(fields.size())) == 0 ? 0 : -1;
  if (!Arg_Given(kTSplit)) return 0;
  if (t.var >= g_VarTable.count || g_VarTable.vars[t.var].type != 3) {
    Err_Script(101140, 1);
    return -1;
  }
  // The array grows to hold every element.
  if (int64_t(fields.size()) > g_VarTable.vars[t.var].count && Var_Resize(t.var, int64_t(fields.size())) != 0)
    return -1;
  for (size_t i = 0; i < fields.size(); ++i)
    if (Var_SetStringElementN(t.var, int64_t(i), fields[i].data(), fields[i].size()) != 0) return -1;
  return 0;
}

namespace {
constexpr CmdArgSchema kFileArgs[] = {
    {kFile, "file", kArgText, 0, 0},       {kFile2, "file2", kArgText, 0, 0},
    {kFolder, "folder", kArgText, 0, 0},   {kMkdir, "mkdir", kArgInt, 0, 0},
    {kCopy, "copy", kArgInt, 0, 0},        {kDelete, "delete", kArgInt, 0, 0},
    {kRun, "run", kArgInt, 0, 0},          {kRunWait, "runwait", kArgInt, 0, 0},
    {kParams, "params", kArgText, 0, 0},   {kLevel, "level", kArgInt, 0, 0},
    {kLayer, "layer", kArgText, 0, 0},     {kNumber, "number", kArgInt, 0, 0},
    {kBmp, "bmp", kArgInt, 0, 0},          {kPng, "png", kArgInt, 0, 0},
    {kJpeg, "jpeg", kArgInt, 0, 0},        {kPreImage, "preimage", kArgInt, 0, 0},
    {kPreSound, "presound", kArgInt, 0, 0},
};
constexpr CmdArgSchema kQueryArgs[] = {
    {kQFolder, "folder", kArgText, 0, 0}, {kQFile, "file", kArgText, 0, 0},
    {kQImage, "image", kArgText, 0, 0},   {kQSound, "sound", kArgText, 0, 0},
    {kQExists, "exists", kArgInt, 0, 0},  {kQSize, "size", kArgInt, 0, 0},
    {kQProgram, "program", kArgInt, 0, 0}, {kQResult, "result", kArgInt, 0, 0},
};
constexpr CmdArgSchema kTableArgs[] = {
    {kTFile, "file", kArgText, 0, 0},  {kTCount, "count", kArgInt, 0, 0},
    {kTSplit, "split", kArgInt, 0, 0}, {kTTarget, "target", kArgInt, 0, 0},
};
constexpr CmdSchemaEntry kFileCmds[] = {
    {8, "texttable", Cmd_LoadTextTable, kTArgs, kTableArgs, uint8_t(std::size(kTableArgs))},
    {21, "file", Cmd_File, kCount, kFileArgs, uint8_t(std::size(kFileArgs))},
    {22, "filequery", Cmd_FileQuery, kQCount, kQueryArgs, uint8_t(std::size(kQueryArgs))},
};
}  // namespace

void CmdSchema_RegisterFiles() { CmdSchema_Add(kFileCmds, std::size(kFileCmds)); }
