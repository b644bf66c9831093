// Process entry: path derivation, the appended block, the screen-saver
// command line.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "files/files.h"
#include "platform/exe_image.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/text.h"
#include "shell/shell.h"
#include "support/test_env.h"

namespace {

TEST(BootInitPaths, DerivationTable) {
  struct Row {
    std::string host;  // UTF-8 host path of the executable
    std::string modulePath, exeDir, instance;  // Shift-JIS
  } rows[] = {
      {"/Games/My Game/TAVREN", "\\games\\my game\\tavren", "\\games\\my game\\",
       ":games:my game:tavren"},
      // "ソ" ends in 0x5C: never a separator, never changed, never lowered.
      {"/GAMES/ソフト/Run", "\\games\\\x83\x5C\x83t\x83g\\run", "\\games\\\x83\x5C\x83t\x83g\\",
       ":games:\x83\x5C\x83t\x83g:run"},
      // A folder whose name ends in "ソ": the trailing separator is still added.
      {"/a/ソ/x", "\\a\\\x83\x5C\\x", "\\a\\\x83\x5C\\", ":a:\x83\x5C:x"},
      {"/tavren", "\\tavren", "\\", ":tavren"},
  };
  for (const Row& r : rows) {
    Boot_InitPathsFrom(r.host);
    EXPECT_EQ(g_ModulePath, r.modulePath) << r.host;
    EXPECT_EQ(g_ExeDir, r.exeDir) << r.host;
    EXPECT_EQ(g_InstanceName, r.instance) << r.host;
    EXPECT_EQ(g_ModulePathHost, r.host);  // original case kept for I/O
  }
  Boot_InitPathsFrom("/Games/My Game/TAVREN");
  EXPECT_EQ(g_ExeDirHost, "/Games/My Game");
}

TEST(BootInitPaths, LowerCasedFolderStillResolvesOnDisk) {
  TempDir dir;
  dir.Write("Data Folder/Tavren", "x");
  dir.Write("Data Folder/QVCFG.DAT", "y");
  Boot_InitPathsFrom(dir.path() + "/Data Folder/Tavren");
  std::string host;
  ASSERT_TRUE(Fs_Resolve(g_ExeDir + "\\qvcfg.dat", &host));
  EXPECT_EQ(host, dir.path() + "/Data Folder/QVCFG.DAT");
}

// An appended block from a readable description.
struct Block {
  std::string magic = "QVER";
  uint32_t packOffset = 16;
  uint32_t previewSize = 0;
  std::string tail;  // bytes after the 16-byte header
};

std::string U32(uint32_t v) {
  std::string s(4, '\0');
  for (int k = 0; k < 4; ++k) s[k] = char(v >> (8 * k));
  return s;
}

std::string BlockBytes(const Block& b) {
  return b.magic + U32(b.packOffset) + U32(b.previewSize) + U32(0) + b.tail;
}

TEST(BootAppended, HeaderJudgementTable) {
  TempDir dir;
  const std::string image(100, 'E');
  struct Row {
    const char* what;
    uint32_t built;
    std::string file;
    int expected;
  } rows[] = {
      {"valid block", 100, image + BlockBytes({"QVER", 16, 0, "PACKDATA"}), 1},
      {"built size 4", 4, "EEEE" + BlockBytes({"QVER", 16, 0, "PACKDATA"}), 0},
      {"file ends at B", 100, image, 0},
      {"bad magic", 100, image + BlockBytes({"QVEX", 16, 0, "PACKDATA"}), 0},
      {"header cut short", 100, image + "QVER\x10", 0},
      {"pack offset past end", 100, image + BlockBytes({"QVER", 5000, 0, "PACK"}), 0},
      {"preview past end", 100, image + BlockBytes({"QVER", 16, 900, "PACK"}), 0},
      {"preview inside", 100, image + BlockBytes({"QVER", 20, 4, "BMPXPACK"}), 1},
  };
  for (const Row& r : rows) {
    dir.Write("exe", r.file);
    AppendedHeader h = Boot_ReadAppendedHeader(dir.path() + "/exe", r.built);
    EXPECT_EQ(h.fileSize, r.file.size()) << r.what;
    EXPECT_EQ(Boot_JudgeAppendedHeader(r.built, h), r.expected) << r.what;
  }
  AppendedHeader none = Boot_ReadAppendedHeader(dir.path() + "/missing", 100);
  EXPECT_EQ(none.fileSize, 0u);
  EXPECT_EQ(Boot_JudgeAppendedHeader(100, none), 0);
  EXPECT_FALSE(Boot_HasAppendedMagic(dir.path() + "/exe", 0));
}

// A real executable (this test program) with a block appended after its
// ELF image, checked through the start-up's own path.
TEST(BootAppended, ElfEndOfARealExecutable) {
  TempDir dir;
  std::ifstream self(Fs_ExePath(), std::ios::binary);
  std::stringstream bytes;
  bytes << self.rdbuf();
  const std::string image = bytes.str();
  ASSERT_EQ(Exe_ElfImageEnd(Fs_ExePath()), image.size());  // nothing appended to it

  dir.Write("game/tavren", image + BlockBytes({"QVER", 16, 0, "PACKDATA"}));
  Boot_InitPathsFrom(dir.path() + "/game/tavren");
  EXPECT_EQ(Boot_ReadBuiltSize(), image.size());
  EXPECT_EQ(Boot_CheckAppendedData(), 1);
  EXPECT_EQ(g_HasAppendedData, 1);
  EXPECT_EQ(g_DataPackaged, 1);
  EXPECT_EQ(g_ScreenSaverMode, 0);
  EXPECT_EQ(g_FileAppended.packStart, image.size() + 16);

  // Not an ELF file: the built size is unknown; the start-up stops with "FS".
  dir.Write("game/tavren", "plain text");
  std::vector<std::string> texts;
  MsgBox_SetRecorder([&](const MsgBoxRequest& r) {
    texts.push_back(r.text);
    return 1;
  });
  EXPECT_EQ(Boot_CheckAppendedData(), -1);
  MsgBox_SetRecorder(nullptr);
  EXPECT_EQ(texts, std::vector<std::string>{"FS"});
}

// A 24-bit BMP from a readable description.
std::string Bmp(int32_t w, int32_t h, uint16_t bits = 24, uint32_t compression = 0,
                size_t cutPixels = 0) {
  size_t stride = (size_t(w) * 3 + 3) & ~size_t(3);
  size_t pixels = stride * size_t(h < 0 ? -h : h);
  std::string s = "BM" + U32(uint32_t(54 + pixels)) + U32(0) + U32(54);
  s += U32(40) + U32(uint32_t(w)) + U32(uint32_t(h));
  s += std::string{char(1), char(0), char(bits), char(bits >> 8)};
  s += U32(compression) + U32(uint32_t(pixels)) + U32(0) + U32(0) + U32(0) + U32(0);
  s += std::string(pixels - cutPixels, '\x7f');
  return s;
}

TEST(SaverPreview, ValidationTable) {
  struct Row {
    const char* what;
    std::string bmp;
    bool ok;
  } rows[] = {
      {"3x2 padded rows", Bmp(3, 2), true},
      {"top-down", Bmp(5, -4), true},
      {"rows without padding", Bmp(3, 2, 24, 0, 2), false},
      {"32 bits", Bmp(3, 2, 32), false},
      {"compressed", Bmp(4, 4, 24, 1), false},
      {"zero height", Bmp(4, 0), false},
      {"header only", Bmp(3, 2).substr(0, 40), false},
      {"not BM", "XX" + Bmp(3, 2).substr(2), false},
  };
  for (const Row& r : rows) {
    int32_t w = 0, h = 0;
    EXPECT_EQ(Saver_ValidatePreview(reinterpret_cast<const uint8_t*>(r.bmp.data()),
                                    r.bmp.size(), &w, &h),
              r.ok)
        << r.what;
  }
}

TEST(SaverArgs, CommandLineTable) {
  struct Row {
    std::vector<const char*> args;
    int result;
    bool versionBox;
  } rows[] = {
      {{"saver"}, -1, true},
      {{"saver", "/c"}, -1, true},
      {{"saver", "-C:1234"}, -1, true},
      {{"saver", "/a", "1234"}, -1, false},
      {{"saver", "/p", "1234"}, -1, false},  // no preview here: ends at once
      {{"saver", "/P", "not-a-handle"}, -1, false},
      {{"saver", "/s"}, 0, false},
      {{"saver", "/p"}, 0, false},           // no handle: not a preview request
      {{"saver", "/c", "extra"}, 0, false},
  };
  for (const Row& r : rows) {
    int boxes = 0;
    std::string caption, text;
    MsgBox_SetRecorder([&](const MsgBoxRequest& req) {
      ++boxes;
      caption = req.caption;
      text = req.text;
      return 1;
    });
    testing::internal::CaptureStderr();
    int got = Boot_HandleScreenSaverArgs(int(r.args.size()), const_cast<char**>(r.args.data()));
    testing::internal::GetCapturedStderr();
    MsgBox_SetRecorder(nullptr);
    EXPECT_EQ(got, r.result) << r.args.size() << " " << r.args.back();
    EXPECT_EQ(boxes, r.versionBox ? 1 : 0) << r.args.back();
    if (r.versionBox) {
      EXPECT_EQ(caption, Text_Utf8ToSjis("情報"));
      EXPECT_EQ(text, Text_Utf8ToSjis("スクリーンセーバー\n\nVersion 1.00"));
    }
  }
}

}  // namespace

