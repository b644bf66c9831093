#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/text.h"
#include "shell/shell.h"

void* Mem_AllocZeroed(size_t size) { return std::calloc(1, size ? size : 1); }

char* Str_SjisToUtf8(const char* sjis) {
  if (!sjis) return nullptr;
  std::string u = Text_SjisToUtf8(sjis);
  char* out = static_cast<char*>(std::malloc(u.size() + 1));
  if (!out) return nullptr;
  std::memcpy(out, u.c_str(), u.size() + 1);
  return out;
}
