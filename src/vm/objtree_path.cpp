// Paths of the object trees: resolution against a current path and walks
// from a root. Shift-JIS pairs are stepped over whole, so a trail byte that
// equals '/', '.', ':' or a space is never taken for one; a lead byte right
// before the terminating zero counts as a single byte.
#include <cstring>

#include "platform/text.h"
#include "shell/shell.h"
#include "vm/objtree.h"

namespace {
inline bool IsPathSpecial(unsigned char c) { return c == '.' || c == '/' || c == ':'; }

// Bytes of the character at s[i]: 2 for a complete Shift-JIS pair, else 1.
inline size_t CharLen(const char* s, size_t i) {
  return (Sjis_IsLead(static_cast<unsigned char>(s[i])) && s[i + 1]) ? 2 : 1;
}

// Index of the '/' or NUL that ends the component starting at i.
size_t ComponentEnd(const char* s, size_t i) {
  while (s[i] && s[i] != '/') i += CharLen(s, i);
  return i;
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
    size_t j = ComponentEnd(work, i);
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

namespace {
// Walks the group components of `path` from `node`; on return *rest points
// at the last component. Null after a missing component.
ObjNode* WalkGroups(ObjNode* node, const char* path, const char** rest, bool quiet) {
  size_t i = 0;
  for (;;) {
    size_t j = ComponentEnd(path, i);
    if (path[j] != '/') break;
    ObjNode* child = Obj_FindChild(node, path + i, j - i);
    if (!child) {
      if (!quiet) {
        char name[kObjPathMax];
        size_t n = j - i < kObjPathMax ? j - i : kObjPathMax - 1;
        std::memcpy(name, path + i, n);
        name[n] = 0;
        Err_ScriptF(100230, 1, name);
      }
      return nullptr;
    }
    node = child;
    i = j + 1;
  }
  *rest = path + i;
  return node;
}
}  // namespace

ObjNode* Obj_FindByPath(ObjNode* root, const char* path, int mode) {
  if (!root || !path) return nullptr;
  const char* last = nullptr;
  ObjNode* node = WalkGroups(root, path, &last, (mode & kObjFindQuiet) != 0);
  if (!node) return nullptr;
  mode &= ~kObjFindQuiet;
  size_t len = std::strlen(last);
  uint32_t h = Obj_NameHash(last, len, false);
  for (ObjNode* c = node->first; c; c = c->next) {
    bool match = mode == kObjFindLeaf    ? c->hash == h
                 : mode == kObjFindGroup ? c->hash == (h | kObjHashGroupBit)
                                         : (c->hash & 0x7FFFFFFFu) == h;
    if (match && Obj_NameEqual(c->name, c->nameLen, last, len)) return c;
  }
  return nullptr;
}

ObjNode* Obj_FindGroupByPath(const char* path, ObjNode* start, bool quiet) {
  if (!start || !path) return start;
  const char* last = nullptr;
  return WalkGroups(start, path, &last, quiet);
}
