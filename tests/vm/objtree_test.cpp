// Object trees: links by key, unlink, path resolution and lookups.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/shell.h"
#include "vm/vm.h"
#include "flow_testutil.h"

namespace {
ObjNode* Leaf(const char* name) { return Obj_NewNode(name, std::strlen(name), kObjKindLeaf, nullptr); }
ObjNode* Group(const char* name) { return Obj_NewNode(name, std::strlen(name), kObjKindGroup, nullptr); }

// Frees a test's tree (no record hooks) when the test ends.
struct TreeGuard {
  ObjNode* root;
  ~TreeGuard() { Obj_FreeSubtree(-1, root); }
};

std::vector<ObjNode*> Children(ObjNode* p) {
  std::vector<ObjNode*> v;
  for (ObjNode* c = p->first; c; c = c->next) v.push_back(c);
  return v;
}

// The list is consistent both ways and its count matches.
void ExpectConsistent(ObjNode* p) {
  uint32_t n = 0;
  ObjNode* prev = nullptr;
  for (ObjNode* c = p->first; c; c = c->next, ++n) {
    EXPECT_EQ(c->prev, prev);
    EXPECT_EQ(c->parent, p);
    if (prev) {
      EXPECT_LE(prev->key, c->key);
    }
    prev = c;
  }
  EXPECT_EQ(p->last, prev);
  EXPECT_EQ(p->childCount, n);
}
}  // namespace

TEST(ObjTreeLinks, KeysAscendAndEqualKeysKeepLinkOrder) {
  ObjNode* p = Group("p");
  TreeGuard guard{p};
  ObjNode* a = Leaf("a");
  ObjNode* b = Leaf("b");
  ObjNode* c = Leaf("c");
  ObjNode* d = Leaf("d");
  Obj_LinkChild(p, a, 5);
  Obj_LinkChild(p, b, 3);
  Obj_LinkChild(p, c, 5);
  Obj_LinkChild(p, d, 1);
  EXPECT_EQ(Children(p), (std::vector<ObjNode*>{d, b, a, c}));
  ExpectConsistent(p);
  EXPECT_EQ(Obj_GetChild(p, 0), d);
  EXPECT_EQ(Obj_GetChild(p, 1), d);
  EXPECT_EQ(Obj_GetChild(p, -7), d);
  EXPECT_EQ(Obj_GetChild(p, 3), a);
  EXPECT_EQ(Obj_GetChild(p, 4), c);
  EXPECT_EQ(Obj_GetChild(p, 5), nullptr);
  Obj_Relink(d, 9);
  EXPECT_EQ(Children(p), (std::vector<ObjNode*>{b, a, c, d}));
  ExpectConsistent(p);
}

TEST(ObjTreeLinks, UnlinkClearsLinksAndRepeatIsHarmless) {
  ObjNode* p = Group("p");
  TreeGuard guard{p};
  ObjNode* only = Leaf("only");
  Obj_LinkChild(p, only, 1);
  EXPECT_EQ(Obj_Unlink(only), p);
  EXPECT_EQ(p->first, nullptr);
  EXPECT_EQ(p->last, nullptr);
  EXPECT_EQ(p->childCount, 0u);
  EXPECT_EQ(only->parent, nullptr);
  EXPECT_EQ(Obj_Unlink(only), nullptr);  // repeat: nothing changes
  EXPECT_EQ(p->childCount, 0u);
  Obj_FreeNode(only);

  ObjNode* a = Leaf("a");
  ObjNode* b = Leaf("b");
  ObjNode* c = Leaf("c");
  Obj_LinkChild(p, a, 1);
  Obj_LinkChild(p, b, 2);
  Obj_LinkChild(p, c, 3);
  EXPECT_EQ(Obj_Unlink(a), p);
  EXPECT_EQ(p->first, b);
  EXPECT_EQ(b->prev, nullptr);
  EXPECT_EQ(Obj_Unlink(a), nullptr);
  EXPECT_EQ(Obj_Unlink(c), p);
  EXPECT_EQ(p->last, b);
  EXPECT_EQ(Obj_Unlink(nullptr), nullptr);
  ExpectConsistent(p);
  EXPECT_EQ(p->childCount, 1u);
  Obj_FreeNode(a);
  Obj_FreeNode(c);
}

struct ResolveCase {
  const char* cur;
  const char* path;
  bool allowSpace;
  int32_t result;
  const char* out;
};

