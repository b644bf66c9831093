// Scene loading: a compiled scene file becomes threaded code (one handler
// per instruction) on its first use. Everything in the file is checked here,
// once: section sizes, argument counts, value types, expression ranges and
// the program counters that block commands carry, so that the runner and
// the fetcher never re-check.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files/files.h"
#include "base/base.h"
#include "vm/vm.h"

SceneTable g_SceneTable;

SceneRec::~SceneRec() { std::free(image); }

int Scene_AllocTable(uint32_t count) {
  auto** t = static_cast<SceneRec**>(std::calloc(count ? count : 1, sizeof(SceneRec*)));
  if (!t) {
    Err_Script(100010, 1);
    return -1;
  }
  g_SceneTable.scenes = t;
  g_SceneTable.count = count;
  return 0;
}

uint32_t Scene_DataDescMask(uint8_t cmd) {
  switch (cmd) {
    case 43: return 1u << 1;               // jump: the label (index once resolved)
    case 45: return 1u << 2 | 1u << 3;     // IF: next branch, block end
    case 11: return 1u << 2;               // ELSE-IF: next branch
    case 56: return 1u << 2;               // LOOP: loop end
    default: return 0;
  }
}

const SceneCode* Scene_Code(uint16_t n) {
  if (n >= g_SceneTable.count || !g_SceneTable.scenes[n] || g_SceneTable.scenes[n]->state != 1) return nullptr;
  return &g_SceneTable.scenes[n]->code;
}

