// Variable records, their storage and the element accessors every command
// uses to read and return values.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "base/base.h"
#include "vm/vm.h"

VarTable g_VarTable;

namespace {

Variable* Rec(uint32_t number) {
  return number < g_VarTable.count ? &g_VarTable.vars[number] : nullptr;
}

bool InRange(const Variable* v, int64_t index) { return v && index >= 0 && index < v->count; }

// System variables 50, 51, 52 and 70 take a whole reference (variable << 32 |
// element) as their index, which no element count could hold: they check
// the variable they name themselves.
bool IsRefSysVar(uint32_t number) { return number == 50 || number == 51 || number == 52 || number == 70; }

void FreeTexts(Variable* v) {
  if (v->strs) {
    for (int64_t i = 0; i < v->count; ++i) std::free(v->strs[i]);
  }
  std::free(v->strs);
  std::free(v->caps);
  v->strs = nullptr;
  v->caps = nullptr;
}

void FreeStorage(Variable* v) {
  FreeTexts(v);
  std::free(v->ints);
  std::free(v->dbls);
  v->ints = nullptr;
  v->dbls = nullptr;
}

// Stores `len` bytes plus a NUL into text element i, growing it when needed.
int StoreText(Variable* v, int64_t i, const char* bytes, size_t len) {
  if (!v->caps[i] || v->caps[i] < len + 1) {
    char* p = static_cast<char*>(std::realloc(v->strs[i], len + 1));
    if (!p) {
      Err_Script(100010, 1);
      return -1;
    }
    v->strs[i] = p;
    v->caps[i] = len + 1;
  }
  if (len) std::memcpy(v->strs[i], bytes, len);
  v->strs[i][len] = '\0';
  return 0;
}

}  // namespace

int Var_AllocTable(uint32_t count) {
  Var_FreeTable();
  auto* vars = new (std::nothrow) Variable[count ? count : 1];
  if (!vars) {
    Err_Script(100010, 1);
    return -1;
  }
  g_VarTable.vars = vars;
  g_VarTable.count = count;
  return 0;
}

void Var_FreeTable() {
  for (uint32_t i = 0; i < g_VarTable.count; ++i) FreeStorage(&g_VarTable.vars[i]);
  delete[] g_VarTable.vars;
  g_VarTable.vars = nullptr;
  g_VarTable.count = 0;
}

// ---- Element accessors --------------------------------------------------

int Var_SetIntElement(uint32_t number, int64_t index, int64_t value) {
  Variable* v = Rec(number);
  if (!InRange(v, index)) return -1;
  switch (v->type) {
    case 1: v->ints[index] = value; return 0;
    case 2: v->dbls[index] = double(value); return 0;
    default: Err_Script(101140, 1); return -1;
  }
}

int Var_SetDoubleElement(uint32_t number, int64_t index, double value) {
  Variable* v = Rec(number);
  if (!InRange(v, index)) return -1;
  switch (v->type) {
    case 1: v->ints[index] = Expr_DoubleToInt(value); return 0;
    case 2: v->dbls[index] = value; return 0;
    default: Err_Script(101140, 1); return -1;
  }
}

int64_t Var_GetIntElement(uint32_t number, int64_t index) {
  if (IsRefSysVar(number)) return SysVar_Get(number, index);
  const Variable* v = Rec(number);
  if (!InRange(v, index)) return 0;
  if (number < kVarFirstUser) return SysVar_Get(number, index);
  // Read by the variable's own type so that a double or text variable never
  // reaches the int array.
  switch (v->type) {
    case 1: return v->ints[index];
    case 2: return Expr_DoubleToInt(v->dbls[index]);
    default: return 0;
  }
}

double Var_ReadFloatElement(uint32_t number, int64_t index) {
  if (IsRefSysVar(number)) return SysVar_GetDouble(number, index);
  const Variable* v = Rec(number);
  if (!InRange(v, index)) return 0.0;
  if (number < kVarFirstUser) return SysVar_GetDouble(number, index);
  switch (v->type) {
    case 1: return double(v->ints[index]);
    case 2: return v->dbls[index];
    default: return 0.0;
  }
}

int Var_SetStringElementN(uint32_t number, int64_t index, const char* bytes, size_t len) {
  Variable* v = Rec(number);
  if (!InRange(v, index)) return -1;
  if (v->type != 3) {
    Err_Script(101140, 1);
    return -1;
  }
  return StoreText(v, index, bytes, len);
}

int Var_SetStringElement(uint32_t number, int64_t index, const char* text) {
  return Var_SetStringElementN(number, index, text, text ? std::strlen(text) : 0);
}

const char* Var_GetStringElement(uint32_t number, int64_t index) {
  Variable* v = Rec(number);
  if (number == 52 && v && v->type == 3 && v->count > 0) {
    // The text of the variable the reference names, kept in element 0.
    static char ref[kExprTextSize];
    int32_t n = Expr_GetSystemString(number, ref, index);
    return StoreText(v, 0, ref, size_t(n)) == 0 ? v->strs[0] : nullptr;
  }
  if (!InRange(v, index) || v->type != 3) return nullptr;
  if (number < kVarFirstUser) {
    static char buf[kExprTextSize];
    int32_t n = Expr_GetSystemString(number, buf, index);
    if (StoreText(v, index, buf, size_t(n)) != 0) return nullptr;
  }
  return v->strs[index] ? v->strs[index] : "";
}

