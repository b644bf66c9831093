// The checked formatter behind every error text. Texts come from the
// compiled error-text file and are written by game authors, so a text's
// conversions may not match what the reporting call passed: each conversion
// takes the next captured argument only when there is one of a fitting kind.
#include <cstdio>
#include <cstring>

#include "platform/text.h"
#include "base/base.h"

namespace {

class Out {
 public:
  Out(char* buf, size_t cap) : buf_(buf), cap_(cap) {}
  // Appends bytes; stops for good at the first character that does not fit,
  // never splitting a Shift-JIS pair.
  void Put(const char* s, size_t n) {
    for (size_t i = 0; i < n && !full_;) {
      size_t step = (Sjis_IsLead(uint8_t(s[i])) && i + 1 < n) ? 2 : 1;
      if (len_ + step >= cap_) {
        full_ = true;
        break;
      }
      std::memcpy(buf_ + len_, s + i, step);
      len_ += step;
      i += step;
    }
  }
  void Pad(char c, size_t n) {
    for (size_t i = 0; i < n; ++i) Put(&c, 1);
  }
  size_t Finish() {
    if (cap_) buf_[len_] = '\0';
    return len_;
  }

 private:
  char* buf_;
  size_t cap_;
  size_t len_ = 0;
  bool full_ = false;
};

struct Conv {
  bool left = false, zero = false, plus = false, space = false, alt = false;
  int width = 0;
  int precision = -1;
  int longness = 0;  // 0 int, 1 long, 2 long long / I64, -1 short, -2 char
  char conv = 0;
};

// Parses the conversion starting after '%'; returns the bytes it took, 0 when
// it is not one that the formatter understands.
size_t ParseConv(const char* p, Conv* s) {
  const char* q = p;
  for (;; ++q) {
    if (*q == '-') s->left = true;
    else if (*q == '0') s->zero = true;
    else if (*q == '+') s->plus = true;
    else if (*q == ' ') s->space = true;
    else if (*q == '#') s->alt = true;
    else break;
  }
  for (; *q >= '0' && *q <= '9'; ++q) s->width = s->width < 1000 ? s->width * 10 + (*q - '0') : 1000;
  if (*q == '.') {
    s->precision = 0;
    for (++q; *q >= '0' && *q <= '9'; ++q)
      s->precision = s->precision < 1000 ? s->precision * 10 + (*q - '0') : 1000;
  }
  if (std::strncmp(q, "I64", 3) == 0) s->longness = 2, q += 3;
  else if (q[0] == 'l' && q[1] == 'l') s->longness = 2, q += 2;
  else if (q[0] == 'h' && q[1] == 'h') s->longness = -2, q += 2;
  else if (*q == 'l' || *q == 'z' || *q == 'j' || *q == 't') s->longness = 2, ++q;
  else if (*q == 'h') s->longness = -1, ++q;
  if (!*q || !std::strchr("diuxXscfgeEG%", *q)) return 0;
  s->conv = *q++;
  return size_t(q - p);
}

// Narrows an integer the way a printf of a value of that length shows it.
int64_t Narrow(int64_t v, int longness, bool isSigned) {
  switch (longness) {
    case 2: return v;
    case -2: return isSigned ? int64_t(int8_t(v)) : int64_t(uint8_t(v));
    case -1: return isSigned ? int64_t(int16_t(v)) : int64_t(uint16_t(v));
    default: return isSigned ? int64_t(int32_t(v)) : int64_t(uint32_t(v));
  }
}

void PutInt(Out& out, const Conv& s, int64_t raw) {
  bool isSigned = s.conv == 'd' || s.conv == 'i';
  int64_t v = Narrow(raw, s.longness, isSigned);
  char fmt[16], digits[48];
  std::snprintf(fmt, sizeof fmt, "%%%s%s%s%s%s*.*ll%c", s.left ? "-" : "", s.zero ? "0" : "",
                s.plus ? "+" : "", s.space ? " " : "", s.alt ? "#" : "", s.conv == 'i' ? 'd' : s.conv);
  int width = s.width > 40 ? 40 : s.width;
  int prec = s.precision > 40 ? 40 : s.precision;
  int n = isSigned ? std::snprintf(digits, sizeof digits, fmt, width, prec, (long long)v)
                   : std::snprintf(digits, sizeof digits, fmt, width, prec, (unsigned long long)v);
  if (n > 0) {
    if (s.width > 40 && !s.left) out.Pad(s.zero ? '0' : ' ', size_t(s.width - 40));
    out.Put(digits, size_t(n) < sizeof digits ? size_t(n) : sizeof digits - 1);
    if (s.width > 40 && s.left) out.Pad(' ', size_t(s.width - 40));
  }
}

void PutDouble(Out& out, const Conv& s, double v) {
  char fmt[16], digits[64];
  std::snprintf(fmt, sizeof fmt, "%%%s%s*.*%c", s.left ? "-" : "", s.zero ? "0" : "", s.conv);
  int width = s.width > 40 ? 40 : s.width;
  int prec = s.precision > 20 ? 20 : s.precision;
  int n = std::snprintf(digits, sizeof digits, fmt, width, prec, v);
  if (n > 0) out.Put(digits, size_t(n) < sizeof digits ? size_t(n) : sizeof digits - 1);
}

void PutStr(Out& out, const Conv& s, const ErrArg& a) {
  const char* str = a.s ? a.s : "(null)";
  size_t n = a.s ? (a.len == SIZE_MAX ? std::strlen(str) : a.len) : 6;
  if (s.precision >= 0 && size_t(s.precision) < n) n = size_t(s.precision);
  size_t pad = size_t(s.width) > n ? size_t(s.width) - n : 0;
  if (!s.left) out.Pad(' ', pad);
  out.Put(str, n);
  if (s.left) out.Pad(' ', pad);
}

void PutArg(Out& out, const Conv& s, const ErrArg* a) {
  if (!a) return;  // more conversions than arguments: nothing to show
  using K = ErrArg::Kind;
  switch (s.conv) {
    case 's':
      if (a->kind == K::Str) return PutStr(out, s, *a);
      break;
    case 'c':
      if (a->kind == K::Int) {
        char c = char(a->i);
        size_t pad = s.width > 1 ? size_t(s.width - 1) : 0;
        if (!s.left) out.Pad(' ', pad);
        out.Put(&c, 1);
        if (s.left) out.Pad(' ', pad);
        return;
      }
      break;
    case 'f': case 'g': case 'e': case 'E': case 'G':
      if (a->kind == K::Double) return PutDouble(out, s, a->d);
      if (a->kind == K::Int) return PutDouble(out, s, double(a->i));
      break;
    default:
      if (a->kind == K::Int) return PutInt(out, s, a->i);
      break;
  }
  out.Put("?", 1);
}

}  // namespace

size_t Err_FormatChecked(char* buf, size_t cap, const char* format, const ErrArg* args,
                         size_t count) {
  if (!buf || cap == 0) return 0;
  Out out(buf, cap);
  size_t next = 0;
  const char* p = format ? format : "";
  while (*p) {
    const char* run = p;
    while (*p && *p != '%') p += (Sjis_IsLead(uint8_t(*p)) && p[1]) ? 2 : 1;
    out.Put(run, size_t(p - run));
    if (!*p) break;
    Conv s;
    size_t used = ParseConv(p + 1, &s);
    if (used == 0) {  // not ours: shown as written, no argument taken
      out.Put(p, 1);
      ++p;
      continue;
    }
    p += 1 + used;
    if (s.conv == '%') {
      out.Put("%", 1);
      continue;
    }
    PutArg(out, s, next < count ? &args[next] : nullptr);
    ++next;
  }
  return out.Finish();
}
