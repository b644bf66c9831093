// Engine names resolved onto the host file system, and the host folders.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/fs.h"
#include "platform/text.h"
#include "support/test_env.h"

namespace {

TEST(FsResolve, CaseInsensitiveComponentByComponent) {
  TempDir dir;
  dir.Write("QVBin/QVC.qbn", "c");
  dir.Write("Pac/Update1.QPF", "p");
  dir.Write("セーブ/データ.dat", "s");  // a Japanese name, UTF-8 on disk
  dir.Write("ソフト/表.txt", "t");      // second bytes 0x5C in Shift-JIS
  dir.Write("exact/Name", "1");
  dir.Write("exact/name", "2");
  const std::string root = dir.path();
  struct Row {
    std::string name;  // engine form (Shift-JIS)
    bool exists;
    std::string host;
  } rows[] = {
      {root + "\\qvbin\\qvc.qbn", true, root + "/QVBin/QVC.qbn"},
      {root + "/PAC/update1.qpf", true, root + "/Pac/Update1.QPF"},
      {root + "\\\\qvbin\\.\\QVC.QBN", true, root + "/QVBin/QVC.qbn"},
      {root + "\\pac\\..\\qvbin\\qvc.qbn", true, root + "/QVBin/QVC.qbn"},
      {Text_Utf8ToSjis(root + "\\セーブ\\データ.DAT"), true, root + "/セーブ/データ.dat"},
      {Text_Utf8ToSjis(root + "\\ソフト\\表.TXT"), true, root + "/ソフト/表.txt"},
      {root + "\\exact\\name", true, root + "/exact/name"},  // exact match wins
      {root + "\\exact\\NAME", true, root + "/exact/Name"},  // else the first in order
      {root + "\\qvbin\\new.qbn", false, root + "/QVBin/new.qbn"},
      {root + "\\Missing\\Deeper\\x", false, root + "/Missing/Deeper/x"},
      {root + "\\qvbin\\", true, root + "/QVBin/"},
  };
  for (const Row& r : rows) {
    std::string host;
    EXPECT_EQ(Fs_Resolve(r.name, &host), r.exists) << r.host;
    EXPECT_EQ(host, r.host);
  }
}

TEST(FsResolve, RelativeNamesUseTheCurrentFolder) {
  TempDir dir;
  dir.Write("Save/Slot1.dat", "x");
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_TRUE(Fs_SetCurrentDir(dir.path()));
  std::string host;
  EXPECT_TRUE(Fs_Resolve("save\\slot1.dat", &host));
  EXPECT_EQ(host, "Save/Slot1.dat");
  EXPECT_TRUE(Fs_Resolve(".\\SAVE\\", &host));
  EXPECT_EQ(host, "Save/");
  EXPECT_TRUE(Fs_Resolve("", &host));
  EXPECT_EQ(host, ".");
  ASSERT_TRUE(Fs_SetCurrentDir(old));
}

TEST(FsFolders, ExePathAndXdgFolders) {
  std::string exe = Fs_ExePath();
  ASSERT_FALSE(exe.empty());
  EXPECT_EQ(exe[0], '/');
  EXPECT_GT(Fs_FileSize(exe), 0);
  EXPECT_EQ(Fs_DirName("/a/b/c"), "/a/b");
  EXPECT_EQ(Fs_DirName("/c"), "/");

  TempDir dir;
  setenv("HOME", dir.path().c_str(), 1);
  unsetenv("XDG_DATA_HOME");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(Fs_XdgDataDir(), dir.path() + "/.local/share");
  EXPECT_EQ(Fs_DocumentsDir(), dir.path() + "/Documents");
  dir.Write(".config/user-dirs.dirs",
            "# comment\nXDG_DESKTOP_DIR=\"$HOME/Desk\"\nXDG_DOCUMENTS_DIR=\"$HOME/文書\"\n");
  EXPECT_EQ(Fs_DocumentsDir(), dir.path() + "/文書");
  setenv("XDG_DATA_HOME", "/srv/data", 1);
  EXPECT_EQ(Fs_XdgDataDir(), "/srv/data");
  setenv("XDG_DATA_HOME", "relative/ignored", 1);
  EXPECT_EQ(Fs_XdgDataDir(), dir.path() + "/.local/share");
}

TEST(FsReadBytes, OffsetsAndShortReads) {
  TempDir dir;
  dir.Write("f", "0123456789");
  std::vector<uint8_t> b;
  ASSERT_TRUE(Fs_ReadBytes(dir.path() + "/f", 4, 3, &b));
  EXPECT_EQ(std::string(b.begin(), b.end()), "456");
  ASSERT_TRUE(Fs_ReadBytes(dir.path() + "/f", 8, 10, &b));
  EXPECT_EQ(std::string(b.begin(), b.end()), "89");
  ASSERT_TRUE(Fs_ReadBytes(dir.path() + "/f", 50, 10, &b));
  EXPECT_TRUE(b.empty());
  EXPECT_FALSE(Fs_ReadBytes(dir.path() + "/none", 0, 1, &b));
  EXPECT_EQ(Fs_FileSize(dir.path()), -1);  // a folder is not a file
}

}  // namespace
