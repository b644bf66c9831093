// The menu-tree commands 63 (make or change an item), 65 (delete) and 66
// (query) run from fixture scenes on a headless main window.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "menu_game.h"
#include "platform/text.h"
#include "shell/menu.h"

namespace {

using fx::Int;
using fx::Text;

constexpr uint32_t kI = 1000, kD = 1001, kS = 1002;

void Vars(fx::Game& g) { g.IntVar(kI, {}, 7).DoubleVar(kD, {}, 7.0).TextVar(kS, {}, "seven"); }

using menugame::MenuGame;

void Item(fx::Scene& s, const std::vector<fx::Arg>& args) { s.Cmd("menu63", args); }

ObjNode* Node(const char* path, int mode = kObjFindLeaf) {
  char abs[kObjPathMax];
  if (Obj_ResolvePath(abs, path, g_TreeRoots[kTreeMenu].curPath, false) < 0) return nullptr;
  return Menu_FindNode(abs, mode);
}

std::string S(const char* utf8) { return Text_Utf8ToSjis(utf8); }

TEST(MenuItemCmd, NewItemNeedsTextAndKeyByTable) {
  struct Case {
    const char* what;
    std::vector<fx::Arg> args;
    int32_t error;
  } cases[] = {
      {"no text", {{"path", Text("open")}, {"order", Int(1)}}, 100260},
      {"no order key", {{"path", Text("open")}, {"text", Text("Open")}}, 100240},
      // -1 is the key's "not given": it cannot place a new item.
      {"order key -1", {{"path", Text("open")}, {"text", Text("Open")}, {"order", Int(-1)}}, 100240},
      {"subtracting below 1 from a new item gives 1",
       {{"path", Text("open")}, {"text", Text("Open")}, {"order", Int(2), fx::kOpSub}}, 0},
  };
  for (const Case& c : cases) {
    MenuGame g(Vars, [&](fx::Scene& s) { Item(s, c.args); });
    ASSERT_TRUE(g.loaded) << c.what;
    g.Run();
    EXPECT_EQ(g.log.First(), c.error) << c.what;
    EXPECT_EQ(Node("open") != nullptr, c.error == 0) << c.what;
  }
}

TEST(MenuItemCmd, OrderKeyOperatorsByTable) {
  struct Case {
    const char* what;
    uint8_t op;
    int64_t value;
    int64_t key;
  } cases[] = {
      {"set", fx::kOpSet, 9, 9},
      {"add", fx::kOpAdd, 2, 7},
      {"subtract stays at least 1", fx::kOpSub, 10, 1},
      {"multiply by 0 stays at least 1", fx::kOpMul, 0, 1},
      {"divide", fx::kOpDiv, 2, 2},
      {"divide by 0 keeps the key", fx::kOpDiv, 0, 5},
      {"a key wider than 32 bits wraps", fx::kOpSet, (int64_t(1) << 32) + 3, 3},
  };
  for (const Case& c : cases) {
    MenuGame g(Vars, [&](fx::Scene& s) {
      Item(s, {{"path", Text("a")}, {"text", Text("A")}, {"order", Int(5)}});
      Item(s, {{"path", Text("a")}, {"order", Int(c.value), c.op}});
    });
    ASSERT_TRUE(g.loaded) << c.what;
    g.Run();
    EXPECT_TRUE(g.log.Empty()) << c.what << ": " << g.log.First();
    ObjNode* n = Node("a");
    ASSERT_NE(n, nullptr) << c.what;
    EXPECT_EQ(n->key, c.key) << c.what;
  }
}

TEST(MenuItemCmd, NewItemOfOneSubtractedFromStaysOne) {
  MenuGame g(Vars, [](fx::Scene& s) {
    Item(s, {{"path", Text("a")}, {"text", Text("A")}, {"order", Int(3), fx::kOpSub}});
  });
  ASSERT_TRUE(g.loaded);
  g.Run();
  ASSERT_NE(Node("a"), nullptr);
  EXPECT_EQ(Node("a")->key, 1);
}

TEST(MenuItemCmd, KeysOrderTheSiblingsAndMoveAnItem) {
  MenuGame g(Vars, [](fx::Scene& s) {
    Item(s, {{"path", Text("c")}, {"text", Text("C")}, {"order", Int(3)}});
    Item(s, {{"path", Text("a")}, {"text", Text("A")}, {"order", Int(1)}});
    Item(s, {{"path", Text("b")}, {"text", Text("B")}, {"order", Int(2)}});
    Item(s, {{"path", Text("a")}, {"order", Int(9)}});
    // -1 moves nothing.
    Item(s, {{"path", Text("b")}, {"order", Int(-1)}});
  });
  ASSERT_TRUE(g.loaded);
  g.Run();
  ObjNode* m0 = Node("", kObjFindGroup);
  ASSERT_NE(m0, nullptr);
  std::string order;
  for (ObjNode* n = m0->first; n; n = n->next) order += n->name;
  EXPECT_EQ(order, "bca");
  EXPECT_EQ(Node("b")->key, 2);
}

TEST(MenuItemCmd, ValuesAndTextOfAnExistingItem) {
  MenuGame g(Vars, [](fx::Scene& s) {
    Item(s, {{"path", Text("a")}, {"text", Text("A")}, {"order", Int(1)}});
    Item(s, {{"path", Text("a")},
             {"text", Text("Again")},
             {"show", Int(0)},
             {"enable", Int(65535)},
             {"check", Int(1)},
             {"id", Int((int64_t(1) << 40) | 77)}});
  });
  ASSERT_TRUE(g.loaded);
  g.Run();
  const MenuItemRec* r = Menu_Record(Node("a"));
  ASSERT_NE(r, nullptr);
  EXPECT_STREQ(r->text, "Again");
  EXPECT_EQ(r->shown, 0);
  EXPECT_EQ(r->enabled, -1);
  EXPECT_EQ(r->checked, 1);
  EXPECT_EQ(r->id, (uint64_t(1) << 40) | 77);
}

// Item texts longer than the record's buffer are cut whole characters
// short of it: no lead byte is left without its second half.
TEST(MenuItemCmd, LongTextIsCutOnACharacterBoundary) {
  std::string text = "a";
  for (int i = 0; i < 200; ++i) text += S("あ");
  MenuGame g(Vars, [&](fx::Scene& s) {
    Item(s, {{"path", Text("a")}, {"text", Text(text)}, {"order", Int(1)}});
    Item(s, {{"path", Text("b")}, {"text", Text("b")}, {"order", Int(1)}});
    Item(s, {{"path", Text("b")}, {"text", Text(text)}});
  });
  ASSERT_TRUE(g.loaded);
  g.Run();
  for (const char* path : {"a", "b"}) {
    const MenuItemRec* r = Menu_Record(Node(path));
    ASSERT_NE(r, nullptr) << path;
    EXPECT_EQ(std::strlen(r->text), 259u) << path;
    EXPECT_EQ(std::string(r->text), text.substr(0, 259)) << path;
  }
}

TEST(MenuItemCmd, GroupsAndNestedItems) {
  MenuGame g(Vars, [](fx::Scene& s) {
    Item(s, {{"path", Text("file/")}, {"text", Text("File")}, {"order", Int(1)}});
    Item(s, {{"path", Text("file/open")}, {"text", Text("Open")}, {"order", Int(1)}});
    // The group on the way must exist.
    Item(s, {{"path", Text("nosuch/open")}, {"text", Text("Open")}, {"order", Int(1)}});
  });
  ASSERT_TRUE(g.loaded);
  g.Run();
  ObjNode* file = Node("file/", kObjFindGroup);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->kind, kObjKindGroup);
  EXPECT_EQ(file->childCount, 1u);
  EXPECT_NE(Node("file/open"), nullptr);
  EXPECT_EQ(g.log.First(), 100230);
}

