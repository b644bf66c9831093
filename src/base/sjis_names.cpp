// Shift-JIS aware name helpers. Names are lower-cased and
// separators unified before every hash or comparison; a trail byte is never
// taken for a letter or a separator.
#include <cstring>

#include "base/helpers.h"
#include "platform/text.h"

void Str_ToLowerSjisN(char* s, size_t len) {
  auto* p = reinterpret_cast<unsigned char*>(s);
  for (size_t i = 0; i < len; ++i) {
    if (Sjis_IsLead(p[i])) {
      ++i;  // the trail byte stays as it is
    } else if (p[i] >= 'A' && p[i] <= 'Z') {
      p[i] = uint8_t(p[i] + 32);
    }
  }
}

void Str_ReplaceCharSjis(char* s, char from, char to) {
  for (auto* p = reinterpret_cast<unsigned char*>(s); *p; ++p) {
    if (Sjis_IsLead(*p)) {
      if (!p[1]) break;
      ++p;
    } else if (*p == static_cast<unsigned char>(from)) {
      *p = static_cast<unsigned char>(to);
    }
  }
}

bool Str_EndsWith(const char* s, const char* tail) {
  size_t n = std::strlen(s), t = std::strlen(tail);
  if (t > n) return false;
  const char* a = s + n - t;
  for (size_t i = 0; i < t; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(tail[i]);
    if (x >= 'A' && x <= 'Z') x = uint8_t(x + 32);
    if (y >= 'A' && y <= 'Z') y = uint8_t(y + 32);
    if (x != y) return false;
  }
  return true;
}

size_t Sjis_FitLength(const char* text, size_t len, size_t cap) {
  if (cap == 0) return 0;
  size_t i = 0;
  while (i < len) {
    size_t step = (Sjis_IsLead(uint8_t(text[i])) && i + 1 < len) ? 2 : 1;
    if (i + step > cap - 1) break;
    i += step;
  }
  return i;
}

size_t Str_CopySjis(char* out, size_t cap, const char* src) {
  if (cap == 0) return 0;
  if (!src) src = "";
  size_t n = Sjis_FitLength(src, std::strlen(src), cap);
  std::memcpy(out, src, n);
  out[n] = 0;
  return n;
}
