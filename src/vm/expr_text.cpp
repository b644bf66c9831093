// Text opcodes of the evaluator: literals ('M'), number to text ('s') and
// text to number ('i'). Conversions use std::to_chars / from_chars, which
// never depend on the process locale.
#include <charconv>

#include "platform/text.h"
#include "vm/expr_internal.h"

using namespace expr;

namespace expr {

// Payload: the quote character, the text, the closing quote. The search for
// the closing quote stays inside the payload; a missing one ends the text
// at the payload's end.
int OpTextLiteral() {
  const uint8_t* p = g_Expr.tok;
  size_t n = g_Expr.plen;
  int s = PushSlot();
  if (s < 0) return -1;
  char* out = TextBuf(s);
  if (!out) return -1;
  size_t o = 0;
  const size_t room = kExprTextSize - 1;
  uint8_t quote = n ? p[0] : 0;
  for (size_t i = 1; i < n; ++i) {
    uint8_t c = p[i];
    if (c == quote) break;
    if (Sjis_IsLead(c) && i + 1 < n) {
      if (o + 2 > room) break;
      out[o++] = char(c);
      out[o++] = char(p[++i]);
      continue;
    }
    if (c == '\\') {
      if (i + 1 >= n) break;
      c = p[++i];
      c = c == 'n' ? '\n' : c == 't' ? '\t' : c;
    }
    if (o + 1 > room) break;
    out[o++] = char(c);
  }
  out[o] = '\0';
  g_Expr.textLen[s] = uint16_t(o);
  g_Expr.tags[s] = uint16_t(s + 1);
  return 0;
}

// "%f" in double arithmetic, decimal digits in integer arithmetic. A text
// operand is left as it is.
int OpToText() {
  if (g_Expr.sp < 1) return Fail(900030);
  int y = g_Expr.sp - 1;
  if (g_Expr.tags[y]) return 0;
  char tmp[400];
  std::to_chars_result r;
  if (IntArith()) {
    r = std::to_chars(tmp, tmp + sizeof tmp, g_Expr.ints[y]);
  } else {
    r = std::to_chars(tmp, tmp + sizeof tmp, g_Expr.dbls[y], std::chars_format::fixed, 6);
  }
  size_t len = r.ec == std::errc() ? size_t(r.ptr - tmp) : 0;
  g_Expr.sp = uint16_t(y);
  return PushText(tmp, len);
}

// "0x" / "0X" starts up to 16 hexadecimal digits; otherwise only digits,
// '-' and '.' may appear (108210), and a '.' makes it a double.
int OpToNumber() {
  if (g_Expr.sp < 1) return Fail(900030);
  int y = g_Expr.sp - 1;
  if (!g_Expr.tags[y]) return 0;
  const char* s = g_Expr.texts[y];
  size_t n = g_Expr.textLen[y];
  g_Expr.sp = uint16_t(y);
  if (n >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    uint64_t v = 0;
    for (size_t i = 2; i < n && i < 18; ++i) {
      char c = s[i];
      int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (d < 0) break;
      v = v << 4 | uint64_t(d);
    }
    return PushInt(int64_t(v));
  }
  bool dot = false;
  for (size_t i = 0; i < n; ++i) {
    char c = s[i];
    if (c == '.') dot = true;
    else if (c != '-' && (c < '0' || c > '9')) return Fail(108210);
  }
  if (dot) {
    double d = 0.0;
    std::from_chars(s, s + n, d);
    return PushDouble(d);
  }
  int64_t v = 0;
  auto r = std::from_chars(s, s + n, v);
  if (r.ec == std::errc::result_out_of_range) v = (n && s[0] == '-') ? INT64_MIN : INT64_MAX;
  return PushInt(v);
}

}  // namespace expr