TEST(MenuDeleteCmd, ItemGroupAndMissingByTable) {
  struct Case {
    const char* what;
    const char* path;
    bool fileLeft, openLeft, quitLeft;
  } cases[] = {
      {"one item", "file/open", true, false, true},
      {"a group with what is below it", "file/", false, false, true},
      {"a missing item does nothing", "file/nosuch", true, true, true},
  };
  for (const Case& c : cases) {
    MenuGame g(Vars, [&](fx::Scene& s) {
      Item(s, {{"path", Text("file/")}, {"text", Text("File")}, {"order", Int(1)}});
      Item(s, {{"path", Text("file/open")}, {"text", Text("Open")}, {"order", Int(1)}});
      Item(s, {{"path", Text("quit")}, {"text", Text("Quit")}, {"order", Int(2)}});
      s.Cmd("menu65", {{"path", Text(c.path)}});
    });
    ASSERT_TRUE(g.loaded) << c.what;
    g.Run();
    EXPECT_TRUE(g.log.Empty()) << c.what << ": " << g.log.First();
    EXPECT_EQ(Node("file/", kObjFindGroup) != nullptr, c.fileLeft) << c.what;
    EXPECT_EQ(Node("file/open") != nullptr, c.openLeft) << c.what;
    EXPECT_EQ(Node("quit") != nullptr, c.quitLeft) << c.what;
  }
}

