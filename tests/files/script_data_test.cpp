// The compiled script data readers: a fixture game read back through the
// compiler store and through a pack, every file cut short, and the edge
// cases of each format.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "files/files_test_util.h"
#include "files/script_data.h"
#include "vm/scene_testutil.h"

namespace {

fx::Game SampleGame() {
  fx::Game g;
  g.Cfg().width = 800;
  g.Cfg().height = 600;
  g.Cfg().title = "Sample";
  g.Cfg().debug = 1;
  g.ErrorText(101000, "range %s %s %I64d %d %d").ErrorText(104010, "read %s");
  g.IntVar(1000, {2, 3}, 4).DoubleVar(1001, {}, 0.5).TextVar(1002, {2}, "hi").IntVar(1003, {}, 1, 2, 1);
  g.CountValue(77);
  fx::Scene& s = g.Scene(0);
  s.Label("SYSTEM_START");
  EndWithWait(s);
  fx::Scene& s1 = g.Scene(1, "second.txt");
  s1.Label("other");
  EndWithWait(s1);
  return g;
}

void ExpectSampleLoaded() {
  EXPECT_EQ(g_EngineConfig.width, 800u);
  EXPECT_EQ(g_EngineConfig.height, 600u);
  EXPECT_STREQ(g_EngineConfig.title, "Sample");
  EXPECT_EQ(g_EngineConfig.debug, 1);
  EXPECT_EQ(g_EngineConfig.tileW, 1024u);
  EXPECT_EQ(g_EngineConfig.tileH, 1024u);
  ASSERT_EQ(g_ErrTextTable.count, 2);
  EXPECT_EQ(g_ErrTextTable.numbers[1], 104010u);
  EXPECT_STREQ(g_ErrTextTable.texts[1], "read %s");
  EXPECT_STREQ(Cmd_Name(54), "let");
  EXPECT_EQ(g_VarTable.count, 1004u);
  EXPECT_EQ(g_SysVarCountValue, 77u);
  EXPECT_EQ(g_SceneList.count, 2u);
  EXPECT_STREQ(Scene_FileName(1), "second.txt");
  EXPECT_EQ(Var_GetIntElement(1000, 5), 4);
  EXPECT_DOUBLE_EQ(Var_ReadFloatElement(1001, 0), 0.5);
  EXPECT_STREQ(Var_GetStringElement(1002, 1), "hi");
  EXPECT_EQ(g_VarTable.vars[1003].type, 0);  // scene 1's variable: not yet
  int32_t other = Label_Find("other", 5);
  ASSERT_GE(other, 0);
  EXPECT_EQ(g_LabelTable.labels[other].scene, 1);
  ASSERT_EQ(Scene_Load(1), 1);
  EXPECT_EQ(Var_GetIntElement(1003, 0), 1);
}

TEST(ScriptData, GameReadBackFromTheCompilerStore) {
  ErrCapture log;
  ASSERT_EQ(LoadGame(SampleGame()), 0) << log.First();
  ExpectSampleLoaded();
  EXPECT_TRUE(log.Empty()) << log.First();
}

TEST(ScriptData, GameReadBackFromAPack) {
  GameDir dir;
  dir.Write("data.qpf", fx::PackImage(SampleGame().Build(), true));
  ErrCapture log;
  Pack_InitNameTable();
  ASSERT_EQ(Pack_BuildIndex(), 0);
  EXPECT_EQ(g_DataPackaged, 1);
  ASSERT_EQ(Obj_CreateSystemRoots(), 0);
  ASSERT_EQ(Script_LoadConfig(), 0);
  ASSERT_EQ(Script_LoadAll(), 0) << log.First();
  ExpectSampleLoaded();
  Pack_Reset();
}

TEST(ScriptData, LooseFilesAreReadToo) {
  GameDir dir;
  for (const auto& [name, bytes] : SampleGame().Build()) {
    std::string rel = name;
    std::replace(rel.begin(), rel.end(), '\\', '/');
    dir.Write(rel, bytes);
  }
  ErrCapture log;
  Pack_InitNameTable();
  ASSERT_EQ(Obj_CreateSystemRoots(), 0);
  ASSERT_EQ(Script_LoadConfig(), 0) << log.First();
  ASSERT_EQ(Script_LoadAll(), 0) << log.First();
  ExpectSampleLoaded();
}

// Each file cut at every length below its own fails with a number and
// without a crash; the reader of that file is the one that reports.
TEST(ScriptData, EveryFileCutShortIsRefused) {
  fx::Files full = SampleGame().Build();
  struct Reader {
    const char* name;
    std::function<int(const std::string&)> parse;
  };
  auto own = [](const std::string& s) {
    auto* p = static_cast<uint8_t*>(std::malloc(s.size() ? s.size() : 1));
    std::memcpy(p, s.data(), s.size());
    return p;
  };
  auto bytes = [](const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); };
  ASSERT_EQ(Var_AllocTable(1100), 0);
  const Reader readers[] = {
      {kFileErrTexts, [&](const std::string& s) { return Script_ParseErrorTexts(own(s), s.size(), "f"); }},
      {kFileVarCounts, [&](const std::string& s) { return Script_ParseVarCounts(bytes(s), s.size(), "f"); }},
      {kFileSceneList, [&](const std::string& s) { return Script_ParseSceneList(bytes(s), s.size(), "f"); }},
      {kFileVarDefs, [&](const std::string& s) { return Script_ParseVarFile(own(s), s.size(), "f"); }},
      {kFileLabels, [&](const std::string& s) { return Script_ParseLabels(bytes(s), s.size(), "f"); }},
      {kFileConfig, [&](const std::string& s) { return Script_ParseConfig(bytes(s), s.size(), "f"); }},
  };
  for (const Reader& r : readers) {
    const std::string& f = full.at(r.name);
    // Labels need the scene list they point into.
    ASSERT_EQ(Script_ParseSceneList(bytes(full.at(kFileSceneList)), full.at(kFileSceneList).size(), "l"), 0);
    for (size_t cut = 0; cut < f.size(); ++cut) {
      ErrCapture log;
      EXPECT_NE(r.parse(f.substr(0, cut)), 0) << r.name << " cut " << cut;
      EXPECT_EQ(log.First(), 104010) << r.name << " cut " << cut;
    }
    ErrCapture log;
    EXPECT_EQ(r.parse(f), 0) << r.name;
    EXPECT_TRUE(log.Empty()) << r.name << " " << log.First();
  }
  Script_FreeAll();
}

