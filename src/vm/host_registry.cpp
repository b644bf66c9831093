// Command 76: a registry value into a variable. The values come from the
// registry text file of the game (platform/registry_file.h) in place of the
// system registry; a missing key or value behaves as a missing key does.
#include <string>

#include "base/base.h"
#include "platform/registry_file.h"
#include "platform/text.h"
#include "vm/host.h"
#include "vm/vm.h"

using namespace hostarg;

namespace {

constexpr const char* kRegRoots[] = {
    "HKEY_CLASSES_ROOT\\", "HKEY_CURRENT_USER\\",     "HKEY_LOCAL_MACHINE\\", "HKEY_USERS\\",
    "HKEY_PERFORMANCE_DATA\\", "HKEY_CURRENT_CONFIG\\", "HKEY_DYN_DATA\\",
};

// '/' becomes '\' except as the second byte of a double-byte character.
std::string NormalisePath(const char* s) {
  std::string out(s ? s : "");
  for (size_t i = 0; i < out.size(); ++i) {
    if (Sjis_IsLead(uint8_t(out[i]))) {
      ++i;
      continue;
    }
    if (out[i] == '/') out[i] = '\\';
  }
  return out;
}

bool HasRoot(const std::string& path) {
  for (const char* root : kRegRoots) {
    std::string r(root);
    if (path.size() >= r.size()) {
      bool same = true;
      for (size_t i = 0; i < r.size() && same; ++i) {
        char c = path[i];
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        same = c == r[i];
      }
      if (same) return true;
    }
  }
  return false;
}

// The registry files are read once, at the first query.
const RegFile& Registry() {
  static RegFile s_file;
  static bool s_loaded = false;
  if (!s_loaded) {
    s_loaded = true;
    std::string exe = g_ModulePathHost;
    size_t slash = exe.find_last_of('/');
    std::string game = slash == std::string::npos ? exe : exe.substr(slash + 1);
    std::string beside = g_ExeDirHost.empty() ? std::string(kRegistryFileName)
                                              : g_ExeDirHost + "/" + kRegistryFileName;
    s_file = Reg_LoadFiles(beside, game.empty() ? std::string("tavren") : game);
  }
  return s_file;
}

void ClearTarget(uint32_t var, int64_t index, uint8_t type) {
  if (type == 3) Var_SetStringElement(var, index, "");
  else if (type == 1 || type == 2) Var_SetIntElement(var, index, 0);
}

}  // namespace

RegFile* g_RegFileOverride = nullptr;

int32_t Cmd_RegRead() {
  if (Cmd_FetchArgs(76)) return -1;
  if (!Arg_Given(kRegTarget)) return 0;
  const ArgSlot& t = g_ArgSlot[g_ArgGiven[kRegTarget]];
  if (!t.varNamed || t.var >= g_VarTable.count) return 0;
  const uint8_t type = g_VarTable.vars[t.var].type;
  std::string path = NormalisePath(Arg_Str(kRegKey));
  if (!HasRoot(path)) return 0;
  const char* name = Arg_Given(kRegName) ? Arg_Str(kRegName) : "";
  const RegFile& file = g_RegFileOverride ? *g_RegFileOverride : Registry();
  const RegValue* v = Reg_Find(file, Text_SjisToUtf8(path), Text_SjisToUtf8(name ? name : ""));
  if (!v) {
    ClearTarget(t.var, t.varIndex, type);
    return 0;
  }
  if (v->kind == RegValue::Kind::Dword) {
    // A number goes into a number variable; a text target reads it as missing.
    if (type == 1 || type == 2) Var_SetIntElement(t.var, t.varIndex, int64_t(v->number));
    else ClearTarget(t.var, t.varIndex, type);
    return 0;
  }
  if (type != 3) return 0;  // a text value leaves a number target alone
  std::string text = Text_Utf8ToSjis(v->text);
  if (text.size() > kRegValueMaxBytes) text.resize(kRegValueMaxBytes);
  Var_SetStringElementN(t.var, t.varIndex, text.data(), text.size());
  return 0;
}
