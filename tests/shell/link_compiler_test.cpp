// The compiler link against the fake compiler program: the exchange, the
// sizes and results it may announce, and the malformed areas it may hand
// over.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "base/base.h"
#include "fail_alloc.h"
#include "files/files.h"
#include "platform/msgbox.h"
#include "platform/text.h"
#include "shell/link.h"
#include "shell/startup.h"
#include "support/err_capture.h"
#include "support/test_env.h"
#include "text/text.h"

namespace {

namespace fs = std::filesystem;

// A game folder holding the fake compiler at the compiler's place, entered as
// the current folder for the test (as the start-up runs in the executable's
// folder); the boxes are recorded and the folder is left again afterwards.
class CompilerLink : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = fs::current_path();
    fs::create_directories(fs::path(dir_.path()) / "system" / "DEVuv");
    fs::create_directories(fs::path(dir_.path()) / "Data");
    fs::copy_file(FAKE_COMPILER_PATH, fs::path(dir_.path()) / "system" / "DEVuv" / "DEVuv");
    fs::current_path(dir_.path());
    g_ExeDirHost = dir_.path();
    g_ExeDir = "\\game\\";
    std::string tag = std::to_string(getpid());
    g_CompilerLink.blockName = "tavren-test-link-" + tag;
    g_CompilerLink.dataName = "tavren-test-link2-" + tag;
    g_CompilerLink.waitMs = 5000;
    setenv("FAKE_CC_BLOCK", g_CompilerLink.blockName.c_str(), 1);
    setenv("FAKE_CC_DATA", g_CompilerLink.dataName.c_str(), 1);
    setenv("FAKE_CC_DATADIR", (dir_.path() + "/Data/").c_str(), 1);
    MsgBox_SetRecorder([this](const MsgBoxRequest& r) {
      boxes_.push_back(Text_SjisToUtf8(r.text));
      return 1;
    });
    File_StoreClear();
    g_DataDir.clear();
  }
  void TearDown() override {
    MsgBox_SetRecorder(nullptr);
    fs::current_path(saved_);
    File_StoreClear();
    g_CompilerLink = CompilerLinkSettings{};
    g_ErrCaption = "TAVREN Debug Info.";
    g_QuitRequested = 0;
    unsetenv("FAKE_CC_MODE");
  }
  int Run(const char* mode) {
    setenv("FAKE_CC_MODE", mode, 1);
    return Compiler_Run();
  }
  std::string Seen() const {
    std::ifstream in(fs::path(dir_.path()) / "fake_cc_seen.txt");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  const CompiledFile* Stored(const std::string& name) const {
    for (const CompiledFile& f : g_CompiledFiles.entries)
      if (f.name == name) return &f;
    return nullptr;
  }

  TempDir dir_;
  fs::path saved_;
  std::vector<std::string> boxes_;
};

TEST_F(CompilerLink, HandsOverFilesAndEntersTheDataFolder) {
  ErrCapture log;
  ASSERT_EQ(Run("ok"), 0) << log.First();
  EXPECT_TRUE(log.Empty());
  EXPECT_TRUE(boxes_.empty());
  std::string seen = Seen();
  EXPECT_NE(seen.find("arg=qv\n"), std::string::npos) << seen;
  EXPECT_NE(seen.find("version=480\n"), std::string::npos) << seen;
  EXPECT_NE(seen.find("path=" + dir_.path() + "/\n"), std::string::npos) << seen;
  ASSERT_EQ(g_CompiledFiles.entries.size(), 2u);
  const CompiledFile* main = Stored("qvbin\\main.qbn");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(main->data), main->size), "compiled scene");
  ASSERT_NE(Stored("readme.txt"), nullptr);
  EXPECT_EQ(Stored("readme.txt")->size, 0u);
  EXPECT_EQ(fs::current_path(), fs::path(dir_.path()) / "Data");
  EXPECT_EQ(g_DataDir, Link_EngineFolder(dir_.path() + "/Data/"));
  EXPECT_EQ(g_DataDir.back(), '\\');
}

