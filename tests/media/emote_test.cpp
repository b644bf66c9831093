// The animated-character host against the recording library: loading, the
// player table, the pixel filter, commands 12 and 13, the state text and
// the device-reset sequence.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "graphics/cg_op.h"
#include "media_fixture.h"

using namespace mediatest;
using Lines = std::vector<std::string>;

namespace {

const std::string kSep = "\x81\x92";  // the state text's separator

class EmoteHost : public MediaGame {
 protected:
  void SetUp() override {
    MediaGame::SetUp();
    Emote_LoadDriverFrom(FAKE_EMOTE_DIR);
    ASSERT_TRUE(Emote_Available());
    ASSERT_TRUE(fake.Open());
    Media_InstallHooks();
    ASSERT_EQ(0, Emote_InitDevice(nullptr));
    fake.Clear();
  }
  void TearDown() override {
    fake.Clear();
    MediaGame::TearDown();
  }
  // Loads a game whose script first makes the E-mote layer "ch.1".
  void LoadWithCharacter(const std::function<void(fx::Scene&)>& body) {
    fx::Scene& s = Main();
    s.Cmd("cg", {{"path", fx::Text("ch")}, {"num", fx::Int(1)}, {"file", fx::Text("chara.psb")}});
    body(s);
    Idle(s);
    ASSERT_TRUE(Load({{"chara.psb", std::string("PSB\0\x01\x02\x03\x04", 8)}}));
  }
  // The log lines from the first one starting with `from` on.
  Lines From(const std::string& from) {
    Lines all = fake.Lines();
    for (size_t i = 0; i < all.size(); ++i)
      if (all[i].rfind(from, 0) == 0) return Lines(all.begin() + long(i), all.end());
    return {};
  }