TEST(ObjTreePaths, ResolveTable) {
  const ResolveCase cases[] = {
      {"W0", "bg", false, 0, "W0/bg"},
      {"W0", "bg/", false, 1, "W0/bg"},
      {"W0", ":bg", false, 0, "bg"},
      {"W0", ":/bg", false, 0, "bg"},
      {"W0", "../x", false, 0, "x"},
      {"W0", "a/./b", false, 0, "W0/a/b"},
      {"W0", "a/b/../c/", false, 1, "W0/a/c"},
      {"W0", "../../x", false, 0, "x"},
      {"W0", ".", false, 0, "W0/."},       // a final '.' stays literal
      {"W0", "a/..", false, 0, "W0/a/.."},  // so does a final '..'
      {"W0", "/x", false, 0, "W0/x"},
      {"", "x", false, 0, "x"},
      {"", "g/x", false, 0, "g/x"},
      {"", ":", false, 0, ""},
      {"W0", "a b", false, -1, ""},
      {"W0", "a b/c", false, -1, ""},
      {"W0", "a b", true, 0, "W0/a b"},
      {"W0", "a b/c", true, 0, "W0/a b/c"},
      // Shift-JIS pairs are one character: a trail byte 0x2F or 0x20 is
      // neither a separator nor a space.
      {"W0", "\x81\x2F" "a", false, 0, "W0/\x81\x2F" "a"},
      {"W0", "\x81\x2F/", false, 1, "W0/\x81\x2F"},
      {"W0", "x/\x81\x20", false, 0, "W0/x/\x81\x20"},
      {"W0", "\x81\x2E/b", false, 0, "W0/\x81\x2E/b"},
      // A lead byte right before the end is one byte.
      {"W0", "ab\x81", false, 0, "W0/ab\x81"},
      {"W0", "a/\x81", false, 0, "W0/a/\x81"},
  };
  for (const ResolveCase& c : cases) {
    ErrCapture err;
    char out[kObjPathMax];
    std::memset(out, 'Z', sizeof out);
    int32_t r = Obj_ResolvePath(out, c.path, c.cur, c.allowSpace);
    EXPECT_EQ(r, c.result) << c.cur << " | " << c.path;
    if (r >= 0) {
      EXPECT_STREQ(out, c.out) << c.cur << " | " << c.path;
    }
    EXPECT_EQ(err.Has(100242), r < 0) << c.path;
    g_QuitRequested = 0;
  }
}

TEST(ObjTreePaths, LongPathsAreRefusedNotOverrun) {
  std::string cur(200, 'c');
  std::string path(40, 'p');
  char out[kObjPathMax];
  EXPECT_EQ(Obj_ResolvePath(out, path.c_str(), cur.c_str(), false), 0);  // 241 bytes fit
  path.assign(60, 'p');
  {
    ErrCapture err;
    EXPECT_EQ(Obj_ResolvePath(out, path.c_str(), cur.c_str(), false), -1);
    EXPECT_TRUE(err.Has(100242));
  }
  std::string longAbs = ":" + std::string(300, 'a') + "/../b";
  ErrCapture err;
  EXPECT_EQ(Obj_ResolvePath(out, longAbs.c_str(), "", false), -1);
  EXPECT_EQ(g_QuitRequested.load(), 1);
}

class ObjTreeFind : public testing::Test {
 protected:
  void SetUp() override {
    root = Group("");
    a = Group("a");
    Obj_LinkChild(root, a, 2);
    aLeaf = Leaf("a");
    Obj_LinkChild(root, aLeaf, 1);
    sub = Group("Sub");
    Obj_LinkChild(a, sub, 0);
    x = Leaf("x");
    Obj_LinkChild(sub, x, 0);
  }
  void TearDown() override { Obj_FreeSubtree(-1, root); }
  ObjNode *root, *a, *aLeaf, *sub, *x;
};

TEST_F(ObjTreeFind, GroupBitTellsGroupAndLeafApart) {
  EXPECT_EQ(Obj_FindByPath(root, "a", kObjFindLeaf), aLeaf);
  EXPECT_EQ(Obj_FindByPath(root, "a", kObjFindGroup), a);
  EXPECT_EQ(Obj_FindByPath(root, "a", kObjFindEither), aLeaf);  // first in key order
  Obj_Relink(aLeaf, 3);
  EXPECT_EQ(Obj_FindByPath(root, "a", kObjFindEither), a);
  EXPECT_EQ(Obj_FindByPath(root, "a/sub/x", kObjFindLeaf), x);
  EXPECT_EQ(Obj_FindByPath(root, "a/sub/y", kObjFindLeaf), nullptr);  // silent miss
  EXPECT_EQ(g_QuitRequested.load(), 0);
  EXPECT_EQ(Obj_FindGroupByPath("a/sub/y", root), sub);
  EXPECT_EQ(Obj_FindGroupByPath("", root), root);
  EXPECT_EQ(Obj_FindChild(root, "a", 1), a);
}