// Results of the exchange: what the compiler announces and how it ends.
TEST_F(CompilerLink, ResultsByWhatTheCompilerDoes) {
  struct Case {
    const char* mode;
    int result;
    size_t files;
    bool commBox;
  } cases[] = {
      {"count0", 0, 0, false},   // nothing handed over still succeeds
      {"size0", 0, 1, false},    // an area of 0 bytes is made 16 bytes
      {"fail", 1, 2, false},     // result byte 0
      {"early", 1, 0, false},    // ends before it is ready: its own messages
      {"badlen", 1, 0, false},   // a name running past the area: refused
      {"badcount", 1, 0, false}, // more records announced than written
      {"noterm", 1, 0, false},   // a data folder without a terminator
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    boxes_.clear();
    fs::current_path(dir_.path());
    EXPECT_EQ(Run(c.mode), c.result);
    EXPECT_EQ(g_CompiledFiles.entries.size(), c.files);
    bool comm = std::find(boxes_.begin(), boxes_.end(),
                          "TAVRENコンパイラとデータ通信が出来ませんでした。") != boxes_.end();
    EXPECT_EQ(comm, c.commBox);
    File_StoreClear();
  }
  // The 16-byte area held exactly the one record.
  fs::current_path(dir_.path());
  ASSERT_EQ(Run("size0"), 0);
  EXPECT_NE(Seen().find("datasize=16\n"), std::string::npos) << Seen();
  ASSERT_NE(Stored("a"), nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(Stored("a")->data), 7), "payload");
}

TEST_F(CompilerLink, MalformedAreaIsReportedAsABadFile) {
  ErrCapture log;
  EXPECT_EQ(Run("badlen"), 1);
  EXPECT_TRUE(log.Has(104010));
}

TEST_F(CompilerLink, MissingCompilerIsTheLicenceNotice) {
  fs::remove(fs::path(dir_.path()) / "system" / "DEVuv" / "DEVuv");
  ErrCapture log;
  EXPECT_EQ(Run("ok"), 1);
  EXPECT_EQ(log.First(), 100000);
  EXPECT_STREQ(g_ErrCaption, "License Information");
  EXPECT_FALSE(fs::exists(fs::path(dir_.path()) / "fake_cc_seen.txt"));
}

TEST_F(CompilerLink, CompilerThatCannotBeStartedShowsTheStartBox) {
  fs::path p = fs::path(dir_.path()) / "system" / "DEVuv" / "DEVuv";
  fs::permissions(p, fs::perms::owner_read, fs::perm_options::replace);
  EXPECT_EQ(Run("ok"), 1);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0], "TAVRENコンパイラを起動できませんでした。");
}

TEST_F(CompilerLink, HangingCompilerIsStoppedAfterTheWait) {
  g_CompilerLink.waitMs = 300;
  EXPECT_EQ(Run("hang"), 1);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0], "TAVRENコンパイラとデータ通信が出来ませんでした。");
}

TEST_F(CompilerLink, BlockThatCannotBeMadeShowsTheCommunicationBox) {
  g_CompilerLink.blockName = "no/such/area";  // a slash is not allowed in a name
  EXPECT_EQ(Run("ok"), -1);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0], "TAVRENコンパイラとデータ通信が出来ませんでした。");
}

// The tables are built while the compiler works; tables that cannot be
// made (no message record) stop the link with their one report, and the
// compiler's files are not taken.
TEST_F(CompilerLink, TablesThatCannotBeMadeStopTheLink) {
  Sys_ForgetTables();
  delete g_MsgCurrent;
  g_MsgCurrent = nullptr;
  g_FailNothrowSize = sizeof(MessageRec);
  ErrCapture log;
  int r = Run("ok");
  g_FailNothrowSize = 0;
  EXPECT_EQ(r, -1);
  EXPECT_EQ(log.Numbers(), std::vector<int32_t>{100010});
  EXPECT_TRUE(g_CompiledFiles.entries.empty());
  EXPECT_EQ(fs::current_path(), fs::path(dir_.path()));
  EXPECT_TRUE(g_DataDir.empty());
  // The tables as the other cases find them.
  EXPECT_EQ(Sys_InitTables(), 0);
}

TEST(LinkFolder, EngineFormOfAHostFolder) {
  EXPECT_EQ(Link_EngineFolder("/Home/Game/Data/"), "\\home\\game\\data\\");
  EXPECT_EQ(Link_EngineFolder("/home/game"), "\\home\\game\\");
  EXPECT_EQ(Link_EngineFolder("/"), "\\");
}

}  // namespace