  FakeEmote fake;
};

TEST(EmoteLibrary, WithoutTheLibraryTheFeatureIsOffAndPsbStaysTwoByTwo) {
  Emote_UnloadLibrary();
  Emote_LoadDriverFrom("/nonexistent-folder");
  EXPECT_FALSE(Emote_Available());
  Media_InstallHooks();
  EXPECT_EQ(g_PsbLoader, nullptr);
  LayerImage rec;
  std::string data = "PSB";
  EXPECT_EQ(0, Load_PSB(&rec, reinterpret_cast<const uint8_t*>(data.data()), data.size(), "a.psb"));
  EXPECT_EQ(rec.width, 2u);
  EXPECT_EQ(rec.height, 2u);
  EXPECT_EQ(rec.emotePlayer, nullptr);
  EXPECT_EQ(1, Emote_InitDevice(nullptr));  // no library, no driver
  std::free(rec.pixels);
}

TEST(EmoteLibrary, ThePlayerLibraryIsUsedOnlyWhenTheProbeLoads) {
  // A folder with the player library but no probe: the feature stays off.
  std::string dir = ::testing::TempDir() + "/emote-no-probe";
  std::filesystem::create_directories(dir);
  std::filesystem::copy_file(std::string(FAKE_EMOTE_DIR) + "/" + kEmotePlayerLibrary,
                             dir + "/" + kEmotePlayerLibrary,
                             std::filesystem::copy_options::overwrite_existing);
  Emote_LoadDriverFrom(dir);
  EXPECT_FALSE(Emote_Available());
  Emote_LoadDriverFrom(FAKE_EMOTE_DIR);
  EXPECT_TRUE(Emote_Available());
  Emote_UnloadLibrary();
}

TEST_F(EmoteHost, APsbLayerBecomesAPlayerFilteredAtItsLevel) {
  LoadWithCharacter([](fx::Scene&) {});
  Frames(1);
  LayerImage* rec = Layer("ch.1");
  ASSERT_NE(rec, nullptr);
  EXPECT_NE(rec->emotePlayer, nullptr);
  EXPECT_EQ(rec->kind, 2u);
  EXPECT_STREQ(rec->fileName, "chara.psb");
  EXPECT_EQ(g_EmoteObjects[0], rec);
  EXPECT_EQ(fake.Lines(), (Lines{"3 size=8", "119 driver=900 size=8", "205 h1"}));
  // The default level 128 leaves the pixel as it is.
  const uint8_t* px = fake.filtered();
  EXPECT_EQ(px[0], 200);
  EXPECT_EQ(px[1], 100);
  EXPECT_EQ(px[2], 50);
}

TEST_F(EmoteHost, TheTableHolds128PlayersAndAFullTableMakesNoPlayer) {
  BoxLog boxes;
  std::vector<LayerImage> recs(kEmoteObjectMax + 1);
  const uint8_t data[4] = {1, 2, 3, 4};
  for (int i = 0; i < kEmoteObjectMax; ++i) ASSERT_EQ(0, Emote_CreatePlayer(&recs[size_t(i)], data, 4));
  fake.Clear();
  LayerImage& extra = recs[kEmoteObjectMax];
  EXPECT_EQ(1, Emote_CreatePlayer(&extra, data, 4));
  EXPECT_EQ(boxes.texts, (Lines{"EmotePlayer最大読込数をオーバーしました."}));
  // No player was made for it, so none is left outside the table.
  EXPECT_TRUE(fake.Lines().empty());
  EXPECT_EQ(extra.emotePlayer, nullptr);
  // Releasing one frees its slot for the next load.
  Emote_ReleaseObject(&recs[5]);
  EXPECT_EQ(recs[5].kind, 1u);
  EXPECT_EQ(g_EmoteObjects[5], nullptr);
  EXPECT_EQ(0, Emote_CreatePlayer(&extra, data, 4));
  EXPECT_EQ(g_EmoteObjects[5], &extra);
  Emote_ReleaseAll();
}

TEST_F(EmoteHost, CreationFailuresShowTheirBoxes) {
  BoxLog boxes;
  LayerImage rec;
  const uint8_t data[4] = {};
  ASSERT_EQ(0, Emote_CreatePlayer(&rec, data, 4));
  EXPECT_EQ(1, Emote_CreatePlayer(&rec, data, 4));
  LayerImage other;
  fake.failLoad(1);
  EXPECT_EQ(1, Emote_CreatePlayer(&other, data, 4));
  EXPECT_EQ(boxes.texts,
            (Lines{"EmotePlayerがすでに読み込まれています.", "EmotePlayer読み込みに失敗しました."}));
  fake.failLoad(0);
  Emote_ReleaseAll();
}

TEST_F(EmoteHost, AFailedLoadOfAPsbLayerTellsTheFileName) {
  BoxLog boxes;
  fake.failLoad(1);
  LoadWithCharacter([](fx::Scene&) {});
  Frames(1);
  ASSERT_EQ(boxes.texts.size(), 2u);
  EXPECT_EQ(boxes.texts[1], "E-mote 読込に失敗しました. = chara.psb");
}

TEST(EmoteFilter, SaturationByTableOfCases) {
  struct Case {
    int32_t level;
    uint8_t in[4], out[4];
  } cases[] = {
      {128, {200, 100, 50, 7}, {200, 100, 50, 7}},   // unchanged
      {0, {200, 100, 50, 7}, {116, 116, 116, 7}},    // grey (m = 116)
      {64, {200, 100, 50, 7}, {158, 108, 83, 7}},    // half way to grey
      {255, {0, 0, 255, 9}, {0, 0, 255, 9}},         // pure red stays in range
      {192, {200, 100, 50, 1}, {242, 92, 17, 1}},    // k = 64: 200 + 42, 100 - 8, 50 - 33
      {255, {200, 100, 50, 1}, {254, 89, 7, 1}},     // k lowered to 83 so blue stays <= 255
  };
  for (const Case& c : cases) {
    g_EmoteSaturation = c.level;
    uint8_t px[8] = {c.in[0], c.in[1], c.in[2], c.in[3], 10, 20, 30, 40};
    Emote_SaturationFilter(px, 4);  // only the first pixel
    for (int i = 0; i < 4; ++i) EXPECT_EQ(px[i], c.out[i]) << "level " << c.level << " byte " << i;
    EXPECT_EQ(px[4], 10);
  }
  g_EmoteSaturation = 128;
}

TEST_F(EmoteHost, Command12RunsItsStepsInOrder) {
  game.TextVar(1010, {2}).IntVar(1011, {3});
  LoadWithCharacter([](fx::Scene& s) {
    s.Let(fx::Elem(1010, {fx::Int(0)}), fx::Text("eye"));
    s.Let(fx::Elem(1010, {fx::Int(1)}), fx::Text("mouth"));
    s.Let(fx::Elem(1011, {fx::Int(0)}), fx::Int(2));
    s.Let(fx::Elem(1011, {fx::Int(1)}), fx::Int(3));
    s.Cmd("emote", {{"path", fx::Text("ch")}, {"num", fx::Int(1)},
                    {"motion", fx::Text("walk")}, {"apply", fx::Int(2)}, {"stop", fx::Int(1)},
                    {"time", fx::Int(1000)}, {"ratio", fx::Int(50)}, {"call253", fx::Int(1)},
                    {"flag", fx::Int(5)}, {"call212", fx::Int(3)}, {"a", fx::Int(512)},
                    {"b", fx::Int(-10)}, {"c", fx::Int(128)}, {"five", fx::Int(1)},
                    {"five0", fx::Int(7)}, {"names", fx::Var(1010)}, {"values", fx::Var(1011)},
                    {"count", fx::Int(5)}, {"state", fx::Text("smile" + kSep + "1500" + kSep)}});
  });
  Frames(1);
  EXPECT_EQ(From("245"), (Lines{
                             "245 h1 walk 3",
                             "248 h1 walk 0.000 60.000",
                             "248 h1 walk 0.500 60.000",
                             "247 h1 walk",
                             "253 h1",
                             "208 h1 1",
                             "212 h1 1",
                             "214 h1 1.000",
                             "218 h1 0.000",
                             "216 h1 0.500",
                             "235 h1 7.0 1.0 1.0 1.0 1.0",
                             "233 h1 eye 2.000 60.000",
                             "233 h1 mouth 3.000 60.000",
                             "233 h1 smile 1.500 0.000",
                         }));
  LayerImage* rec = Layer("ch.1");
  ASSERT_NE(rec, nullptr);
  EXPECT_FLOAT_EQ(rec->playerValues[0], 1.0f);
  EXPECT_FLOAT_EQ(rec->playerValues[1], 0.0f);
  EXPECT_FLOAT_EQ(rec->playerValues[2], 0.5f);
  EXPECT_STREQ(rec->emoteMotion3, "walk");
  EXPECT_FALSE(g_QuitRequested);
}

TEST_F(EmoteHost, WithoutALayerOnlyTheStepsForEveryPlayerAct) {
  LayerImage second;
  const uint8_t data[2] = {};
  LoadWithCharacter([](fx::Scene& s) {
    // Names a motion and values but no layer: nothing may reach a layer.
    s.Cmd("emote", {{"motion", fx::Text("walk")}, {"apply", fx::Int(1)}, {"flag", fx::Int(0)},
                    {"a", fx::Int(64)}, {"five", fx::Int(0)}, {"call253", fx::Int(1)}});
  });
  ASSERT_EQ(0, Emote_CreatePlayer(&second, data, 2));  // h1, then the script's layer is h2
  Frames(1);
  EXPECT_EQ(From("208"), (Lines{"208 h1 0", "208 h2 0", "214 h1 0.250", "214 h2 0.250"}));
  EXPECT_FALSE(g_QuitRequested);
  Emote_ReleaseObject(&second);
}

TEST_F(EmoteHost, AMissingLayerEndsTheCommandQuietly) {
  LoadWithCharacter([](fx::Scene& s) {
    s.Cmd("emote", {{"path", fx::Text("nobody")}, {"flag", fx::Int(1)}});
  });
  Frames(1);
  EXPECT_TRUE(From("208").empty());
  EXPECT_FALSE(g_QuitRequested);
}

TEST_F(EmoteHost, AnApplyStopsThePreviousMotionFirst) {
  LoadWithCharacter([](fx::Scene& s) {
    s.Cmd("emote", {{"path", fx::Text("ch")}, {"num", fx::Int(1)}, {"motion", fx::Text("a")},
                    {"apply", fx::Int(1)}});
    s.Cmd("emote", {{"path", fx::Text("ch")}, {"num", fx::Int(1)}, {"motion", fx::Text("b")},
                    {"apply", fx::Int(1)}});
  });
  Frames(1);
  EXPECT_EQ(From("245"), (Lines{"245 h1 a 1", "247 h1 a", "245 h1 b 1"}));
  EXPECT_STREQ(Layer("ch.1")->emoteMotion1, "b");
}

TEST_F(EmoteHost, Command13AnswersItsQuestions) {
  game.IntVar(1020, {4}).TextVar(1021);
  LoadWithCharacter([](fx::Scene& s) {
    auto ask = [&](const char* what, int index, bool named) {
      std::vector<fx::Arg> args = {{"path", fx::Text("ch")}, {"num", fx::Int(1)},
                                   {"target", fx::Elem(1020, {fx::Int(index)})}, {what, fx::Int(1)}};
      if (named) args.push_back({"name", fx::Text("smile")});
      s.Cmd("emotevalue", args);
    };
    ask("playing", 0, false);
    ask("motion", 1, true);
    ask("query", 2, true);
    ask("query", 3, false);
    s.Cmd("emotevalue", {{"path", fx::Text("ch")}, {"num", fx::Int(1)},
                         {"target", fx::Var(1021)}, {"timelines", fx::Int(1)}});
  });
  fake.answer(252, 1);
  fake.answer(246, 1);
  fake.answer(244, 7);
  fake.addTimeline("blink", 1.5f);
  fake.addTimeline("表情", 0.25f);
  Frames(1);
  EXPECT_EQ(Var_GetIntElement(1020, 0), 1);
  EXPECT_EQ(Var_GetIntElement(1020, 1), 1);
  EXPECT_EQ(Var_GetIntElement(1020, 2), 1);
  EXPECT_EQ(Var_GetIntElement(1020, 3), 0);  // 244 without a name is not asked
  EXPECT_EQ(Var_GetStringElement(1021, 0),
            "blink" + kSep + "1500" + kSep + Text_Utf8ToSjis("表情") + kSep + "250" + kSep);
  EXPECT_EQ(From("246"), (Lines{"246 h1 smile", "244 h1 smile", "228 h1", "229 h1 0",
                                "234 h1 blink", "229 h1 1", "234 h1 表情"}));
}

TEST_F(EmoteHost, TimelinesThatDoNotFitAreLeftOutWhole) {
  LayerImage rec;
  const uint8_t data[1] = {};
  ASSERT_EQ(0, Emote_CreatePlayer(&rec, data, 1));
  std::string longName(300, 'x');
  for (int i = 0; i < 20; ++i) fake.addTimeline((longName + std::to_string(i)).c_str(), 1.0f);
  char buf[kEmoteStateBytes];
  size_t n = Emote_ReadTimelines(&rec, buf, sizeof buf);
  EXPECT_LT(n, sizeof buf);
  EXPECT_EQ(n, std::strlen(buf));
  // Every pair is whole: the text ends with a separator after a value.
  ASSERT_GE(n, 2u);
  EXPECT_EQ(std::string(buf + n - 2, 2), kSep);
  Emote_ReleaseObject(&rec);
}

TEST_F(EmoteHost, LongMotionNamesAreCutToTheirBuffer) {
  LayerImage rec;
  const uint8_t data[1] = {};
  ASSERT_EQ(0, Emote_CreatePlayer(&rec, data, 1));
  std::string name(2000, 'm');
  Emote_ApplyMotion(&rec, name.c_str());
  ASSERT_NE(rec.emoteMotion1, nullptr);
  EXPECT_EQ(std::strlen(rec.emoteMotion1), kEmoteNameBytes - 1);
  Emote_DropLayer(&rec);
}

TEST_F(EmoteHost, ADeviceResetRestoresVariablesAndMotions) {
  LoadWithCharacter([](fx::Scene& s) {
    s.Cmd("emote", {{"path", fx::Text("ch")}, {"num", fx::Int(1)}, {"motion", fx::Text("idle")},
                    {"apply", fx::Int(1)}});
    s.Cmd("emote", {{"path", fx::Text("ch")}, {"num", fx::Int(1)}, {"motion", fx::Text("wave")},
                    {"apply", fx::Int(2)}, {"ratio", fx::Int(25)}});
  });
  Frames(1);
  LayerImage* rec = Layer("ch.1");
  ASSERT_NE(rec, nullptr);
  fake.Clear();
  fake.answer(246, 1);  // both motions still known to the player
  fake.addTimeline("smile", 0.5f);
  Emote_SaveStates();
  Emote_ReleaseForReset();
  EXPECT_EQ(rec->emotePlayer, nullptr);
  EXPECT_EQ(g_EmoteEntry.driver, nullptr);
  ASSERT_EQ(0, Emote_InitDevice(nullptr));
  ASSERT_EQ(0, Img_LoadFile(rec, rec->fileName));  // the renderer's reload
  Emote_RestoreAll();
  EXPECT_EQ(rec->emoteState, nullptr);
  EXPECT_EQ(fake.Lines(), (Lines{
                              "228 h1", "229 h1 0", "234 h1 smile",  // save
                              "246 h1 idle", "246 h1 wave",
                              "202 h1", "102 driver=900",             // release
                              "2 device=0",                           // new driver
                              "3 size=8", "119 driver=900 size=8", "205 h1",  // reload
                              "233 h1 smile 0.500 0.000",             // restore
                              "247 h1 idle", "245 h1 idle 1",
                              "251 h1 wave 0.000",
                              "245 h1 wave 3", "248 h1 wave 0.000 0.000", "248 h1 wave 0.250 0.000",
                          }));
  EXPECT_STREQ(rec->emoteMotion3, "wave");
  EXPECT_FLOAT_EQ(rec->emoteRatio3, 0.25f);
}

TEST_F(EmoteHost, DeletingTheLayerReleasesItsPlayer) {
  LoadWithCharacter([](fx::Scene& s) {
    s.Cmd("emote", {{"path", fx::Text("ch")}, {"num", fx::Int(1)}, {"motion", fx::Text("idle")},
                    {"apply", fx::Int(1)}});
    s.Cmd("cgdel", {{"path", fx::Text("ch")}, {"num", fx::Int(1)}});
  });
  Frames(1);
  EXPECT_EQ(g_EmoteObjects[0], nullptr);
  Lines tail = From("202");
  ASSERT_FALSE(tail.empty());
  EXPECT_EQ(tail[0], "202 h1");
}

}  // namespace

namespace {

TEST_F(EmoteHost, APlayerMovedToAnotherLayerIsReleasedWithThatLayer) {
  LayerImage a, b;
  const uint8_t data[1] = {};
  ASSERT_EQ(0, Emote_CreatePlayer(&a, data, 1));
  Emote_ApplyMotion(&a, "idle");
  // What the layer effects do when they move a picture with its player.
  b.emotePlayer = a.emotePlayer;
  b.kind = 2;
  a.emotePlayer = nullptr;
  a.kind = 0;
  ASSERT_NE(g_CgOpHooks.moveEmote, nullptr);
  g_CgOpHooks.moveEmote(&a, &b);
  EXPECT_EQ(g_EmoteObjects[0], &b);
  EXPECT_STREQ(b.emoteMotion1, "idle");
  EXPECT_EQ(a.emoteMotion1, nullptr);
  fake.Clear();
  Emote_DropLayer(&a);
  EXPECT_TRUE(fake.Lines().empty());
  Emote_DropLayer(&b);
  EXPECT_EQ(fake.Lines(), (Lines{"202 h1"}));
  EXPECT_EQ(g_EmoteObjects[0], nullptr);
}

}  // namespace