struct CfgCase {
  uint32_t w, h;
  std::string title;
  uint32_t frameThread;
  int err;
  uint32_t tileW, tileH;
};

TEST(ScriptData, ConfigurationEdges) {
  g_ConfigDesktopW = 1920;
  g_ConfigDesktopH = 1080;
  const CfgCase cases[] = {
      {0, 0, "t", 0, 0, 2048, 2048},
      {128, 16, "t", 0, 0, 256, 256},
      {8192, 8192, "t", 1, 0, 4096, 4096},
      {800, 600, "t", 0, 0, 1024, 1024},
      {2049, 256, "t", 0, 0, 4096, 256},
      {127, 600, "t", 0, 901020, 0, 0},
      {800, 8193, "t", 0, 901020, 0, 0},
      {800, 15, "t", 0, 901020, 0, 0},
      {0, 600, "t", 0, 901020, 0, 0},
      {800, 600, std::string(128, 'T'), 0, 0, 1024, 1024},
      {800, 600, std::string(129, 'T'), 0, 901000, 0, 0},
      {800, 600, "t", 2, 901020, 0, 0},
  };
  for (const CfgCase& c : cases) {
    fx::Config cfg;
    cfg.width = c.w, cfg.height = c.h, cfg.title = c.title, cfg.frameThread = c.frameThread;
    std::string f = fx::ConfigFile(cfg);
    ErrCapture log;
    int r = Script_ParseConfig(reinterpret_cast<const uint8_t*>(f.data()), f.size(), "cfg");
    EXPECT_EQ(log.First(), c.err) << c.w << "x" << c.h << " title " << c.title.size();
    if (c.err) {
      EXPECT_NE(r, 0);
      continue;
    }
    EXPECT_EQ(g_EngineConfig.tileW, c.tileW);
    EXPECT_EQ(g_EngineConfig.tileH, c.tileH);
    EXPECT_EQ(g_EngineConfig.title, c.title);
  }
  EXPECT_EQ(g_EngineConfig.width, 800u);
  fx::Config cfg;
  cfg.width = 0, cfg.height = 0, cfg.title = "";
  cfg.imageOrder[0] = 3;
  std::string f = fx::ConfigFile(cfg);
  ASSERT_EQ(Script_ParseConfig(reinterpret_cast<const uint8_t*>(f.data()), f.size(), "cfg"), 0);
  EXPECT_EQ(g_EngineConfig.width, 1920u);
  EXPECT_EQ(g_EngineConfig.useDesktop, 1);
  EXPECT_STREQ(g_EngineConfig.title, " ");
  EXPECT_EQ(g_ImageExtOrder[0], 3);
}

TEST(ScriptData, VariableCountVersion) {
  for (uint32_t v : {479u, 481u, 0u}) {
    std::string f = fx::VarCountFile(1000, 0, v);
    ErrCapture log;
    EXPECT_NE(Script_ParseVarCounts(reinterpret_cast<const uint8_t*>(f.data()), f.size(), "qvt"), 0);
    EXPECT_EQ(log.First(), 105000);
  }
  std::string huge = fx::VarCountFile(0xFFFFFFFFu);
  ErrCapture log;
  EXPECT_NE(Script_ParseVarCounts(reinterpret_cast<const uint8_t*>(huge.data()), huge.size(), "qvt"), 0);
  EXPECT_EQ(log.First(), 104010);
}

