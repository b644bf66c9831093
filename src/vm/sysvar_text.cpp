// Text system variables (Expr_GetSystemString): call-frame and task texts
// from the flow code, folders, task and tree names, one character by code,
// and the texts of the higher subsystems through their getters.
#include <cstring>

#include "base/base.h"
#include "platform/text.h"
#include "vm/sysvar_hooks.h"
#include "vm/vm.h"

namespace {

int32_t CopyOut(const char* s, size_t n, char* out) {
  if (n > size_t(kExprTextSize - 1)) n = kExprTextSize - 1;
  std::memcpy(out, s, n);
  out[n] = '\0';
  return int32_t(n);
}
int32_t CopyOut(const std::string& s, char* out) { return CopyOut(s.data(), s.size(), out); }

// Number 127: one character by its code. A single byte (ASCII or half-width
// katakana) gives one byte, a lead byte with a valid second byte two bytes;
// any other code, a lone lead byte included, gives "".
int32_t CharOfCode(int64_t code, char* out) {
  if ((code >= 0x01 && code <= 0x7F) || (code >= 0xA1 && code <= 0xDF)) {
    out[0] = char(code);
    out[1] = '\0';
    return 1;
  }
  if (code < 0x100 || code > 0xFFFF) return 0;
  uint8_t lead = uint8_t(code >> 8), trail = uint8_t(code);
  if (!Sjis_IsLead(lead) || trail < 0x40 || trail == 0x7F || trail > 0xFC) return 0;
  out[0] = char(lead);
  out[1] = char(trail);
  out[2] = '\0';
  return 2;
}

int32_t TreePath(int tree, char* out) {
  const char* p = g_TreeRoots[tree].curPath;
  return CopyOut(p, strnlen(p, kObjPathMax - 1), out);
}

}  // namespace

bool SysVar_AskTextHooks(int32_t number, int64_t index, char* out, size_t cap) {
  if (!cap) return false;
  for (SysVarTextHook h : {g_SysVarHooks.text, g_SysVarHooks.shellText}) {
    out[0] = '\0';
    if (h && h(number, index, out, cap)) return true;
  }
  out[0] = '\0';
  return false;
}

int32_t Expr_GetSystemString(uint32_t number, char* out, int64_t index) {
  out[0] = '\0';
  if (SysVar_GetFlowString(int32_t(number), index, out, kExprTextSize) ||
      SysVar_AskTextHooks(int32_t(number), index, out, kExprTextSize)) {
    return int32_t(strnlen(out, kExprTextSize - 1));
  }
  switch (number) {
    case 52: {
      uint32_t n = uint32_t(uint64_t(index) >> 32);
      if (n < kVarFirstUser || n >= g_VarTable.count || g_VarTable.vars[n].type != 3) return 0;
      const char* s = Var_GetStringElement(n, int64_t(uint32_t(index)));
      return s ? CopyOut(s, std::strlen(s), out) : 0;
    }
    case 103: return CopyOut(g_ExeDir, out);
    case 104: return CopyOut(g_DataDir, out);
    case 105: case 106: case 107: return CopyOut(Cfg_SaveFolderFor(number - 104), out);
    case 125: {
      const ObjNode* node = g_CurTask.node;
      return node && node->name ? CopyOut(node->name, node->nameLen, out) : 0;
    }
    case 127: return CharOfCode(index, out);
    case 128: return TreePath(kTreeLayer, out);
    case 129: return TreePath(kTreeSound, out);
    case 130: return TreePath(kTreeTask, out);
    case 131: return TreePath(kTreeMenu, out);
    default: return 0;  // 12, 14 and unlisted numbers
  }
}
