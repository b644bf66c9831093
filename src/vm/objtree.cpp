// Object nodes: names, hashes, links and lookups shared by the four trees.
#include <cstdlib>
#include <cstring>

#include "files/files.h"
#include "platform/text.h"
#include "base/base.h"
#include "vm/objtree.h"

ObjTreeRoot g_TreeRoots[kTreeCount];

namespace {
ObjReleaseFn g_ReleaseHooks[kTreeCount];

inline unsigned char FoldByte(unsigned char c) { return (c >= 'A' && c <= 'Z') ? uint8_t(c + 32) : c; }

// Folds ASCII letters outside Shift-JIS pairs into `out`; returns its length.
size_t FoldName(const char* name, size_t len, char* out) {
  const auto* p = reinterpret_cast<const unsigned char*>(name);
  for (size_t i = 0; i < len; ++i) {
    if (Sjis_IsLead(p[i]) && i + 1 < len) {
      out[i] = char(p[i]);
      out[i + 1] = char(p[i + 1]);
      ++i;
    } else {
      out[i] = char(FoldByte(p[i]));
    }
  }
  return len;
}
}  // namespace

uint32_t Obj_NameHash(const char* name, size_t len, bool group) {
  if (len == 0) return (Hash_Murmur2("", 0) & 0x7FFFFFFFu) | (group ? kObjHashGroupBit : 0);
  char small[kObjPathMax];
  char* buf = len <= sizeof small ? small : static_cast<char*>(std::malloc(len));
  if (!buf) return group ? kObjHashGroupBit : 0;
  FoldName(name, len, buf);
  uint32_t h = Hash_Murmur2(buf, len) & 0x7FFFFFFFu;
  if (buf != small) std::free(buf);
  return group ? (h | kObjHashGroupBit) : h;
}

bool Obj_NameEqual(const char* a, size_t alen, const char* b, size_t blen) {
  if (alen != blen) return false;
  const auto* p = reinterpret_cast<const unsigned char*>(a);
  const auto* q = reinterpret_cast<const unsigned char*>(b);
  for (size_t i = 0; i < alen; ++i) {
    if (Sjis_IsLead(p[i]) && i + 1 < alen) {
      if (p[i] != q[i] || p[i + 1] != q[i + 1]) return false;
      ++i;
    } else if (FoldByte(p[i]) != FoldByte(q[i])) {
      return false;
    }
  }
  return true;
}

ObjNode* Obj_NewNode(const char* name, size_t len, uint8_t kind, void* record) {
  auto* node = static_cast<ObjNode*>(Mem_AllocZeroed(sizeof(ObjNode)));
  char* copy = static_cast<char*>(std::malloc(len + 1));
  if (!node || !copy) {
    std::free(node);
    std::free(copy);
    Err_Show(100010, 1);
    return nullptr;
  }
  if (len) std::memcpy(copy, name, len);
  copy[len] = 0;
  node->name = copy;
  node->nameLen = uint32_t(len);
  node->kind = kind;
  node->hash = Obj_NameHash(copy, len, kind == kObjKindGroup);
  node->record = record;
  return node;
}

void Obj_FreeNode(ObjNode* node) {
  if (!node) return;
  std::free(node->name);
  std::free(node);
}

void Obj_SetReleaseHook(int tree, ObjReleaseFn fn) {
  if (tree >= 0 && tree < kTreeCount) g_ReleaseHooks[tree] = fn;
}

ObjReleaseFn Obj_ReleaseHook(int tree) {
  return tree >= 0 && tree < kTreeCount ? g_ReleaseHooks[tree] : nullptr;
}

void Obj_FreeSubtree(int tree, ObjNode* node) {
  if (!node) return;
  Obj_Unlink(node);
  while (node->first) Obj_FreeSubtree(tree, node->first);
  if (tree >= 0 && tree < kTreeCount && g_ReleaseHooks[tree]) g_ReleaseHooks[tree](node);
  Obj_FreeNode(node);
}

void Obj_LinkChild(ObjNode* parent, ObjNode* node, int64_t key) {
  node->parent = parent;
  node->key = key;
  ObjNode* after = parent->first;
  while (after && after->key <= key) after = after->next;
  if (!after) {  // append (also the empty list)
    node->prev = parent->last;
    node->next = nullptr;
    if (parent->last) parent->last->next = node;
    else parent->first = node;
    parent->last = node;
  } else {
    node->next = after;
    node->prev = after->prev;
    if (after->prev) after->prev->next = node;
    else parent->first = node;
    after->prev = node;
  }
  parent->childCount++;
}

ObjNode* Obj_Unlink(ObjNode* node) {
  if (!node || !node->parent) return nullptr;
  ObjNode* parent = node->parent;
  // Only a node that really stands in its parent's list is taken out; a
  // stale or repeated unlink must not corrupt the list or the count.
  bool linked = node->prev ? node->prev->next == node : parent->first == node;
  if (!linked) return nullptr;
  if (node->prev) node->prev->next = node->next;
  else parent->first = node->next;
  if (node->next) node->next->prev = node->prev;
  else parent->last = node->prev;
  parent->childCount--;
  node->prev = node->next = node->parent = nullptr;
  return parent;
}

void Obj_Relink(ObjNode* node, int64_t key) {
  ObjNode* parent = Obj_Unlink(node);
  if (parent) Obj_LinkChild(parent, node, key);
}

ObjNode* Obj_GetChild(ObjNode* parent, int64_t n) {
  if (!parent) return nullptr;
  ObjNode* c = parent->first;
  for (int64_t k = 1; c && k < n; ++k) c = c->next;
  return c;
}

ObjNode* Obj_FindChild(ObjNode* node, const char* name, size_t len) {
  if (!node) return nullptr;
  uint32_t h = Obj_NameHash(name, len, true);
  for (ObjNode* c = node->first; c; c = c->next) {
    if (c->hash == h && Obj_NameEqual(c->name, c->nameLen, name, len)) return c;
  }
  return nullptr;
}
