// Command 100 run from fixture scenes.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/msgbox.h"
#include "platform/text.h"
#include "scene_testutil.h"

namespace {

constexpr uint32_t kS = 1000, kT = 1001, kI = 1002, kD = 1003, kArr = 1004, kTexts = 1005, kGrid = 1006;

// 1000 text "abcd", 1001 text "keep", 1002 int (-9), 1003 double (-9),
// 1004 int[4] = 1 2 3 4, 1005 text[3] = "x" "y" "z", 1006 int[2][2];
// message boxes are recorded.
struct StrRun {
  explicit StrRun(const std::function<void(fx::Scene&)>& body,
                  const std::function<void(fx::Game&)>& more = {}) {
    g_QuitRequested = 0;
    MsgBox_SetRecorder([this](const MsgBoxRequest& r) {
      boxes.push_back(r.text);
      return 1;
    });
    fx::Game g;
    g.TextVar(kS, {}, "abcd").TextVar(kT, {}, "keep").IntVar(kI, {}, -9).DoubleVar(kD, {}, -9);
    g.IntVar(kArr, {4}).TextVar(kTexts, {3}).IntVar(kGrid, {2, 2});
    if (more) more(g);
    fx::Scene& s = g.Scene(0);
    s.Label("SYSTEM_START");
    for (int i = 0; i < 4; ++i) s.Let(fx::Elem(kArr, {fx::Int(i)}), fx::Int(i + 1));
    const char* texts[] = {"x", "y", "z"};
    for (int i = 0; i < 3; ++i) s.Let(fx::Elem(kTexts, {fx::Int(i)}), fx::Text(texts[i]));
    body(s);
    EndWithWait(s);
    loaded = LoadGame(g);
    if (loaded == 0) RunFrames(1);
  }
  ~StrRun() { MsgBox_SetRecorder(nullptr); }
  int loaded;
  ErrCapture log;
  std::vector<std::string> boxes;
};

void Cmd(fx::Scene& s, std::vector<fx::Arg> args) { s.Cmd("strarray", args); }
fx::Arg On(const char* name) { return {name, fx::Int(0)}; }

TEST(StrArray, ConversionBetweenNumbersAndTexts) {
  struct Case {
    const char* what;
    std::string text;  // put into 1000 first
    uint32_t from, to;
    int64_t wantI;
    double wantD;
    std::string wantT;
  } cases[] = {
      {"hex text", "0x1F", kS, kI, 31, -9, "keep"},
      {"hex text to double", "0xff", kS, kD, -9, 255, "keep"},
      {"16 hex digits", "0xFFFFFFFFFFFFFFFF", kS, kI, -1, -9, "keep"},
      {"decimal text with a point", "12.5", kS, kD, -9, 12.5, "keep"},
      {"point text into an int", "12.5", kS, kI, 12, -9, "keep"},
      {"negative integer text", "-42", kS, kI, -42, -9, "keep"},
      {"empty text", "", kS, kI, 0, -9, "keep"},
      {"int to text", "", kI, kT, -9, -9, "-9"},
      {"double to text", "", kD, kT, -9, -9, "-9.000000"},
  };
  for (const auto& c : cases) {
    StrRun r([&](fx::Scene& s) {
      s.Let(fx::Var(kS), fx::Text(c.text));
      Cmd(s, {{"source", fx::Var(c.from)}, {"target", fx::Var(c.to)}, On("convert")});
    });
    ASSERT_EQ(r.loaded, 0);
    EXPECT_EQ(IntVar(kI), c.wantI) << c.what;
    EXPECT_DOUBLE_EQ(DblVar(kD), c.wantD) << c.what;
    EXPECT_EQ(StrVar(kT), c.wantT) << c.what;
    EXPECT_TRUE(r.log.Empty()) << c.what << ": " << r.log.First();
    Script_FreeAll();
  }
}

TEST(StrArray, ConversionFailures) {
  struct Case {
    const char* what;
    std::string text;
    uint32_t from, to;
    int err;  // 0: refused without a report
  } cases[] = {
      {"not a number", "12a", kS, kI, 108210},
      {"double-byte digits", "\x82\x50\x82\x51", kS, kI, 108210},
      {"int into double", "", kI, kD, 108200},
      {"text into text", "1", kS, kT, 108200},
      {"0x without digits", "0x", kS, kI, 108210},
      {"17 hex digits", "0x10000000000000000", kS, kI, 108210},
      {"two dots", "1.2.3", kS, kI, 108210},
      {"two signs", "--5", kS, kI, 108210},
      {"sign inside", "5-3", kS, kI, 108210},
      {"sign alone", "-", kS, kI, 108210},
      {"dot alone", ".", kS, kI, 108210},
  };
  for (const auto& c : cases) {
    StrRun r([&](fx::Scene& s) {
      s.Let(fx::Var(kS), fx::Text(c.text));
      Cmd(s, {{"source", fx::Var(c.from)}, {"target", fx::Var(c.to)}, On("convert")});
    });
    ASSERT_EQ(r.loaded, 0);
    if (c.err)
      EXPECT_EQ(r.log.First(), c.err) << c.what;
    else
      EXPECT_TRUE(r.log.Empty()) << c.what;
    EXPECT_EQ(IntVar(kI), -9) << c.what;
    EXPECT_DOUBLE_EQ(DblVar(kD), -9) << c.what;
    EXPECT_EQ(StrVar(kT), "keep") << c.what;
    Script_FreeAll();
  }
}

TEST(StrArray, SubstringAndRemoval) {
  struct Case {
    const char* what;
    std::string text;
    const char* fn;
    std::vector<fx::Arg> range;
    bool toTarget;
    std::string want;  // in the variable written
    int err;
  } cases[] = {
      {"sub 2,2", "abcd", "sub", {{"start", fx::Int(2)}, {"length", fx::Int(2)}}, true, "bc", 0},
      {"remove 2,2", "abcd", "remove", {{"start", fx::Int(2)}, {"length", fx::Int(2)}}, true, "ad", 0},
      {"sub start 0, no length", "abcd", "sub", {{"start", fx::Int(0)}}, true, "", 0},
      {"sub back into the source", "abcd", "sub", {{"start", fx::Int(3)}, {"length", fx::Int(2)}}, false, "cd", 0},
      {"sub by character", "\x82\xa0\x82\xa2\x82\xa4", "sub", {{"start", fx::Int(2)}, {"length", fx::Int(1)}},
       true, "\x82\xa2", 0},
      {"remove by character", "a\x82\xa2z", "remove", {{"start", fx::Int(2)}, {"length", fx::Int(1)}}, true, "az", 0},
      {"sub start 5", "abcd", "sub", {{"start", fx::Int(5)}}, true, "keep", 120010},
      {"sub 4,2", "abcd", "sub", {{"start", fx::Int(4)}, {"length", fx::Int(2)}}, true, "keep", 120020},
      {"remove start 5", "abcd", "remove", {{"start", fx::Int(5)}}, true, "keep", 120110},
      {"remove 4,2", "abcd", "remove", {{"start", fx::Int(4)}, {"length", fx::Int(2)}}, true, "keep", 120120},
  };
  for (const auto& c : cases) {
    StrRun r([&](fx::Scene& s) {
      s.Let(fx::Var(kS), fx::Text(c.text));
      std::vector<fx::Arg> args = {{"source", fx::Var(kS)}, On(c.fn)};
      if (c.toTarget) args.push_back({"target", fx::Var(kT)});
      args.insert(args.end(), c.range.begin(), c.range.end());
      Cmd(s, args);
    });
    ASSERT_EQ(r.loaded, 0);
    EXPECT_EQ(StrVar(c.toTarget ? kT : kS), c.want) << c.what;
    if (c.err)
      EXPECT_EQ(r.log.First(), c.err) << c.what;
    else
      EXPECT_TRUE(r.log.Empty()) << c.what << ": " << r.log.First();
    Script_FreeAll();
  }
}

TEST(StrArray, CaseAndWidth) {
  struct Case {
    const char* fn;
    std::string text, want;
  } cases[] = {
      // The follower 0x61 of a double-byte character is not a letter.
      {"upper", "aBz\x83\x61\x82\x81", "ABZ\x83\x61\x82\x81"},
      {"uppermb", "aBz\x83\x61\x82\x81", "ABZ\x83\x61\x82\x60"},
      {"lower", "AbZ\x83\x41\x82\x60", "abz\x83\x41\x82\x60"},
      {"lowermb", "AbZ\x83\x41\x82\x60", "abz\x83\x41\x82\x81"},
      // ｱ ｶ ﾞ 1 a space: a voiced mark stays a mark of its own.
      {"tofull", "\xb1\xb6\xde" "1a ", "\x83\x41\x83\x4a\x81\x4a\x82\x50\x82\x81\x81\x40"},
      {"tofull", "\x82\xa0", "\x82\xa0"},
      // ア １ stay single bytes; ガ and あ have none.
      {"tohalf", "\x83\x41\x82\x50\x83\x4b\x82\xa0x", "\xb1" "1\x83\x4b\x82\xa0x"},
  };
  for (const auto& c : cases) {
    StrRun r([&](fx::Scene& s) {
      s.Let(fx::Var(kS), fx::Text(c.text));
      Cmd(s, {{"source", fx::Var(kS)}, {"target", fx::Var(kT)}, On(c.fn)});
    });
    ASSERT_EQ(r.loaded, 0);
    EXPECT_EQ(StrVar(kT), c.want) << c.fn << " " << c.text;
    EXPECT_EQ(StrVar(kS), c.text);
    EXPECT_TRUE(r.log.Empty()) << r.log.First();
    Script_FreeAll();
  }
}

TEST(StrArray, TextStepsRunInOrderAndNeedTexts) {
  StrRun ok([&](fx::Scene& s) {
    // Each step reads the source afresh and runs in the order 11, 7, 9: the
    // lower-cased text of the last one wins.
    Cmd(s, {{"source", fx::Var(kS)}, {"target", fx::Var(kT)}, On("lower"), On("tofull"), On("upper")});
  });
  ASSERT_EQ(ok.loaded, 0);
  EXPECT_EQ(StrVar(kT), "abcd");
  Script_FreeAll();
  for (const char* fn : {"sub", "remove", "upper", "tohalf"}) {
    StrRun r([&](fx::Scene& s) { Cmd(s, {{"source", fx::Var(kI)}, {"target", fx::Var(kT)}, On(fn)}); });
    ASSERT_EQ(r.loaded, 0);
    EXPECT_EQ(r.log.First(), 108220) << fn;
    Script_FreeAll();
    StrRun r2([&](fx::Scene& s) { Cmd(s, {{"source", fx::Var(kS)}, {"target", fx::Var(kI)}, On(fn)}); });
    EXPECT_EQ(r2.log.First(), 108220) << fn << " into an int";
    Script_FreeAll();
  }
}

std::vector<int64_t> Arr() {
  std::vector<int64_t> v;
  for (int i = 0; i < g_VarTable.vars[kArr].count; ++i) v.push_back(IntVar(kArr, i));
  return v;
}

TEST(StrArray, InsertDeleteAndResize) {
  struct Case {
    const char* what;
    fx::Arg arg;
    std::vector<int64_t> want;
  } cases[] = {
      {"insert at 1", {"insert", fx::Int(1)}, {1, 0, 2, 3}},
      {"insert at 0", {"insert", fx::Int(0)}, {0, 1, 2, 3}},
      {"insert at 9", {"insert", fx::Int(9)}, {1, 2, 3, 0}},
      {"insert at -1", {"insert", fx::Int(-1)}, {1, 2, 3, 4}},
      {"delete at 1", {"delete", fx::Int(1)}, {1, 3, 4, 0}},
      {"delete at 3", {"delete", fx::Int(3)}, {1, 2, 3, 0}},
      {"delete at 9", {"delete", fx::Int(9)}, {1, 2, 3, 4}},
      {"delete at -1", {"delete", fx::Int(-1)}, {1, 2, 3, 4}},
      // The position is the whole 64-bit value, not its low half (which is 1).
      {"delete at 2^32 + 1", {"delete", fx::Int((int64_t(1) << 32) + 1)}, {1, 2, 3, 4}},
      {"resize to 6", {"resize", fx::Int(6)}, {1, 2, 3, 4, 0, 0}},
      {"resize by -2", {"resize", fx::Int(2), fx::kOpSub}, {1, 2}},
      {"resize to the same size", {"resize", fx::Int(4)}, {1, 2, 3, 4}},
  };
  for (const auto& c : cases) {
    StrRun r([&](fx::Scene& s) { Cmd(s, {{"source", fx::Var(kArr)}, c.arg}); });
    ASSERT_EQ(r.loaded, 0);
    EXPECT_EQ(Arr(), c.want) << c.what;
    EXPECT_TRUE(r.log.Empty()) << r.log.First();
    EXPECT_TRUE(r.boxes.empty()) << c.what;
    Script_FreeAll();
  }
}

TEST(StrArray, TextArrayEditsMoveTexts) {
  StrRun r([&](fx::Scene& s) {
    Cmd(s, {{"source", fx::Var(kTexts)}, {"insert", fx::Int(0)}});  // "" x y
    Cmd(s, {{"source", fx::Var(kTexts)}, {"delete", fx::Int(1)}});  // "" y ""
  });
  ASSERT_EQ(r.loaded, 0);
  EXPECT_EQ(StrVar(kTexts, 0), "");
  EXPECT_EQ(StrVar(kTexts, 1), "y");
  EXPECT_EQ(StrVar(kTexts, 2), "");
}

TEST(StrArray, ArrayEditBoxes) {
  const std::string resizeBox =
      Text_Utf8ToSjis("配列サイズを変更しようとしましたが、この変数は１次元配列ではありません。");
  const std::string sizeBox = Text_Utf8ToSjis("変更後の配列サイズが不正です。");
  const std::string insertBox =
      Text_Utf8ToSjis("配列挿入処理をしようとしましたが、この変数は１次元配列ではありません。");
  const std::string deleteBox =
      Text_Utf8ToSjis("配列削除処理をしようとしましたが、この変数は１次元配列ではありません。");
  struct Case {
    const char* what;
    uint32_t var;
    fx::Arg arg;
    const std::string& box;
  } cases[] = {
      {"size 0", kArr, {"resize", fx::Int(0)}, sizeBox},
      {"resize a scalar", kI, {"resize", fx::Int(3)}, resizeBox},
      {"insert into a grid", kGrid, {"insert", fx::Int(0)}, insertBox},
      {"delete from a scalar", kI, {"delete", fx::Int(0)}, deleteBox},
  };
  for (const auto& c : cases) {
    StrRun r([&](fx::Scene& s) {
      // The delete step after a refused step must not run.
      Cmd(s, {{"source", fx::Var(c.var)}, c.arg, {"delete", fx::Int(0)}});
    });
    ASSERT_EQ(r.loaded, 0);
    ASSERT_EQ(r.boxes.size(), 1u) << c.what;
    EXPECT_EQ(r.boxes[0], c.box) << c.what;
    EXPECT_EQ(Arr(), (std::vector<int64_t>{1, 2, 3, 4})) << c.what;
    EXPECT_EQ(g_VarTable.vars[kI].dimCount, 0) << c.what;
    Script_FreeAll();
  }
}

TEST(StrArray, GroupResetByTypeAndGroup) {
  StrRun r(
      [&](fx::Scene& s) {
        for (uint32_t v : {1010u, 1011u, 1012u, 1013u}) s.Let(fx::Var(v), fx::Int(99));
        Cmd(s, {{"source", fx::Var(kS)}, On("reset"), On("int1"), On("dbl2")});
      },
      [](fx::Game& g) {
        g.IntVar(1010, {}, 1, 1, 0, 1).IntVar(1011, {}, 2, 1, 0, 2);
        g.DoubleVar(1012, {}, 3, 1, 0, 1).DoubleVar(1013, {}, 4, 1, 0, 2);
      });
  ASSERT_EQ(r.loaded, 0);
  EXPECT_TRUE(r.log.Empty()) << r.log.First();
  EXPECT_EQ(IntVar(1010), 1);
  EXPECT_EQ(IntVar(1011), 99);
  EXPECT_DOUBLE_EQ(DblVar(1012), 99);
  EXPECT_DOUBLE_EQ(DblVar(1013), 4);
}

}  // namespace