// ---- Storage ------------------------------------------------------------

namespace {
// Element count of the record's dimensions, or -1 after 101110 / 101100.
// Every multiply is checked so that a product cannot wrap past the limit.
int64_t SizeOf(const Variable* v) {
  int64_t n = 1;
  for (int k = 0; k < v->dimCount; ++k) {
    int64_t d = v->dims[k];
    if (d <= 0) {
      Err_Script(101110, 1);
      return -1;
    }
    if (n > kVarMaxElements / d) {
      Err_ScriptF(101100, 1, int(kVarMaxElements));
      return -1;
    }
    n *= d;
  }
  return n;
}

// The record of a variable about to be rebuilt, with its new size.
Variable* Rebuilding(uint32_t number, int64_t* n) {
  Variable* v = Rec(number);
  if (!v) {
    Err_Script(900070, 1);
    return nullptr;
  }
  *n = SizeOf(v);
  return *n < 0 ? nullptr : v;
}
}  // namespace

int Var_ComputeSize(uint32_t number) {
  int64_t n;
  Variable* v = Rebuilding(number, &n);
  if (!v) return -1;
  v->count = n;
  return 0;
}

int Var_AllocInt(uint32_t number, int64_t init) {
  int64_t n;
  Variable* v = Rebuilding(number, &n);
  if (!v) return -1;
  auto* p = static_cast<int64_t*>(std::malloc(size_t(n) * sizeof(int64_t)));
  if (!p) {
    Err_Script(100010, 1);
    return -1;
  }
  FreeStorage(v);
  v->type = 1;
  v->count = n;
  v->ints = p;
  for (int64_t i = 0; i < n; ++i) p[i] = init;
  return 0;
}

int Var_AllocDouble(uint32_t number, double init) {
  int64_t n;
  Variable* v = Rebuilding(number, &n);
  if (!v) return -1;
  auto* p = static_cast<double*>(std::malloc(size_t(n) * sizeof(double)));
  if (!p) {
    Err_Script(100010, 1);
    return -1;
  }
  FreeStorage(v);
  v->type = 2;
  v->count = n;
  v->dbls = p;
  for (int64_t i = 0; i < n; ++i) p[i] = init;
  return 0;
}

int Var_RebuildStringStorage(uint32_t number, const char* text, size_t len) {
  int64_t n;
  Variable* v = Rebuilding(number, &n);
  if (!v) return -1;
  auto** strs = static_cast<char**>(std::calloc(size_t(n), sizeof(char*)));
  auto* caps = static_cast<size_t*>(std::calloc(size_t(n), sizeof(size_t)));
  if (!strs || !caps) {
    std::free(strs);
    std::free(caps);
    Err_Script(100010, 1);
    return -1;
  }
  FreeStorage(v);
  v->type = 3;
  v->count = n;
  v->strs = strs;
  v->caps = caps;
  // An empty initial text leaves the elements unallocated: they read as "".
  if (len) {
    for (int64_t i = 0; i < v->count; ++i) {
      if (StoreText(v, i, text, len) != 0) return -1;
    }
  }
  return 0;
}

int Var_Resize(uint32_t number, int64_t n) {
  Variable* v = Rec(number);
  if (!v) {
    Err_Script(900070, 1);
    return -1;
  }
  if (n <= 0) {
    Err_Script(101110, 1);
    return -1;
  }
  if (n > kVarMaxElements) {
    Err_ScriptF(101100, 1, int(kVarMaxElements));
    return -1;
  }
  Variable old = *v;
  if (v->dimCount == 0) v->dimCount = 1;
  v->dims[0] = uint32_t(n);
  int64_t count = SizeOf(v);
  if (count < 0) {
    *v = old;
    return -1;
  }
  v->count = count;
  int64_t keep = old.count < count ? old.count : count;
  bool ok = true;
  if (v->type == 1) {
    auto* p = static_cast<int64_t*>(std::realloc(old.ints, size_t(count) * sizeof(int64_t)));
    if ((ok = p != nullptr)) {
      for (int64_t i = keep; i < count; ++i) p[i] = 0;
      v->ints = p;
    }
  } else if (v->type == 2) {
    auto* p = static_cast<double*>(std::realloc(old.dbls, size_t(count) * sizeof(double)));
    if ((ok = p != nullptr)) {
      for (int64_t i = keep; i < count; ++i) p[i] = 0.0;
      v->dbls = p;
    }
  } else if (v->type == 3) {
    auto* strs = static_cast<char**>(std::calloc(size_t(count), sizeof(char*)));
    auto* caps = static_cast<size_t*>(std::calloc(size_t(count), sizeof(size_t)));
    if ((ok = strs && caps)) {
      for (int64_t i = 0; i < old.count; ++i) {
        if (i < keep) {
          strs[i] = old.strs[i];
          caps[i] = old.caps[i];
        } else {
          std::free(old.strs[i]);
        }
      }
      std::free(old.strs);
      std::free(old.caps);
      v->strs = strs;
      v->caps = caps;
    } else {
      std::free(strs);
      std::free(caps);
    }
  }
  if (!ok) {
    *v = old;
    Err_Script(100010, 1);
    return -1;
  }
  return 0;
}
