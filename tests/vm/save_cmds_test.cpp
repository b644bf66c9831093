// Save data commands from fixture scenes: variables of every type and
// dimension, elements, groups and layer pictures written by command 84 and
// read back by command 55 into a fresh engine; damaged files and failed
// writes.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "files/save.h"
#include "graphics/graphics.h"
#include "graphics/layer_image.h"
#include "platform/file_write.h"
#include "scene_testutil.h"
#include "support/test_env.h"
#include "vm/save_cmds.h"

namespace {

constexpr uint32_t kI = 1000, kD = 1001, kT = 1002, kIA = 1003, kDA = 1004, kTA = 1005, kG = 1006;

// Every run uses the same variables; `setup` may give them values first.
struct SaveRun {
  SaveRun(const std::string& dir, const std::function<void(fx::Scene&)>& body,
          const std::function<void()>& before = {}) {
    g_QuitRequested = 0;
    g_SavePath = dir + "/";
    fx::Game g;
    g.IntVar(kI).DoubleVar(kD).TextVar(kT).IntVar(kIA, {2, 3}).DoubleVar(kDA, {4}).TextVar(kTA, {3});
    g.IntVar(kG, {}, 0, 1, 0, 2);  // group 2
    fx::Scene& s = g.Scene(0);
    s.Label("SYSTEM_START");
    body(s);
    EndWithWait(s);
    loaded = LoadGame(g);
    Gfx_InstallSaveHooks();
    if (loaded == 0) {
      if (before) before();
      RunFrames(2);
    }
  }
  ~SaveRun() {
    Script_FreeAll();
    Save_FreeBuffers(-1);
  }
  int loaded;
  ErrCapture log;
};

void Save(fx::Scene& s, int dno, const fx::Expr& var, const char* file = nullptr) {
  std::vector<fx::Arg> a = {{"dno", fx::Int(dno)}, {"var", var}};
  if (file) a.push_back({"file", fx::Text(file)});
  s.Cmd("savedata", a);
}
void Read(fx::Scene& s, int dno, const fx::Expr& var, const char* file = "game") {
  s.Cmd("saveread", {{"file", fx::Text(file)}, {"dno", fx::Int(dno)}, {"var", var}});
}

void FillValues() {
  Var_SetIntElement(kI, 0, -42);
  Var_SetDoubleElement(kD, 0, 2.5);
  Var_SetStringElement(kT, 0, "表ソ");
  for (int i = 0; i < 6; ++i) Var_SetIntElement(kIA, i, i * 11);
  for (int i = 0; i < 4; ++i) Var_SetDoubleElement(kDA, i, i + 0.25);
  Var_SetStringElement(kTA, 0, "a");
  Var_SetStringElement(kTA, 2, "ccc");
  Var_SetIntElement(kG, 0, 77);
}

TEST(SaveCmds, EveryVariableKindRoundTripsIntoAFreshEngine) {
  TempDir dir;
  {
    SaveRun w(dir.path(), [](fx::Scene& s) {
      Save(s, 1, fx::Whole(kI));
      Save(s, 2, fx::Whole(kD));
      Save(s, 3, fx::Whole(kT));
      Save(s, 4, fx::Whole(kIA));
      Save(s, 5, fx::Whole(kDA));
      Save(s, 6, fx::Whole(kTA));
      Save(s, 7, fx::Elem(kIA, {fx::Int(1), fx::Int(2)}));
      Save(s, 8, fx::Elem(kTA, {fx::Int(2)}));
      s.Cmd("savedata", {{"dno", fx::Int(9)}, {"int2", fx::Int(1)}, {"file", fx::Text("game")}});
    }, FillValues);
    ASSERT_EQ(w.loaded, 0);
    EXPECT_TRUE(w.log.Empty()) << w.log.First();
    for (const SaveBuffer& b : g_SaveBuffers) EXPECT_EQ(b.size, 0u);  // a write frees them
  }
  SaveRun r(dir.path(), [](fx::Scene& s) {
    Read(s, 1, fx::Whole(kI));
    Read(s, 2, fx::Whole(kD));
    Read(s, 3, fx::Whole(kT));
    Read(s, 4, fx::Whole(kIA));
    Read(s, 5, fx::Whole(kDA));
    Read(s, 6, fx::Whole(kTA));
    Read(s, 7, fx::Elem(kIA, {fx::Int(0), fx::Int(0)}));  // one element, restored at the one given
    Read(s, 8, fx::Elem(kTA, {fx::Int(1)}));
    Read(s, 9, fx::Whole(kG));
  });
  ASSERT_EQ(r.loaded, 0);
  EXPECT_TRUE(r.log.Empty()) << r.log.First();
  EXPECT_EQ(IntVar(kI), -42);
  EXPECT_DOUBLE_EQ(DblVar(kD), 2.5);
  EXPECT_EQ(StrVar(kT), "表ソ");
  EXPECT_EQ(IntVar(kIA, 0), 55);  // element (1, 2) = 5 * 11
  for (int i = 1; i < 6; ++i) EXPECT_EQ(IntVar(kIA, i), i * 11);
  for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(DblVar(kDA, i), i + 0.25);
  EXPECT_EQ(StrVar(kTA, 0), "a");
  EXPECT_EQ(StrVar(kTA, 1), "ccc");
  EXPECT_EQ(StrVar(kTA, 2), "ccc");
  EXPECT_EQ(IntVar(kG), 77);
}

TEST(SaveCmds, OneElementTextHasNoInnerLength) {
  TempDir dir;
  SaveRun w(dir.path(), [](fx::Scene& s) { Save(s, 3, fx::Elem(kTA, {fx::Int(2)}), "elem"); }, FillValues);
  ASSERT_EQ(w.loaded, 0);
  SaveItem item;
  std::string host = dir.path() + "/elem.sd";
  ASSERT_EQ(Save_ReadItem(host, 3, &item), 0);
  std::vector<uint8_t> bytes;
  ASSERT_EQ(Save_Uncompress(item.stored.data(), uint32_t(item.stored.size()), item.unpacked, &bytes), 0);
  const uint8_t want[] = {3, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 'c', 'c', 'c'};
  ASSERT_EQ(bytes.size(), sizeof want);
  EXPECT_EQ(std::memcmp(bytes.data(), want, sizeof want), 0);
  EXPECT_EQ(item.varNo, kTA);
}

TEST(SaveCmds, LayerPictureRoundTrips) {
  TempDir dir;
  auto makeLayer = [](uint32_t fill) {
    return [fill]() mutable {
      ObjNode* root = g_TreeRoots[kTreeLayer].root;
      ObjNode* n = Obj_NewNode("pic", 3, kObjKindLeaf, nullptr);
      LayerImage* r = Obj_GetImageRecord(n);
      Img_SetSize(r, 3, 2, nullptr);
      for (int i = 0; i < 6; ++i) std::memcpy(r->pixels + 4 * i, &fill, 4), fill += 0x01010101;
      Obj_LinkChild(root, n, 1);
    };
  };
  {
    SaveRun w(dir.path(), [](fx::Scene& s) {
      s.Cmd("savedata", {{"dno", fx::Int(2)}, {"layer", fx::Text("pic")}, {"file", fx::Text("pics")}});
    }, makeLayer(0x10203040));
    ASSERT_EQ(w.loaded, 0);
    EXPECT_TRUE(w.log.Empty()) << w.log.First();
  }
  SaveRun r(dir.path(), [](fx::Scene& s) {
    s.Cmd("saveread", {{"file", fx::Text("pics")}, {"dno", fx::Int(2)}, {"layer", fx::Text("pic")}});
  }, [] {
    ObjNode* root = g_TreeRoots[kTreeLayer].root;
    ObjNode* n = Obj_NewNode("pic", 3, kObjKindLeaf, nullptr);
    Img_SetSize(Obj_GetImageRecord(n), 1, 1, nullptr);
    Obj_LinkChild(root, n, 1);
  });
  ASSERT_EQ(r.loaded, 0);
  EXPECT_TRUE(r.log.Empty()) << r.log.First();
  ObjNode* n = Obj_FindByPath(g_TreeRoots[kTreeLayer].root, "pic", kObjFindLeaf);
  ASSERT_NE(n, nullptr);
  LayerImage* rec = Layer_Record(n);
  ASSERT_EQ(rec->width, 3u);
  ASSERT_EQ(rec->height, 2u);
  uint32_t px;
  std::memcpy(&px, rec->pixels + 4 * 5, 4);
  EXPECT_EQ(px, 0x10203040u + 5 * 0x01010101u);
}

TEST(SaveCmds, ErrorsByCase) {
  struct Case {
    const char* what;
    std::function<void(fx::Scene&)> body;
    int err;
  } cases[] = {
      {"name of 33 characters", [](fx::Scene& s) { Save(s, 1, fx::Whole(kI), "abcdefghijklmnopqrstuvwxyz0123456"); }, 102160},
      {"name with a folder", [](fx::Scene& s) { Save(s, 1, fx::Whole(kI), "a/b"); }, 102150},
      {"buffer already filled", [](fx::Scene& s) { Save(s, 1, fx::Whole(kI)); Save(s, 1, fx::Whole(kI)); }, 102170},
      {"missing layer", [](fx::Scene& s) { s.Cmd("savedata", {{"dno", fx::Int(1)}, {"layer", fx::Text("none")}}); }, 101250},
      {"no such file", [](fx::Scene& s) { Read(s, 1, fx::Whole(kI), "nofile"); }, 102100},
  };
  for (const Case& c : cases) {
    TempDir dir;
    SaveRun r(dir.path(), c.body);
    ASSERT_EQ(r.loaded, 0);
    EXPECT_EQ(r.log.First(), c.err) << c.what;
  }
}

TEST(SaveCmds, TypeMismatchNamesTheDeclarationAndMissingRecordGoesOn) {
  TempDir dir;
  {
    SaveRun w(dir.path(), [](fx::Scene& s) { Save(s, 3, fx::Whole(kDA), "game"); });
    ASSERT_EQ(w.loaded, 0);
  }
  SaveRun r(dir.path(), [](fx::Scene& s) {
    Read(s, 9, fx::Whole(kI));  // no record: reported, the script goes on
    s.Let(fx::Var(kI), fx::Int(5));
    Read(s, 3, fx::Whole(kIA));
  });
  ASSERT_EQ(r.loaded, 0);
  ASSERT_GE(r.log.Count(), 2u);
  EXPECT_EQ(r.log.Numbers()[0], 102110);
  EXPECT_EQ(IntVar(kI), 5);
  EXPECT_EQ(r.log.Numbers()[1], 102120);
}

TEST(SaveCmds, DamagedFilesGiveTheirNumbers) {
  struct Case {
    const char* what;
    std::function<void(std::string&)> damage;
    int err;
  } cases[] = {
      {"magic", [](std::string& f) { f[0] = 'X'; }, 108030},
      {"version", [](std::string& f) { f[4] = 1; }, 108040},
      {"truncated record", [](std::string& f) { f.resize(f.size() - 3); }, 900000},
      {"offset past the end", [](std::string& f) { f[16 + 4 * 0] = char(0xFF); f[16 + 4 * 0 + 1] = char(0xFF); }, 900000},
  };
  for (const Case& c : cases) {
    TempDir dir;
    {
      SaveRun w(dir.path(), [](fx::Scene& s) { Save(s, 1, fx::Whole(kIA), "game"); });
      ASSERT_EQ(w.loaded, 0);
    }
    std::string path = dir.path() + "/game.sd";
    std::string bytes;
    {
      std::ifstream in(path, std::ios::binary);
      bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    c.damage(bytes);
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
    SaveRun r(dir.path(), [](fx::Scene& s) { Read(s, 1, fx::Whole(kIA)); });
    EXPECT_EQ(r.log.First(), c.err) << c.what;
  }
}

// Fails every write to a save file after the first `g_FailAfter` writes.
int g_Writes = 0, g_FailAfter = 0;
int FailWrites(const std::string& path, uint64_t, size_t) {
  if (path.find(".sd") == std::string::npos) return 0;
  return ++g_Writes > g_FailAfter ? ENOSPC : 0;
}

TEST(SaveCmds, FailedRewriteAndAppendLeaveTheOldRecordsReadable) {
  for (bool rewrite : {true, false}) {
    TempDir dir;
    {
      SaveRun w(dir.path(), [](fx::Scene& s) { Save(s, 1, fx::Whole(kI), "game"); },
                [] { Var_SetIntElement(kI, 0, 1234); });
      ASSERT_EQ(w.loaded, 0);
    }
    g_Writes = 0;
    g_FailAfter = 0;
    FileW_SetFaultHook(FailWrites);
    {
      SaveRun w(dir.path(), [&](fx::Scene& s) { Save(s, rewrite ? 1 : 2, fx::Whole(kI), "game"); },
                [] { Var_SetIntElement(kI, 0, 99); });
      EXPECT_TRUE(w.log.Has(102140)) << rewrite;
    }
    FileW_SetFaultHook(nullptr);
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/game.sd.tmp"));
    SaveRun r(dir.path(), [](fx::Scene& s) {
      Read(s, 1, fx::Whole(kI));
      Read(s, 2, fx::Whole(kD));
    });
    EXPECT_EQ(IntVar(kI), 1234) << (rewrite ? "rewrite" : "append");
    ASSERT_GE(r.log.Count(), 1u);
    EXPECT_EQ(r.log.First(), 102110) << "DNO 2 never reached the table";
  }
}

}  // namespace