// The item asked about: shown 1, enabled -3, order key 4, checked 1, a
// 64-bit id and the text "Open".
void MakeAsked(fx::Scene& s) {
  Item(s, {{"path", Text("open")},
           {"text", Text("Open")},
           {"order", Int(4)},
           {"enable", Int(-3)},
           {"check", Int(1)},
           {"id", Int((int64_t(1) << 33) + 5)}});
}

TEST(MenuQueryCmd, FirstGivenQueryIsAnsweredInItsOrder) {
  struct Case {
    const char* what;
    std::vector<const char*> asked;
    int64_t want;  // 7: left alone
  } cases[] = {
      {"exists before all", {"id", "text", "order", "show", "enable", "check", "exists"}, 1},
      {"shown before enabled, key, checked, id", {"id", "check", "order", "enable", "show"}, 1},
      {"enabled before key", {"id", "check", "order", "enable"}, -3},
      {"key before checked", {"id", "check", "order"}, 4},
      {"checked before id", {"id", "check"}, 1},
      {"id", {"id", "text"}, (int64_t(1) << 33) + 5},
      {"text leaves a number alone", {"text"}, 7},
      {"nothing asked writes nothing", {}, 7},
  };
  for (const Case& c : cases) {
    MenuGame g(Vars, [&](fx::Scene& s) {
      MakeAsked(s);
      std::vector<fx::Arg> args = {{"target", fx::Var(kI)}, {"path", Text("open")}};
      for (const char* a : c.asked) args.push_back({a, Int(0)});
      s.Cmd("menu66", args);
    });
    ASSERT_TRUE(g.loaded) << c.what;
    g.Run();
    EXPECT_TRUE(g.log.Empty()) << c.what << ": " << g.log.First();
    EXPECT_EQ(Var_GetIntElement(kI, 0), c.want) << c.what;
  }
}

TEST(MenuQueryCmd, TextGoesToAStringVariable) {
  MenuGame g(Vars, [](fx::Scene& s) {
    MakeAsked(s);
    s.Cmd("menu66", {{"target", fx::Var(kS)}, {"path", Text("open")}, {"text", Int(0)}});
    s.Cmd("menu66", {{"target", fx::Var(kD)}, {"path", Text("open")}, {"exists", Int(0)}});
  });
  ASSERT_TRUE(g.loaded);
  g.Run();
  EXPECT_STREQ(Var_GetStringElement(kS, 0), "Open");
  EXPECT_EQ(Var_ReadFloatElement(kD, 0), 1.0);
}

TEST(MenuQueryCmd, ExistsIntoAStringVariableIsRefused) {
  MenuGame g(Vars, [](fx::Scene& s) {
    MakeAsked(s);
    s.Cmd("menu66", {{"target", fx::Var(kS)}, {"path", Text("open")}, {"exists", Int(0)}});
  });
  ASSERT_TRUE(g.loaded);
  g.Run();
  EXPECT_EQ(g.log.First(), 101140);
}

TEST(MenuQueryCmd, MissingItemWritesTheZeroOfEachType) {
  for (const char* asked : {"exists", "text", "id"}) {
    MenuGame g(Vars, [&](fx::Scene& s) {
      for (uint32_t v : {kI, kD, kS})
        s.Cmd("menu66", {{"target", fx::Var(v)}, {"path", Text("nosuch/item")}, {asked, Int(0)}});
    });
    ASSERT_TRUE(g.loaded) << asked;
    g.Run();
    EXPECT_TRUE(g.log.Empty()) << asked << ": " << g.log.First();
    EXPECT_EQ(Var_GetIntElement(kI, 0), 0) << asked;
    EXPECT_EQ(Var_ReadFloatElement(kD, 0), 0.0) << asked;
    EXPECT_STREQ(Var_GetStringElement(kS, 0), "") << asked;
  }
}

}  // namespace
