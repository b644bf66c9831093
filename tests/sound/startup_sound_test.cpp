// The sound steps of a whole engine start: the device, the thread, the
// keep-alive sound, the refusal of a game that requires sound, and a smoke
// run through SDL's disk audio driver.
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "e2e/engine_game.h"
#include "platform/text.h"
#include "sound/sound.h"
#include "support/err_capture.h"
#include "support/sound_writer.h"

namespace {

using fx::Int;
using fx::Text;

class SoundStart : public e2e::EngineGame {
 protected:
  void SetUp() override {
    EngineGame::SetUp();
    g_QuitRequested = 0;  // a shut-down of an earlier case left them set
    g_ShutdownRequested = 0;
  }
  void TearDown() override {
    EngineGame::TearDown();
    // The shut-down leaves the sound tree to the process's end; the next
    // test starts from none.
    ObjTreeRoot& t = g_TreeRoots[kTreeSound];
    if (t.root) Obj_FreeSubtree(kTreeSound, t.root);
    t.root = nullptr;
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    started = false;
  }
};

TEST_F(SoundStart, RequiredSoundWithoutADeviceDoesNotStart) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  game.Cfg().soundMode = 2;
  Idle(Main());
  EXPECT_EQ(Start(), -1);
  EXPECT_EQ(g_SoundMode, 0);
  ASSERT_EQ(boxes.size(), 1u);  // the device box tells why
  EXPECT_NE(boxes[0].find(Text_Utf8ToSjis("利用可能なサウンドドライバ")), std::string::npos);
}

TEST_F(SoundStart, OptionalSoundWithoutADeviceRunsSilent) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  game.Cfg().soundMode = 1;
  Idle(Main());
  ASSERT_EQ(Start(), 0);
  EXPECT_EQ(g_SoundMode, 0);
  EXPECT_EQ(Frames(5), 5);
  EXPECT_EQ(g_SoundThreadState, kThreadRunning);
}

TEST_F(SoundStart, DiskDriverPlaysTheSoundForItsLength) {
  std::string file = dir.path() + "/out.raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  game.Cfg().soundMode = 1;
  extra["bgm.wav"] = sndfix::WriteWav(sndfix::Sine(44100, 2, 441, 12000, 400));
  fx::Scene& s = Main();
  s.Cmd("snd", {{"path", Text("bgm")}, {"file", Text("bgm.wav")}, {"fade", Int(1)}, {"count", Int(1)}});
  Idle(s);
  ASSERT_EQ(Start(), 0);
  ASSERT_EQ(g_SoundMode, 1);
  // At least 1.2 s, and until the sound has played and stopped (a slow
  // machine, or a sanitizer, may take long to start it).
  auto t0 = std::chrono::steady_clock::now();
  bool sounded = false, ended = false;
  while (std::chrono::steady_clock::now() - t0 < std::chrono::milliseconds(1200) ||
         (!ended && std::chrono::steady_clock::now() - t0 < std::chrono::seconds(10))) {
    Frames(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::lock_guard<std::mutex> lock(g_SoundLock);
    const SoundRec* rec = Snd_Record(Obj_FindByPath(g_TreeRoots[kTreeSound].root, "s0/bgm", kObjFindLeaf | kObjFindQuiet));
    if (rec && rec->state >= kSndRamping) sounded = true;
    if (sounded && rec && rec->state == kSndStopped) ended = true;
  }
  EXPECT_TRUE(ended);
  Boot_Shutdown();
  started = false;
  double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::ifstream in(file, std::ios::binary);
  std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // 16-bit stereo at 44.1 kHz, written in real time.
  double written = double(raw.size()) / 4.0 / 44100.0;
  EXPECT_GT(written, 0.8);
  EXPECT_LT(written, secs + 0.5);
  size_t loud = 0, peak = 0;
  for (size_t i = 0; i + 1 < raw.size(); i += 2) {
    int v = std::abs(int(int16_t(uint16_t(uint8_t(raw[i])) | uint16_t(uint8_t(raw[i + 1])) << 8)));
    loud += v > 1000;
    peak = std::max<size_t>(peak, size_t(v));
  }
  EXPECT_NEAR(double(peak), 12000, 100);
  // About 400 ms of the tone on two channels, most samples above 1000.
  double toneSecs = double(loud) / 2.0 / 44100.0;
  EXPECT_GT(toneSecs, 0.3);
  EXPECT_LT(toneSecs, 0.45);
}

}  // namespace
