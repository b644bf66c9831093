// The GPU side of the animated-character library, against the recording
// stand-in: the start-up enters full-GPU drawing only with the library, the
// device set-up makes the library's driver, the walk has the library draw
// E-mote layers into their tile, and a reset makes the players again.
#include <filesystem>
#include <fstream>

#include "../media/media_fixture.h"
#include "gpu_fixture.h"
#include "render/gpu_internal.h"
#include "shell/startup.h"
#include "shell/window.h"

using namespace gputest;

namespace {

using Lines = std::vector<std::string>;

uint32_t At(const std::vector<uint8_t>& px, int w, int x, int y) {
  uint32_t v;
  std::memcpy(&v, px.data() + (size_t(y) * w + x) * 4, 4);
  return v;
}
uint32_t Rgb(uint32_t v) { return v & 0xFFFFFF; }

// Index of the first log line starting with `prefix` at or after `from`;
// -1 when there is none.
int Find(const Lines& lines, const std::string& prefix, int from = 0) {
  for (int i = std::max(from, 0); i < int(lines.size()); ++i)
    if (lines[i].rfind(prefix, 0) == 0) return i;
  return -1;
}

StartupStepFn Step(const char* name) {
  int n = 0;
  const StartupStep* steps = Startup_Steps(&n);
  for (int i = 0; i < n; ++i)
    if (std::strcmp(steps[i].name, name) == 0) return steps[i].fn;
  return nullptr;
}

class GpuEmote : public GpuTest {
 protected:
  void SetUp() override {
    GpuTest::SetUp();
    if (IsSkipped()) return;
    ASSERT_TRUE(fake.Open());
    fake.Clear();
  }
  void TearDown() override {
    if (!IsSkipped()) {
      Emote_ReleaseAll();
      Emote_UnloadLibrary();
      Media_InstallHooks();
      delete g_WindowRecs[0];
      g_WindowRecs[0] = nullptr;
      g_RenderSettings = RenderSettings();
      g_ResolutionChange = 1;
      g_WinConfig = WinConfig();
      g_ExeDirHost.clear();
      if (!oldDir.empty()) std::filesystem::current_path(oldDir);
    }
    GpuTest::TearDown();
  }
  // The library loaded and a full-GPU device for a w x h window 0.
  void StartWithLibrary(int w, int h) {
    Emote_LoadDriverFrom(FAKE_EMOTE_DIR);
    ASSERT_TRUE(Emote_Available());
    Media_InstallHooks();
    StartFullGpu(w, h);
  }
  // An E-mote layer made from "chara.psb" in a folder of its own (the
  // current folder, so a reset finds the file again).
  LayerImage* AddCharacter(const char* name, int64_t key) {
    std::string dir = ::testing::TempDir() + "/gpu-emote";
    std::filesystem::create_directories(dir);
    std::ofstream(dir + "/chara.psb", std::ios::binary) << std::string("PSB\0\x01\x02", 6);
    if (oldDir.empty()) oldDir = std::filesystem::current_path().string();
    std::filesystem::current_path(dir);
    ObjNode* n = MakeLayer(root_, name, false, 1, 1, 0, key);
    LayerImage* r = Layer_Record(n);
    EXPECT_EQ(0, Img_LoadFile(r, "chara.psb"));
    EXPECT_EQ(2u, r->kind);
    EXPECT_NE(nullptr, r->emotePlayer);
    return r;
  }

  mediatest::FakeEmote fake;
  std::string oldDir;
};

// The start-up's library and device steps for each drawing level, with and
// without the library: only the library turns full-GPU drawing on, and it
// does so whatever the level.
TEST_F(GpuEmote, OnlyTheLibraryTurnsFullGpuDrawingOn) {
  struct Case {
    bool library;
    int level;
    uint8_t fullGpu, gpuScaled;
  };
  const Case cases[] = {{true, 0, 1, 0}, {true, 1, 1, 0}, {true, 3, 1, 0},
                        {false, 0, 0, 1}, {false, 1, 0, 1}, {false, 2, 0, 0}, {false, 3, 0, 0}};
  ObjNode* root = MakeRoot(4, 2);
  root_ = root;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "library " << c.library << " level " << c.level);
    Emote_UnloadLibrary();
    fake.Clear();
    g_RenderSettings = RenderSettings();
    Cfg_ApplyDrawLevel(c.level, false);
    g_ResolutionChange = 1;
    delete g_WindowRecs[0];
    g_WindowRecs[0] = new WindowRec();
    g_WindowRecs[0]->logicalW = 4;
    g_WindowRecs[0]->logicalH = 2;
    g_WindowRecs[0]->layerSet = root;
    g_ExeDirHost = c.library ? FAKE_EMOTE_DIR : "/nonexistent-folder";
    ASSERT_EQ(0, Step("emote")());
    ASSERT_EQ(0, Step("gpudevice")());
    EXPECT_EQ(c.library, Emote_Available());
    EXPECT_EQ(c.fullGpu, g_D3dMode.FullGpu);
    EXPECT_EQ(c.gpuScaled, g_D3dMode.GpuScaled);
    EXPECT_EQ(c.fullGpu, g_WinConfig.fullGpu);
    EXPECT_EQ(c.fullGpu || c.gpuScaled, Gpu_DeviceLive());
    EXPECT_LE(g_D3dMode.CpuFiltered, 1);
    // Full screen keeps the desktop's resolution with the library.
    EXPECT_EQ(c.library ? 0 : 1, g_ResolutionChange);
    // The device set-up made the library's driver once.
    Lines log = fake.Lines();
    EXPECT_EQ(c.library ? 0 : -1, Find(log, "2 device="));
    EXPECT_EQ(-1, Find(log, "2 device=", 1));
    EXPECT_TRUE(boxes_.empty());
    Emote_ReleaseAll();
    Gpu_ReleaseAll();
  }
}