namespace {

// The engine's own executable, copied into a folder with a block appended
// (or cut), started as a player would start it. Its exit code and stderr.
struct RunResult {
  int code = -1;
  std::string err;
};

RunResult RunEngineCopy(const TempDir& dir, const std::string& appended, size_t cut,
                        const std::string& args) {
  std::ifstream in(std::string(TEST_BINARY_DIR) + "/tavren", std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  std::string image = bytes.str();
  image.resize(image.size() - cut);
  dir.Write("Game Dir/Tavren", image + appended);
  std::string exe = dir.path() + "/Game Dir/Tavren";
  std::string cmd = "chmod +x '" + exe + "' && cd / && env -u DISPLAY -u WAYLAND_DISPLAY '" +
                    exe + "' " + args + " 2> '" + dir.path() + "/err.txt'";
  RunResult r;
  int status = std::system(cmd.c_str());
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream e(dir.path() + "/err.txt");
  std::stringstream es;
  es << e.rdbuf();
  r.err = es.str();
  return r;
}

TEST(BootRun, RealExecutableWithAndWithoutBlocks) {
  if (!Fs_Exists(std::string(TEST_BINARY_DIR) + "/tavren")) GTEST_SKIP() << "engine not built";
  // Only starts that end before the engine proper runs: a start that goes
  // on would open the engine's windows.
  const std::string saver = BlockBytes({"QVER", 24, 8, "BMPBYTESPACKDATA"});
  struct Row {
    const char* what;
    std::string appended;
    size_t cut;
    const char* args;
    int code;
    const char* errHas;
  } rows[] = {
      {"saver without args shows the version", saver, 0, "", 0, "Version 1.00"},
      {"saver /a ends silently", saver, 0, "/a 77", 0, ""},
      {"saver /p is not offered", saver, 0, "/p 77", 0, "not supported"},
      // An executable whose own image cannot be measured: "FS" and a failed
      // start (not the success exit code).
      {"unreadable image", "", 16, "", 1, "FS"},
      // The licence switch is a start that ends on purpose, not a failure.
      {"/info shows the notices", "", 0, "/info", 0, "License Information"},
  };
  for (const Row& r : rows) {
    TempDir dir;
    RunResult got;
    // The start lock is machine-wide: a copy that meets another test's start
    // ends silently with 0. Such a run is tried again.
    for (int attempt = 0; attempt < 5; ++attempt) {
      got = RunEngineCopy(dir, r.appended, r.cut, r.args);
      bool silent = got.code == 0 && got.err.empty();
      if (!silent || (r.code == 0 && !*r.errHas)) break;
      usleep(50000);
    }
    EXPECT_EQ(got.code, r.code) << r.what << ": " << got.err;
    if (*r.errHas) {
      EXPECT_NE(got.err.find(r.errHas), std::string::npos) << r.what << ": " << got.err;
    } else {
      EXPECT_EQ(got.err, "") << r.what;
    }
  }
}

}  // namespace
