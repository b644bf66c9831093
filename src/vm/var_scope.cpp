// Variable definitions (qvv.qbn): applying the global records at start-up,
// a scene's records when it loads, and the group reset.
#include <cstring>

#include "files/script_data.h"
#include "base/base.h"
#include "vm/expr_internal.h"

size_t VarDef_Parse(const uint8_t* p, const uint8_t* end, VarDefView* out) {
  ByteReader r(p, size_t(end - p));
  VarDefView v{};
  v.scope = r.U8();
  v.group = r.U8();
  v.scene = r.U16();
  v.var = r.U16();
  v.type = r.U8();
  v.dimCount = r.U8();
  if (r.bad || v.dimCount > kVarMaxDims || v.type < 1 || v.type > 3 || v.scope < 1 || v.scope > 3) return 0;
  for (int k = 0; k < v.dimCount; ++k) v.dims[k] = r.U32();
  if (v.type == 1) {
    v.initInt = int64_t(r.U64());
  } else if (v.type == 2) {
    uint64_t bits = r.U64();
    std::memcpy(&v.initDbl, &bits, 8);
  } else {
    v.initLen = r.U16();
    v.initExpr = r.Bytes(v.initLen);
  }
  if (r.bad) return 0;
  *out = v;
  return size_t(r.p - p);
}

namespace {

// Sets the record's shape and builds its storage with the initial value.
int ApplyDef(const VarDefView& d) {
  Variable& v = g_VarTable.vars[d.var];
  v.group = d.group;
  v.dimCount = d.dimCount;
  for (int k = 0; k < kVarMaxDims; ++k) v.dims[k] = k < d.dimCount ? d.dims[k] : 0;
  switch (d.type) {
    case 1: return Var_AllocInt(d.var, d.initInt);
    case 2: return Var_AllocDouble(d.var, d.initDbl);
    default: {
      static char buf[kExprTextSize];
      int32_t n = Expr_EvalToVar(d.initExpr, d.initLen, buf);
      if (g_Expr.status != 0) return -1;
      return Var_RebuildStringStorage(d.var, buf, size_t(n));
    }
  }
}

// Walks the definition records, applying those that `want` selects.
template <typename Want>
int WalkDefs(Want want) {
  const uint8_t* p = g_VarDefFile.data ? g_VarDefFile.data + kQvvRecords : nullptr;
  const uint8_t* end = g_VarDefFile.data + g_VarDefFile.size;
  for (uint16_t i = 0; i < g_VarDefFile.count; ++i) {
    VarDefView d;
    size_t used = VarDef_Parse(p, end, &d);
    if (!used) return -1;  // cannot happen: validated when the file was read
    p += used;
    if (d.var >= g_VarTable.count) {
      Err_Script(900070, 1);
      return -1;
    }
    if (want(d) && ApplyDef(d) != 0) return -1;
  }
  return 0;
}

}  // namespace

int Var_InitScope(int32_t scope) {
  return WalkDefs([scope](const VarDefView& d) {
    return scope < 0 ? d.scope == 1 || d.scope == 3 : d.scope == 2 && d.scene == scope;
  });
}

int Var_ResetGroups(uint32_t intMask, uint32_t dblMask, uint32_t strMask) {
  return WalkDefs([=](const VarDefView& d) {
    if (d.scope != 1 || d.group < 1 || d.group > 4) return false;
    uint32_t mask = d.type == 1 ? intMask : d.type == 2 ? dblMask : strMask;
    return ((mask >> (d.group - 1)) & 1) != 0;
  });
}
