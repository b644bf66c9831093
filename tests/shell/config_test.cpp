// Configuration inputs: the settings files (missing, short, full, out of
// range), the save folder, workers, refresh rate and the command line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "platform/text.h"
#include "shell/shell.h"
#include "support/test_env.h"

namespace {

// A settings file of 32 u32 fields from a readable field map; `bytes` cuts
// it short.
std::string SettingsFile(const std::map<int, uint32_t>& fields, size_t bytes = 128) {
  std::string out(128, '\0');
  for (auto [i, v] : fields)
    for (int k = 0; k < 4; ++k) out[size_t(i) * 4 + k] = char(v >> (8 * k));
  return out.substr(0, bytes);
}

// The settings a missing or refused settings file leaves at their defaults.
void ExpectDefaultSettings() {
  EXPECT_EQ(g_MovieUseDirectShow, 0);
  EXPECT_EQ(g_UseSSE, 1);
  EXPECT_EQ(g_MaxWorkers, 4);
  EXPECT_EQ(g_ResolutionChange, 1);
  EXPECT_EQ(g_FitMode, 1);
  EXPECT_EQ(g_RenderSettings.drawLevel, -1);
}

class ConfigTest : public testing::Test {
 protected:
  void SetUp() override { Boot_InitPathsFrom(dir.path() + "/Game"); }
  TempDir dir;
};

TEST_F(ConfigTest, MissingFileKeepsEveryDefault) {
  Cfg_ReadUserSettings();
  EXPECT_EQ(g_UserSettingsRead, 0);
  ExpectDefaultSettings();
  Cfg_ChooseSaveFolder();
  EXPECT_EQ(g_SavePath, "save\\");
}

TEST_F(ConfigTest, FullFileSetsEverySetting) {
  dir.Write("qvcfg.dat", SettingsFile({{0, 1}, {2, 0}, {3, 0}, {4, 1}, {6, 1}, {7, 3}, {8, 3},
                                       {9, 1}, {10, 1}, {12, 1}, {13, 1}, {14, 1}, {22, 1}}));
  Cfg_ReadUserSettings();
  EXPECT_EQ(g_UserSettingsRead, 1);
  EXPECT_EQ(g_MovieUseDirectShow, 1);
  EXPECT_EQ(g_UseSSE, 0);
  EXPECT_EQ(g_UseSSE2, 0);
  EXPECT_EQ(g_MaxWorkers, 4);  // field 4 = 1 keeps the maximum
  EXPECT_EQ(g_ResolutionChange, 0);
  EXPECT_EQ(g_FitMode, 0);
  EXPECT_EQ(g_TitleDoubleClickSwitch, 1);
  EXPECT_EQ(g_SysVarUserByte, 1);
  EXPECT_EQ(g_DisableDwm, 1);
  const RenderSettings& r = g_RenderSettings;
  EXPECT_EQ(r.drawLevel, 3);
  EXPECT_EQ(r.presentMode, 0);
  EXPECT_EQ(r.rendererOption, 1);
  EXPECT_EQ(r.textures16Bit, 1);
  EXPECT_EQ(r.textureBits, 16);
  EXPECT_EQ(r.textureOption, 1);
  EXPECT_EQ(r.tileMaxWidth, 512u);
  EXPECT_EQ(r.tileMaxHeight, 256u);
}

TEST_F(ConfigTest, ShortFileReadsZerosPastItsEnd) {
  // Field 0 = 1, then one byte of field 1: everything after reads as 0,
  // and 0 is a real value for most fields.
  dir.Write("qvcfg.dat", SettingsFile({{0, 1}, {1, 5}}, 5));
  Cfg_ReadUserSettings();
  EXPECT_EQ(g_MovieUseDirectShow, 1);
  EXPECT_EQ(g_UseSSE, 0);
  EXPECT_EQ(g_MaxWorkers, 1);        // field 4 = 0
  EXPECT_EQ(g_ResolutionChange, 1);  // field 6 = 0 gives 1
  EXPECT_EQ(g_FitMode, 1);           // field 7 = 0 gives fit 1
  EXPECT_EQ(g_RenderSettings.drawLevel, 0);
  EXPECT_EQ(g_RenderSettings.presentMode, 3);
}

TEST_F(ConfigTest, OutOfRangeValuesLeaveSettingsUnchanged) {
  dir.Write("QVCFG.DAT", SettingsFile({{0, 2}, {2, 7}, {4, 3}, {6, 2}, {7, 7}, {8, 9},
                                       {13, 0xFFFFFFFF}, {22, 5}}));
  Cfg_ReadUserSettings();  // found without regard to case
  EXPECT_EQ(g_UserSettingsRead, 1);
  ExpectDefaultSettings();
  EXPECT_EQ(g_RenderSettings.textureBits, 32);
  EXPECT_EQ(g_DisableDwm, 0);
}

TEST_F(ConfigTest, FitModeTable) {
  const uint8_t expected[4] = {1, 2, 3, 0};
  for (uint32_t v = 0; v < 4; ++v) {
    g_FitMode = 9;
    dir.Write("qvcfg.dat", SettingsFile({{7, v}}));
    Cfg_ReadUserSettings();
    EXPECT_EQ(g_FitMode, expected[v]) << v;
  }
}

TEST(CfgApplyDrawLevel, LevelTable) {
  struct Row {
    int level;
    bool layered;
    int8_t drawLevel;
    uint8_t present, cpuScale, gpuScaling;
  } rows[] = {
      {0, false, 0, 3, 1, 1}, {1, false, 1, 2, 1, 1}, {2, false, 2, 1, 1, 0},
      {3, false, 3, 0, 0, 0}, {0, true, 1, 2, 1, 1},  {3, true, 3, 0, 0, 0},
  };
  for (const Row& r : rows) {
    g_RenderSettings = RenderSettings();
    g_RenderSettings.fullGpu = 1;
    Cfg_ApplyDrawLevel(r.level, r.layered);
    EXPECT_EQ(g_RenderSettings.drawLevel, r.drawLevel) << r.level;
    EXPECT_EQ(g_RenderSettings.presentMode, r.present) << r.level;
    EXPECT_EQ(g_RenderSettings.cpuScaleChoice, r.cpuScale) << r.level;
    EXPECT_EQ(g_RenderSettings.gpuScaling, r.gpuScaling) << r.level;
    EXPECT_EQ(g_RenderSettings.fullGpu, r.level >= 2 ? 0 : 1) << r.level;
  }
  g_RenderSettings = RenderSettings();
  Cfg_ApplyDrawLevel(4, false);
  EXPECT_EQ(g_RenderSettings.drawLevel, -1);
}

TEST_F(ConfigTest, SaveFolderTable) {
  setenv("HOME", (dir.path() + "/home").c_str(), 1);
  setenv("XDG_DATA_HOME", (dir.path() + "/data").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (dir.path() + "/cfg").c_str(), 1);
  dir.Write("cfg/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n");
  const std::string root = Text_Utf8ToSjis(dir.path());
  std::string back;
  for (char c : root) back += c == '/' ? '\\' : c;
  const std::string sub = "\\KESTRAL_SaveData\\pelnori\\save\\";
  struct Row {
    uint32_t place;
    std::string path;
  } rows[] = {
      {0, "save\\"},
      {1, back + "\\data" + sub},
      {2, back + "\\home\\Docs" + sub},
      {3, back + "\\home\\Docs\\My Games" + sub},
      {4, "save\\"},
      {0xFFFFFFFF, "save\\"},
  };
  for (const Row& r : rows) {
    dir.Write("qvsfs.dat", SettingsFile({{kSavePlaceField, r.place}}));
    Cfg_ChooseSaveFolder();
    EXPECT_EQ(g_SavePath, r.path) << r.place;
  }
  // Without the documents entry the folder is ~/Documents.
  dir.Write("cfg/user-dirs.dirs", "");
  dir.Write("qvsfs.dat", SettingsFile({{kSavePlaceField, 2}}));
  Cfg_ChooseSaveFolder();
  EXPECT_EQ(g_SavePath, back + "\\home\\Documents" + sub);
}

TEST(SysCaps, WorkerAndRefreshTables) {
  struct Row {
    int cpus, maximum, workers;
  } rows[] = {{8, 4, 4}, {8, 1, 1}, {1, 4, 1}, {0, 4, 1}, {3, 4, 3}, {255, 4, 4}};
  for (const Row& r : rows) EXPECT_EQ(Sys_WorkerCountFor(r.cpus, r.maximum), r.workers);
  EXPECT_EQ(Sys_RecordedRefresh(59), -1);
  EXPECT_EQ(Sys_RecordedRefresh(0), -1);
  EXPECT_EQ(Sys_RecordedRefresh(60), 60);
  EXPECT_EQ(Sys_RecordedRefresh(144), 144);
}

TEST(SysCaps, OsCodes) {
  EXPECT_EQ(Sys_GetOsVersionCode(), 255);  // never refused at start
  struct Row {
    uint32_t build;
    uint8_t code;
  } rows[] = {{950, 1}, {1381, 13}, {2195, 40}, {2257, 45}, {2600, 50}, {5743, 65},
              {7600, 80}, {9600, 91}, {9601, 255}, {0, 255}};
  for (const Row& r : rows) EXPECT_EQ(Sys_OsCodeForBuild(r.build), r.code) << r.build;
}

TEST(SysCaps, ReadCapsFillsWorkersAndDesktop) {
  // Without a session bus (as under xvfb-run) the bus library would try to
  // start one and leak doing so; this test needs no bus.
  setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 0);
  g_MaxWorkers = 1;
  Sys_ReadCaps();
  EXPECT_EQ(g_OsVersionCode, 255);
  EXPECT_GE(g_ProcessorCount, 1);
  EXPECT_EQ(g_WorkerCount, 1);
  EXPECT_GT(g_DesktopMetrics.width, 0);
  EXPECT_GT(g_DesktopMetrics.height, 0);
  EXPECT_TRUE(g_DesktopMetrics.refreshRate == -1 || g_DesktopMetrics.refreshRate >= 60);
  EXPECT_GE(g_Monitors.count, 1);  // the monitor table is read with the capabilities
}

TEST(CfgReadCommandLine, KeepsEightArguments) {
  const char* three[] = {"/g/tavren", "a", "b", "c"};
  g_ProcessArgc = 4;
  g_ProcessArgv = const_cast<char**>(three);
  Cfg_ReadCommandLine();
  EXPECT_EQ(g_Args.count, 3);
  EXPECT_EQ(g_Args.args[0], "/g/tavren");
  EXPECT_EQ(g_Args.args[3], "c");
  for (int i = 4; i <= 8; ++i) EXPECT_EQ(g_Args.args[i], "") << i;

  const char* twelve[13] = {"p", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};
  g_ProcessArgc = 13;
  g_ProcessArgv = const_cast<char**>(twelve);
  Cfg_ReadCommandLine();
  EXPECT_EQ(g_Args.count, 8);
  EXPECT_EQ(g_Args.args[8], "8");

  const char* utf8[] = {"p", "セーブ"};
  g_ProcessArgc = 2;
  g_ProcessArgv = const_cast<char**>(utf8);
  Cfg_ReadCommandLine();
  EXPECT_EQ(g_Args.args[1], Text_Utf8ToSjis("セーブ"));  // the engine's code page
  g_ProcessArgv = nullptr;
}

}  // namespace
