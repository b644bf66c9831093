// The system-information report and the graphics-library probe.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "base/base.h"
#include "platform/displays.h"
#include "platform/text.h"
#include "shell/sysinfo.h"
#include "support/test_env.h"

namespace {

TEST(Version, MakeAndCompare) {
  EXPECT_EQ(Ver_Make(4, 8, 1, 881), 0x0004000800010371ull);
  EXPECT_EQ(Ver_Make(0xFFFF, 0, 0, 1), 0xFFFF000000000001ull);
  struct Case {
    uint64_t x, y;
    int32_t want;
  } cases[] = {
      {Ver_Make(4, 8, 1, 881), Ver_Make(4, 8, 1, 881), 0},
      {Ver_Make(4, 8, 1, 882), Ver_Make(4, 8, 1, 881), 1},
      {Ver_Make(4, 7, 9, 9999), Ver_Make(4, 8, 0, 0), -1},
      {Ver_Make(0x8000, 0, 0, 0), Ver_Make(1, 0, 0, 0), 1},  // unsigned
  };
  for (const Case& c : cases) EXPECT_EQ(Ver_Compare(c.x, c.y), c.want);
  uint64_t v = 0;
  EXPECT_EQ(Ver_GetFileVersion(nullptr, &v), kVerInvalidArg);
  EXPECT_EQ(Ver_GetFileVersion("x", nullptr), kVerInvalidArg);
  EXPECT_EQ(Ver_GetFileVersion("/usr/lib/d3d9.dll", &v), kVerFail);
}

// A system folder described by file name and version.
std::map<std::string, uint64_t> g_FakeFiles;
int32_t FakeReader(const char* path, uint64_t* version) {
  std::string p = path;
  std::string name = p.substr(p.rfind('\\') + 1);
  auto it = g_FakeFiles.find(name);
  if (it == g_FakeFiles.end()) return kVerFail;
  *version = it->second;
  return kVerOk;
}

TEST(DirectXProbe, TableOverAFakeSystemFolder) {
  struct Case {
    const char* what;
    std::map<std::string, uint64_t> files;
    uint32_t major, minor;
    char letter;
  } cases[] = {
      {"nothing", {}, 0, 0, ' '},
      {"below every row", {{"ddraw.dll", Ver_Make(4, 2, 0, 94)}}, 0, 0, ' '},
      {"ddraw 4.6.0.436", {{"ddraw.dll", Ver_Make(4, 6, 0, 436)}}, 6, 1, ' '},
      {"d3d8 4.8.1.881", {{"d3d8.dll", Ver_Make(4, 8, 1, 881)}}, 8, 1, ' '},
      {"d3d8 5.1.2600.901", {{"d3d8.dll", Ver_Make(5, 1, 2600, 901)}}, 8, 1, 'a'},
      // The second version of a row is chosen by the first field 5: 5.1.2600.880 is below.
      {"d3d8 5.1.2600.880", {{"d3d8.dll", Ver_Make(5, 1, 2600, 880)}}, 0, 0, ' '},
      // A first field other than 4 or 5 passes none of the two-version rows.
      {"d3d8 6.0.0.0", {{"d3d8.dll", Ver_Make(6, 0, 0, 0)}}, 0, 0, ' '},
      {"a later row wins", {{"ddraw.dll", Ver_Make(4, 7, 0, 700)}, {"dplayx.dll", Ver_Make(4, 6, 3, 518)}},
       7, 0, ' '},
      {"mpg2splt", {{"mpg2splt.ax", Ver_Make(6, 3, 1, 885)}}, 8, 1, 'b'},
      {"any d3d9", {{"d3d9.dll", Ver_Make(0, 0, 0, 1)}, {"dpnet.dll", Ver_Make(4, 9, 0, 134)}}, 9, 0, ' '},
  };
  for (const Case& c : cases) {
    g_FakeFiles = c.files;
    uint32_t major = 77, minor = 77;
    char letter = 'z';
    EXPECT_EQ(Sys_GetDirectXVersionFrom("C:\\sys", FakeReader, &major, &minor, &letter), 0);
    EXPECT_EQ(major, c.major) << c.what;
    EXPECT_EQ(minor, c.minor) << c.what;
    EXPECT_EQ(letter, c.letter) << c.what;
  }
  // Null out pointers are skipped.
  EXPECT_EQ(Sys_GetDirectXVersionFrom("C:\\sys", FakeReader, nullptr, nullptr, nullptr), 0);
  g_FakeFiles.clear();
}

TEST(DirectXProbe, ThisHostHasNoRelease) {
  uint32_t major = 5, minor = 5;
  char letter = 'x';
  EXPECT_EQ(Sys_GetDirectXVersion(&major, &minor, &letter), 0);
  EXPECT_EQ(major, 0u);
  EXPECT_EQ(minor, 0u);
  EXPECT_EQ(letter, ' ');
  g_DirectXVersion = 3;
  Sys_KeepDirectXVersion();
  EXPECT_EQ(g_DirectXVersion, 0);
}

TEST(SysInfo, SoundFormatNames) {
  struct Case {
    uint32_t flags;
    const char* want;
  } cases[] = {
      {0, "Disable"},
      {kWaveFormat1M08, "11.025kHz(8-bit)"},
      {kWaveFormat1S16 | kWaveFormat1M08, "11.025kHz(16-bit)"},
      {kWaveFormat2S08, "22.05kHz,(8-bit)"},
      {kWaveFormat2M16 | kWaveFormat1M08, "22.05kHz(16-bit)"},
      {kWaveFormat4M08 | kWaveFormat2S16, "44.1kHz(8-bit)"},
      {kWaveFormat4S16 | kWaveFormat1M08, "44.1kHz(16-bit)"},
      {0x1000, "Disable"},
  };
  for (const Case& c : cases) EXPECT_STREQ(SysInfo_SoundFormatName(c.flags), c.want) << c.flags;
  EXPECT_STREQ(SysInfo_SoundFormatName(SysInfo_FormatFlags(48000, 2, 16)), "44.1kHz(16-bit)");
  EXPECT_STREQ(SysInfo_SoundFormatName(SysInfo_FormatFlags(22050, 1, 8)), "22.05kHz,(8-bit)");
  EXPECT_STREQ(SysInfo_SoundFormatName(SysInfo_FormatFlags(8000, 2, 16)), "Disable");
  EXPECT_EQ(SysInfo_FormatFlags(44100, 1, 16), kWaveFormat1M08 | kWaveFormat1M16 | kWaveFormat2M08 |
                                                   kWaveFormat2M16 | kWaveFormat4M08 | kWaveFormat4M16);
}

std::vector<std::string> g_Traced;
void Trace(const char* line) { g_Traced.emplace_back(line); }

TEST(SysInfo, ReportLinesInOrderThroughTheTraceHook) {
  PlatDisplay d;
  d.w = 1024;
  d.h = 768;
  d.desktop = {1024, 768, 32, 60};
  d.modes = {{1024, 768, 32, 60}, {640, 480, 4, 60}, {800, 600, 16, 75}};
  PlatDisplay_SetFake({d});
  g_DesktopMetrics = {1024, 768, 32, -1};
  TempDir dir;
  auto saved = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  dir.Write("info.txt", "old report");
  g_Traced.clear();
  TraceFn prev = g_TraceHook;
  g_TraceHook = Trace;
  SysInfo_Write();
  g_TraceHook = prev;
  EXPECT_FALSE(std::filesystem::exists("info.txt"));
  std::filesystem::current_path(saved);
  PlatDisplay_ClearFake();

  const std::vector<std::string> prefixes = {
      "OS_VER = 255", "CPU_NAME = ", "CPU_MMX = ", "CPU_SSE = ", "CPU_SSE2 = ", "CPU_CORENUM = ",
      "CPU_COREUSE = ", "DirectX_VER = 0", "MEM_TOTAL = ", "MEM_AVAIL = ",
      "SCREEN = 1024 x 768 x 32 bit (-1Hz)", "ADMIN = ", "VIDEO"};
  ASSERT_GE(g_Traced.size(), prefixes.size());
  for (size_t i = 0; i < prefixes.size(); ++i)
    EXPECT_EQ(g_Traced[i].rfind(prefixes[i], 0), 0u) << i << ": " << g_Traced[i];
  EXPECT_NE(g_Traced[8].find(" MB"), std::string::npos);
  EXPECT_EQ(g_ProcessorName.empty(), g_Traced[1] == "CPU_NAME = ");
  auto at = [&](const std::string& s) {
    for (size_t i = 0; i < g_Traced.size(); ++i)
      if (g_Traced[i] == s) return int(i);
    return -1;
  };
  int out = at("SOUND[OUTPUT]"), in = at("SOUND[INPUT]"), modes = at("DISPLAYMODE");
  ASSERT_GT(out, 12);
  EXPECT_GT(in, out);
  ASSERT_GT(modes, in);
  // Modes below 8 bits per pixel are left out; the index is the mode's own.
  ASSERT_EQ(int(g_Traced.size()), modes + 3);
  EXPECT_EQ(g_Traced[modes + 1], "[  0]1024x 768 32 bit (60 Hz)");
  EXPECT_EQ(g_Traced[modes + 2], "[  2] 800x 600 16 bit (75 Hz)");
  for (int i = out + 1; i < in; ++i)
    EXPECT_EQ(g_Traced[i].rfind(Text_Utf8ToSjis("▼ Name: "), 0), 0u) << g_Traced[i];
}

}  // namespace