namespace {

uint32_t U32At(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

// Fewest descriptors a command needs, where its handler reads a descriptor
// by position.
bool ArgcAcceptable(uint8_t cmd, uint8_t argc) {
  switch (cmd) {
    case 43: return argc >= 1;
    case 45: return argc >= 3;
    case 11: return argc == 0 || argc >= 2;
    case 56: return argc >= 2;
    case 54: return argc >= 2;
    default: return true;
  }
}

// Checks one instruction's descriptors against the scene.
bool DescriptorsValid(uint8_t cmd, const ArgDesc* d, uint8_t argc, uint32_t count, uint32_t exprSize) {
  if (!ArgcAcceptable(cmd, argc)) return false;
  uint32_t mask = Scene_DataDescMask(cmd);
  for (int p = 1; p <= argc; ++p) {
    const ArgDesc& a = d[p - 1];
    if (cmd != 43 && p < 32 && (mask >> p) & 1) {
      if (a.length >= count) return false;  // a pc inside the scene
      continue;
    }
    if (a.type < 1 || a.type > 4) return false;
    if (uint64_t(a.offset) + a.length > exprSize) return false;
  }
  return true;
}

void XorSection(uint8_t* p, size_t n) {
  for (size_t i = 0; i < n; ++i) p[i] ^= g_SceneKey[i & 3];
}

// Load mode: constant labels of jumps and calls are found now.
void ResolveLabels(SceneRec& s) {
  static char buf[kExprTextSize];
  Expr_InitOpTable(0);
  for (uint32_t k = 0; k < s.code.count; ++k) {
    ArgDesc* d = s.desc[k];
    uint8_t argc = s.argc[k];
    uint8_t cmd = s.image[kSceneHeaderSize + 4 * k];
    if (cmd == 43) {
      g_Expr.notConst = 0;
      int32_t n = Expr_EvalToVar(s.code.expr + d[0].offset, d[0].length, buf);
      int32_t idx = g_Expr.notConst || g_Expr.status ? -1 : Label_Find(buf, size_t(n));
      if (idx >= 0 && uint32_t(idx) < kJumpResolvedBit) d[0].length = uint32_t(idx) + kJumpResolvedBit;
    } else if (cmd == 44) {
      for (int p = 0; p < argc; ++p) {
        if (d[p].id != 0) continue;
        g_Expr.notConst = 0;
        int32_t n = Expr_EvalToVar(s.code.expr + d[p].offset, d[p].length, buf);
        int32_t idx = g_Expr.notConst || g_Expr.status ? -1 : Label_Find(buf, size_t(n));
        // Only 1..65535 fit the 16-bit field (0 means "look up when run").
        uint16_t v = idx >= 1 && idx <= 0xFFFF ? uint16_t(idx) : 0;
        std::memcpy(&d[p].type, &v, 2);
      }
    }
  }
  Expr_InitOpTable(1);
}

// Integer assignments of a planned shape get their LetPlan and the planned
// handler (unless command 54 has been given another handler).
void PlanAssignments(SceneRec& s) {
  if (g_CmdHandlers[54] != Cmd_Let) return;
  std::vector<uint32_t> at;
  for (uint32_t k = 0; k < s.code.count; ++k) {
    LetPlan p;
    if (s.handlers[k] != Cmd_Let || s.argc[k] < 2 || !Let_MakePlan(s.desc[k], s.code.expr, &p)) continue;
    s.letPlans.push_back(p);
    at.push_back(k);
  }
  if (at.empty()) return;
  s.letPlanAt.assign(s.code.count, nullptr);
  for (size_t j = 0; j < at.size(); ++j) {
    s.letPlanAt[at[j]] = &s.letPlans[j];
    s.handlers[at[j]] = Cmd_LetPlanned;
  }
  s.code.letPlan = s.letPlanAt.data();
}

// Builds the arrays of a decoded image; false when the file is malformed.
bool BuildScene(SceneRec& s, uint32_t size) {
  uint8_t* img = s.image;
  if (size < kSceneHeaderSize) return false;
  uint32_t n = U32At(img + 8), isz = U32At(img + 12), dsz = U32At(img + 16);
  uint32_t esz = U32At(img + 20), lsz = U32At(img + 24);
  if (uint64_t(n) * 4 != isz || uint64_t(n) * 4 != lsz || dsz % sizeof(ArgDesc) != 0) return false;
  if (kSceneHeaderSize + uint64_t(isz) + dsz + esz + lsz > size) return false;
  uint8_t* ins = img + kSceneHeaderSize;
  auto* desc = reinterpret_cast<ArgDesc*>(ins + isz);
  uint8_t* expr = ins + isz + dsz;
  uint8_t* lines = expr + esz;
  XorSection(ins, isz);
  XorSection(reinterpret_cast<uint8_t*>(desc), dsz);
  XorSection(expr, esz);
  XorSection(lines, lsz);

  s.gate.assign(n, Vm_StepGate);
  s.handlers.resize(n);
  s.extra.resize(n);
  s.argc.resize(n);
  s.desc.resize(n);
  s.lines.resize(n);
  uint64_t used = 0, descCount = dsz / sizeof(ArgDesc);
  for (uint32_t k = 0; k < n; ++k) {
    Instruction in;
    std::memcpy(&in, ins + 4 * k, 4);
    if (used + in.argc > descCount) return false;
    if (!DescriptorsValid(in.cmd, desc + used, in.argc, n, esz)) return false;
    s.desc[k] = desc + used;
    used += in.argc;
    CmdHandler h = in.cmd < kCmdCount ? g_CmdHandlers[in.cmd] : nullptr;
    s.handlers[k] = h ? h : Cmd_Unknown;
    s.extra[k] = in.extra;
    s.argc[k] = in.argc;
    std::memcpy(&s.lines[k], lines + 4 * k, 4);
  }
  SceneCode& c = s.code;
  c.count = n;
  c.handlers[0] = s.gate.data();
  c.handlers[1] = s.handlers.data();
  c.extra = s.extra.data();
  c.argc = s.argc.data();
  c.desc = s.desc.data();
  c.expr = expr;
  c.exprSize = esz;
  c.lines = s.lines.data();
  PlanAssignments(s);
  return true;
}

}  // namespace

int Scene_Load(uint16_t n) {
  char name[32];
  std::snprintf(name, sizeof name, "qvbin\\qvt%05u.qbn", unsigned(n));
  if (n >= g_SceneTable.count) {
    Err_ShowF(104060, 1, name);
    return 0;
  }
  SceneRec*& slot = g_SceneTable.scenes[n];
  if (slot) return slot->state == 1 ? 1 : 0;
  slot = new (std::nothrow) SceneRec;
  if (!slot) {
    Err_Script(100010, 1);
    return 0;
  }
  // A failure is remembered: the scene is reported once and never run.
  SceneRec& s = *slot;
  s.state = 2;
  FileRef ref;
  if (File_LoadNeeded(ref, name) != 0) return 0;
  s.image = ref.data;
  if (!BuildScene(s, ref.size)) {
    Err_ShowF(104010, 1, name);
    return 0;
  }
  if (s.code.count) ResolveLabels(s);
  s.state = 1;
  if (Var_InitScope(n) != 0) {
    s.state = 2;
    return 0;
  }
  return 1;
}
