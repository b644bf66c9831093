// Resolution of object paths against a current path (the trees, the file
// lookup and the layer commands share it). Shift-JIS pairs are stepped over whole, so a trail byte that
// equals '/', '.', ':' or a space is never taken for one; a lead byte right
// before the terminating zero counts as a single byte.
#include <cstring>

#include "base/base.h"
#include "platform/text.h"

namespace {
inline bool IsPathSpecial(unsigned char c) { return c == '.' || c == '/' || c == ':'; }

// Bytes of the character at s[i]: 2 for a complete Shift-JIS pair, else 1.
inline size_t CharLen(const char* s, size_t i) {
  return (Sjis_IsLead(static_cast<unsigned char>(s[i])) && s[i + 1]) ? 2 : 1;
}

bool HasSpecial(const char* s) {
  for (size_t i = 0; s[i]; i += CharLen(s, i)) {
    if (CharLen(s, i) == 1 && IsPathSpecial(static_cast<unsigned char>(s[i]))) return true;
  }
  return false;
}

bool HasSpace(const char* s, size_t from, size_t to) {
  for (size_t i = from; i < to; i += CharLen(s, i)) {
    if (CharLen(s, i) == 1 && s[i] == ' ') return true;
  }
  return false;
}

// Bounded appender over a caller's kObjPathMax buffer.
struct PathOut {
  char* buf;
  size_t len = 0;
  bool overflow = false;
  void Put(const char* s, size_t n) {
    if (len + n >= kObjPathMax) {
      overflow = true;
      return;
    }
    std::memcpy(buf + len, s, n);
    len += n;
  }
};

int32_t PathError(const char* work) {
  Err_ScriptF(100242, 1, work);
  return -1;
}
}  // namespace

int32_t Obj_ResolvePath(char* out, const char* path, const char* curPath, bool allowSpace) {
  if (!path) path = "";
  if (!curPath) curPath = "";
  // The work string: the absolute form before '.' and '..' are applied.
  char work[kObjPathMax];
  PathOut w{work};
  bool special = HasSpecial(path);
  if (path[0] == ':') {
    const char* rest = path + 1;
    if (*rest == '/') ++rest;
    w.Put(rest, std::strlen(rest));
  } else {
    w.Put(curPath, std::strlen(curPath));
    if (*curPath) w.Put("/", 1);
    const char* rest = (special && path[0] == '/') ? path + 1 : path;
    w.Put(rest, std::strlen(rest));
  }
  work[w.overflow ? 0 : w.len] = 0;
  if (w.overflow) return PathError(path);

  PathOut o{out};
  size_t starts[kObjPathMax];  // output offset of each copied component
  size_t depth = 0;
  bool endsWithSlash = false;
  for (size_t i = 0; work[i];) {
    if (work[i] == '/') {  // runs of '/' are kept as they stand
      o.Put("/", 1);
      endsWithSlash = true;
      ++i;
      continue;
    }
    size_t j = Path_ComponentEnd(work, i);
    if (!allowSpace && HasSpace(work, i, j)) {
      out[0] = 0;
      return PathError(work);
    }
    // Without special characters the path is used as it stands.
    bool slash = special && work[j] == '/';
    size_t n = j - i;
    if (slash && n == 2 && work[i] == '.' && work[i + 1] == '.') {
      o.len = depth ? starts[--depth] : 0;
      endsWithSlash = o.len > 0;
    } else if (!(slash && n == 1 && work[i] == '.')) {
      starts[depth++] = o.len;
      o.Put(work + i, n);
      endsWithSlash = false;
      if (slash) {
        o.Put("/", 1);
        endsWithSlash = true;
      }
    }
    i = slash ? j + 1 : j;
  }
  if (o.overflow) {
    out[0] = 0;
    return PathError(work);
  }
  if (o.len > 0 && endsWithSlash) {
    out[o.len - 1] = 0;
    return 1;
  }
  out[o.len] = 0;
  return 0;
}

const char* Obj_LastComponent(const char* path) {
  const char* last = path;
  for (size_t i = 0; path[i]; i += CharLen(path, i)) {
    if (path[i] == '/') last = path + i + 1;
  }
  return last;
}

size_t Path_ComponentEnd(const char* s, size_t i) {
  while (s[i] && s[i] != '/') i += CharLen(s, i);
  return i;
}
