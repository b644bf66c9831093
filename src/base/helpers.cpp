#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/text.h"
#include "base/base.h"

void* Mem_AllocZeroed(size_t size) { return std::calloc(1, size ? size : 1); }

char* Str_SjisToUtf8(const char* sjis) {
  if (!sjis) return nullptr;
  return Str_SjisToUtf8(sjis, std::strlen(sjis));
}

char* Str_SjisToUtf8(const char* sjis, size_t length) {
  if (!sjis) return nullptr;
  // The text ends at `length` bytes or at an earlier zero byte.
  length = strnlen(sjis, length);
  std::string u = Text_SjisToUtf8(std::string_view(sjis, length));
  char* out = static_cast<char*>(std::malloc(u.size() + 1));
  if (!out) return nullptr;
  std::memcpy(out, u.c_str(), u.size() + 1);
  return out;
}