// The walk has the library draw an E-mote layer into its own tile with the
// layer's colour, draw values and place, then draws the tile: the tile's
// clear colour is transparent, so where the player drew nothing the frame
// shows what lies below.
TEST_F(GpuEmote, TheLibraryDrawsTheLayerIntoItsTile) {
  StartWithLibrary(4, 2);
  AddTextured("bg", 4, 2, Px(10, 20, 30, 255), 0, 0, 1);
  LayerImage* ch = AddCharacter("ch", 2);
  ch->gpuColour = 0x102030;
  ch->zoomX = 15000;
  ch->gpuFloats[2] = 9000;  // a quarter turn, in 1/100 degree
  ch->x100 = 300, ch->y100 = 100;
  fake.Clear();
  std::vector<uint8_t> frame = GpuFrame();
  Lines log = fake.Lines();
  int colour = Find(log, "226 h1 " + std::to_string(0x102030u * 256 + 255));
  int zoom = Find(log, "222 h1 1.500");
  int turn = Find(log, "224 h1 -1.571");
  int draw = Find(log, "121 driver=900");
  int query = Find(log, "256 h1");
  EXPECT_GE(colour, 0);
  EXPECT_GT(zoom, colour);
  EXPECT_GT(turn, zoom);
  EXPECT_GT(draw, turn);
  EXPECT_GT(query, draw);
  const GpuLayerTextures* t = Tex_Of(ch);
  ASSERT_NE(nullptr, t);
  ASSERT_EQ(1u, t->tiles.size());
  EXPECT_EQ(4, t->grid.colW[0]);
  EXPECT_EQ(2, t->grid.rowH[0]);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(0x1E140Au, Rgb(At(frame, 4, x, y))) << x << "," << y;
  // The layer's place went to the library's transform: (3, 1) from the
  // top left is (1, 0) from the centre of the 4 x 2 back buffer.
  EXPECT_FLOAT_EQ(0.5f, g_GpuDevice.emoteTransform[3]);
  EXPECT_FLOAT_EQ(0.0f, g_GpuDevice.emoteTransform[7]);
}

// A device reset saves the players' state, releases them and the driver,
// makes a new driver on the new device, loads each player again from its
// file and gives it its values back; the next frame draws the new player.
TEST_F(GpuEmote, AResetMakesThePlayersAgainFromTheirFiles) {
  StartWithLibrary(2, 2);
  AddTextured("bg", 2, 2, Px(0, 0, 0, 255), 0, 0, 1);
  LayerImage* ch = AddCharacter("ch", 2);
  Emote_SetParamA(ch, 0.25f);
  GpuFrame();
  const size_t before = fake.Lines().size();
  PlatGl_InjectFault(GlFault::ResetOnce);
  g_FullRedraw = 0;
  GpuFrame();
  Lines all = fake.Lines();
  Lines log(all.begin() + long(before), all.end());
  int saved = Find(log, "228 h1");       // the timelines read for the state
  int released = Find(log, "202 h1");
  int driverGone = Find(log, "102 driver=900");
  int newDriver = Find(log, "2 device=");
  int loaded = Find(log, "119 driver=900");
  int valueBack = Find(log, "214 h2 0.250");
  int drawn = Find(log, "256 h2");
  EXPECT_GE(saved, 0);
  EXPECT_GT(released, saved);
  EXPECT_GT(driverGone, released);
  EXPECT_GT(newDriver, driverGone);
  EXPECT_GT(loaded, newDriver);
  EXPECT_GT(valueBack, loaded);
  EXPECT_GT(drawn, valueBack);
  EXPECT_EQ(-1, Find(log, "256 h1"));  // the old player is never drawn again
  EXPECT_EQ(2u, ch->kind);
  EXPECT_EQ(1, g_FullRedraw);
  EXPECT_TRUE(Tex_HasTiles(ch));
}

}  // namespace
