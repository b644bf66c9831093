// Command 100: conversion between numbers and texts, substrings, case and
// width of texts, then the array edits and the group reset.
#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/text.h"
#include "base/base.h"
#include "vm/math.h"
#include "vm/vm.h"

namespace {

constexpr int kCmdStrArray = 100;

// A missing reference, or one that names no variable, refers to no record.
struct Ref {
  uint32_t var = kNoVarRef;
  int64_t index = 0;
};
Ref RefOf(int id) {
  Ref r;
  Arg_Target(id, &r.var, &r.index);
  return r;
}
uint8_t TypeOf(uint32_t var) { return var < g_VarTable.count ? g_VarTable.vars[var].type : 0; }

// The element's text, copied (a later store may move it).
std::string TextOf(const Ref& r) {
  const char* s = Var_GetStringElement(r.var, r.index);
  return s ? s : "";
}

// Texts store into the target when one is given, else back into the source.
Ref Dest() { return Arg_Given(strarg::kTarget) ? RefOf(strarg::kTarget) : RefOf(strarg::kSource); }
int32_t StoreText(const std::string& s) {
  Ref d = Dest();
  return Var_SetStringElementN(d.var, d.index, s.data(), s.size()) == 0 ? 0 : -1;
}

// Ids 2, 3 and 7..12 work on text variables only.
bool TextsRequired() {
  bool ok = TypeOf(RefOf(strarg::kSource).var) == 3 &&
            (!Arg_Given(strarg::kTarget) || TypeOf(RefOf(strarg::kTarget).var) == 3);
  if (!ok) Err_Script(108220, 1);
  return ok;
}

size_t Step(const std::string& x, size_t p) {
  return p + ((Sjis_IsLead(uint8_t(x[p])) && p + 1 < x.size()) ? 2 : 1);
}

// Ids 3 (keep) and 2 (remove): the characters from position id 4 (from 1),
// id 5 characters long.
int32_t Cut(bool keep) {
  if (!TextsRequired()) return -1;
  std::string x = TextOf(RefOf(strarg::kSource));
  size_t n = x.size(), p = 0;
  int64_t v = Arg_Int(strarg::kStart, 0), c = Arg_Int(strarg::kLength, 0);
  for (int64_t k = 1; k < v; ++k) {
    p = Step(x, p);
    if (p >= n) {
      Err_Script(keep ? 120010 : 120110, 1);
      return -1;
    }
  }
  size_t e = p;
  for (int64_t k = 0; k < c; ++k) {
    if (e >= n) {
      Err_Script(keep ? 120020 : 120120, 1);
      return -1;
    }
    e = Step(x, e);
  }
  return StoreText(keep ? x.substr(p, e - p) : x.substr(0, p) + x.substr(e));
}

// "0x" and 1..16 hexadecimal digits; false otherwise.
bool HexValue(const char* s, uint64_t* out) {
  uint64_t v = 0;
  int digits = 0;
  for (; std::isxdigit(uint8_t(s[digits])); ++digits) {
    char ch = s[digits];
    v = v << 4 | uint64_t(ch <= '9' ? ch - '0' : (ch | 0x20) - 'a' + 10);
  }
  *out = v;
  return digits >= 1 && digits <= 16;
}

// A decimal number by the strict grammar: an optional '-', digits, and at
// most one '.' with digits on at least one side of it. *dot tells a double.
bool DecimalNumber(const std::string& x, bool* dot) {
  size_t i = x[0] == '-' ? 1 : 0;
  bool digits = false;
  *dot = false;
  for (; i < x.size(); ++i) {
    uint8_t b = uint8_t(x[i]);
    if (b >= '0' && b <= '9') digits = true;
    else if (b == '.' && !*dot) *dot = true;
    else return false;
  }
  return digits;
}

int32_t TextToNumber(const std::string& x, const Ref& t) {
  if (x.size() >= 2 && x[0] == '0' && x[1] == 'x') {
    uint64_t v = 0;
    if (!HexValue(x.c_str() + 2, &v)) {
      Err_Script(108210, 1);
      return -1;
    }
    return Var_SetIntElement(t.var, t.index, int64_t(v)) == 0 ? 0 : -1;
  }
  if (x.empty()) return Var_SetIntElement(t.var, t.index, 0) == 0 ? 0 : -1;
  bool dot = false;
  if (!DecimalNumber(x, &dot)) {
    Err_Script(108210, 1);
    return -1;
  }
  int rc = dot ? Var_SetDoubleElement(t.var, t.index, std::strtod(x.c_str(), nullptr))
               : Var_SetIntElement(t.var, t.index, std::strtoll(x.c_str(), nullptr, 10));
  return rc == 0 ? 0 : -1;
}

// Id 6: a number becomes decimal text, a text becomes a number.
int32_t Convert() {
  Ref s = RefOf(strarg::kSource), t = RefOf(strarg::kTarget);
  uint8_t ts = TypeOf(s.var), tt = TypeOf(t.var);
  auto numeric = [](uint8_t ty) { return ty <= 2; };
  if ((numeric(ts) && numeric(tt)) || ts == tt) {
    Err_Script(108200, 1);
    return -1;
  }
  char buf[512];
  if (ts == 1) {
    std::snprintf(buf, sizeof buf, "%" PRId64, Var_GetIntElement(s.var, s.index));
  } else if (ts == 2) {
    std::snprintf(buf, sizeof buf, "%f", Var_ReadFloatElement(s.var, s.index));
  } else if (ts == 3) {
    return TextToNumber(TextOf(s), t);
  } else {
    return 0;
  }
  return Var_SetStringElement(t.var, t.index, buf) == 0 ? 0 : -1;
}

void UpperAscii(std::string& s, bool wide, bool upper) {
  for (size_t i = 0; i < s.size(); ++i) {
    uint8_t b = uint8_t(s[i]);
    if (Sjis_IsLead(b) && i + 1 < s.size()) {
      // Full-width Latin letters: 0x8260..0x8279 upper, 0x8281..0x829A lower.
      uint8_t f = uint8_t(s[i + 1]);
      if (wide && b == 0x82) {
        if (upper && f >= 0x81 && f <= 0x9A) s[i + 1] = char(f - 0x21);
        if (!upper && f >= 0x60 && f <= 0x79) s[i + 1] = char(f + 0x21);
      }
      ++i;
      continue;
    }
    if (upper && b >= 'a' && b <= 'z') s[i] = char(b - 32);
    if (!upper && b >= 'A' && b <= 'Z') s[i] = char(b + 32);
  }
}

// Ids 11, 12, 7..10, each reading the source afresh.
int32_t TextSteps() {
  const int ids[] = {strarg::kToFull, strarg::kToHalf, strarg::kUpper, strarg::kUpperMb,
                     strarg::kLower, strarg::kLowerMb};
  for (int id : ids) {
    if (!Arg_Given(id)) continue;
    if (!TextsRequired()) return -1;
    std::string x = TextOf(RefOf(strarg::kSource));
    if (id == strarg::kToFull) x = StrArr_ToFullWidth(x.c_str());
    else if (id == strarg::kToHalf) x = StrArr_ToHalfWidth(x.c_str());
    else UpperAscii(x, id == strarg::kUpperMb || id == strarg::kLowerMb,
                    id == strarg::kUpper || id == strarg::kUpperMb);
    if (StoreText(x) != 0) return -1;
  }
  return 0;
}

int32_t ArraySteps() {
  using namespace strarg;
  uint32_t var = RefOf(kSource).var;
  if (Arg_Given(kResize)) {
    const ArgSlot& s = g_ArgSlot[g_ArgGiven[kResize]];
    if (StrArr_Resize(var, uint8_t(s.op), Arg_Int(kResize, 0)) != 0) return -1;
  }
  if (Arg_Given(kInsert) && StrArr_Insert(var, Arg_Int(kInsert, 0)) != 0) return -1;
  if (Arg_Given(kDelete) && StrArr_Delete(var, Arg_Int(kDelete, 0)) != 0) return -1;
  if (Arg_Given(kReset)) return StrArr_ResetGroups();
  return 0;
}

}  // namespace

int32_t Cmd_StrArray() {
  if (Cmd_FetchArgs(kCmdStrArray) != 0) return -1;
  if (Arg_Given(strarg::kConvert)) return Convert();
  if (Arg_Given(strarg::kSub)) return Cut(true);
  if (Arg_Given(strarg::kRemove)) return Cut(false);
  if (TextSteps() != 0) return -1;
  return ArraySteps();
}