TEST_F(ObjTreeFind, NamesMatchWithoutCase) {
  EXPECT_EQ(Obj_FindByPath(root, "A/SUB/X", kObjFindLeaf), x);
  EXPECT_EQ(Obj_FindByPath(root, "a/sub/x", kObjFindLeaf), x);
  EXPECT_EQ(Obj_NameHash("SYSTEM", 6, false), Obj_NameHash("system", 6, false));
  EXPECT_EQ(Obj_NameHash("ab", 2, true), Obj_NameHash("ab", 2, false) | kObjHashGroupBit);
  // Shift-JIS trail bytes are not letters: 0x81 0x41 and 0x81 0x61 differ.
  EXPECT_FALSE(Obj_NameEqual("\x81\x41", 2, "\x81\x61", 2));
  EXPECT_TRUE(Obj_NameEqual("aB\x81\x41", 4, "Ab\x81\x41", 4));
}

TEST_F(ObjTreeFind, MissingGroupIsAnErrorUnlessQuiet) {
  {
    ErrCapture err;
    EXPECT_EQ(Obj_FindByPath(root, "nope/x", kObjFindLeaf | kObjFindQuiet), nullptr);
    EXPECT_EQ(g_QuitRequested.load(), 0);
    EXPECT_FALSE(err.Has(100230));
  }
  ErrCapture err;
  EXPECT_EQ(Obj_FindByPath(root, "a/nope/x", kObjFindLeaf), nullptr);
  EXPECT_TRUE(err.Has(100230));
  EXPECT_EQ(g_QuitRequested.load(), 1);
}

namespace {
int g_Released = 0;
void CountRelease(ObjNode*) { ++g_Released; }
int32_t MakeLayerRoot(ObjTreeRoot& t) {
  std::strcpy(t.curPath, "W0");
  ObjNode* w0 = Obj_NewNode("W0", 2, kObjKindGroup, nullptr);
  Obj_LinkChild(t.root, w0, 0);
  return 0;
}
}  // namespace

TEST_F(ObjTreeFind, FreeSubtreeReleasesEveryRecord) {
  Obj_SetReleaseHook(kTreeLayer, CountRelease);
  Obj_FreeSubtree(kTreeLayer, a);
  EXPECT_EQ(g_Released, 3);
  EXPECT_EQ(Children(root), (std::vector<ObjNode*>{aLeaf}));
}

TEST(ObjTreeRoots, SystemRootsAndRegisteredMakers) {
  Obj_RegisterRootMaker(kTreeLayer, MakeLayerRoot);
  ASSERT_EQ(Obj_CreateSystemRoots(), 0);
  for (const ObjTreeRoot& t : g_TreeRoots) ASSERT_NE(t.root, nullptr);
  EXPECT_STREQ(g_TreeRoots[kTreeLayer].curPath, "W0");
  EXPECT_NE(Obj_FindByPath(g_TreeRoots[kTreeLayer].root, "w0", kObjFindGroup), nullptr);

  ObjNode* troot = g_TreeRoots[kTreeTask].root;
  EXPECT_STREQ(g_TreeRoots[kTreeTask].curPath, "");
  ASSERT_EQ(troot->childCount, 2u);
  ObjNode* group = troot->first;
  ObjNode* sys = troot->last;
  EXPECT_EQ(group->kind, kObjKindGroup);
  EXPECT_EQ(group->nameLen, 0u);
  EXPECT_EQ(group->key, 100);
  EXPECT_STREQ(sys->name, "SYSTEM");
  EXPECT_EQ(sys->key, 100);
  auto* t = static_cast<TaskRec*>(sys->record);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->isSystem, 1);
  EXPECT_EQ(t->runA & t->runB, 1);
  EXPECT_EQ(Task_SystemNode(), sys);
  // Script names arrive lower-cased and still reach the system task.
  EXPECT_EQ(Obj_FindByPath(troot, "system", kObjFindLeaf), sys);
  EXPECT_EQ(Obj_CreateSystemRoots(), 0);  // a second call changes nothing
  EXPECT_EQ(troot->childCount, 2u);
}