TEST(ScriptData, ErrorTextsBeyondTheirCount) {
  std::map<uint32_t, std::string> texts;
  for (uint32_t i = 0; i < 300; ++i) texts[100000 + i] = "t" + std::to_string(i);
  std::string f = fx::ErrorTextFile(texts);
  auto* p = static_cast<uint8_t*>(std::malloc(f.size()));
  std::memcpy(p, f.data(), f.size());
  ASSERT_EQ(Script_ParseErrorTexts(p, f.size(), "qve"), 0);
  EXPECT_EQ(g_ErrTextTable.count, 256);
  EXPECT_STREQ(g_ErrTextTable.texts[255], "t255");
  Script_FreeAll();
}

TEST(ScriptData, SceneListNumbersAndGaps) {
  std::string f = fx::SceneListFile({{0, "a.txt"}, {1, "b.txt"}});
  fx::PatchU32(f, 12 + 4 + 4 + 5 + 16 + 4, 0);  // the second record says scene 0 too
  ASSERT_EQ(Script_ParseSceneList(reinterpret_cast<const uint8_t*>(f.data()), f.size(), "l"), 0);
  EXPECT_STREQ(Scene_FileName(0), "b.txt");
  EXPECT_STREQ(Scene_FileName(1), "");  // a gap reads empty, never null
  fx::PatchU32(f, 12 + 4 + 4 + 5 + 16 + 4, 2);
  ErrCapture log;
  EXPECT_NE(Script_ParseSceneList(reinterpret_cast<const uint8_t*>(f.data()), f.size(), "l"), 0);
  EXPECT_EQ(log.First(), 901030);
  Script_FreeAll();
}

TEST(ScriptData, LabelsAreValidated) {
  std::string list = fx::SceneListFile({{0, "a.txt"}});
  ASSERT_EQ(Script_ParseSceneList(reinterpret_cast<const uint8_t*>(list.data()), list.size(), "l"), 0);
  struct Case {
    fx::LabelDesc l;
    int err;
  } cases[] = {
      {{"ok", 5, 0, 63, 63}, 0},
      {{"scene", 0, 1, 0, 0}, 104010},
      {{"ifdeep", 0, 0, 64, 0}, 104010},
      {{"loopdeep", 0, 0, 0, 64}, 104010},
  };
  for (const auto& c : cases) {
    std::string f = fx::LabelFile({c.l});
    ErrCapture log;
    int r = Script_ParseLabels(reinterpret_cast<const uint8_t*>(f.data()), f.size(), "qvl");
    EXPECT_EQ(log.First(), c.err) << c.l.name;
    EXPECT_EQ(r != 0, c.err != 0);
  }
  // The first bucket always starts at 0; a valid start bucket that does not
  // hold the label answers -1.
  std::string f = fx::LabelFile({{"a", 0, 0}, {"b", 1, 0}});
  fx::PatchU32(f, 12, 7);
  ASSERT_EQ(Script_ParseLabels(reinterpret_cast<const uint8_t*>(f.data()), f.size(), "qvl"), 0);
  EXPECT_EQ(g_LabelTable.first[0], 0u);
  EXPECT_GE(Label_Find("a", 1), 0);
  EXPECT_EQ(Label_Find("c", 1), -1);
  Script_FreeAll();
}

TEST(ScriptData, VariableDefinitionsWithTooManyDimensions) {
  std::vector<fx::VarDef> defs(1);
  defs[0] = {1, 1, 0, 1000, 1, {1, 1, 1, 1, 1, 1, 1, 1, 1}, 0, 0, {}};
  std::string f = fx::VarDefFile(defs);
  auto* p = static_cast<uint8_t*>(std::malloc(f.size()));
  std::memcpy(p, f.data(), f.size());
  ErrCapture log;
  EXPECT_NE(Script_ParseVarFile(p, f.size(), "qvv"), 0);
  EXPECT_EQ(log.First(), 104010);
  Script_FreeAll();
}

TEST(ScriptData, MissingFilesAndStartLabel) {
  {
    fx::Files files = SampleGame().Build();
    files.erase(kFileLabels);
    Pack_InitNameTable();
    ASSERT_TRUE(fx::UseStore(files));
    ASSERT_EQ(Obj_CreateSystemRoots(), 0);
    ErrCapture log;
    EXPECT_EQ(Script_LoadAll(), 1);
    EXPECT_EQ(log.First(), 104060);
  }
  Script_FreeAll();
  fx::Game g;
  g.Scene(0).Label("NOT_START");
  EndWithWait(g.Scene(0));
  ErrCapture log;
  EXPECT_EQ(LoadGame(g), 1);
  EXPECT_EQ(log.First(), 108180);
}

}  // namespace
