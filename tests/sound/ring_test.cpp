// The request ring and its waits, the volume/pan/frequency arithmetic, the
// ramps, and the focus pause.
#include <chrono>

#include "sound_rig.h"

namespace {

using fx::Int;
using fx::Text;

TEST(SoundMath, BufferVolumePanAndFrequency) {
  struct { int32_t s, mb; } vol[] = {{256, 0}, {128, -1204}, {64, -2408}, {1, -9632}, {0, -10000},
                                     {-5, -10000}, {300, 0}};
  for (auto c : vol) EXPECT_EQ(Snd_VolumeToMb(c.s), c.mb) << c.s;
  struct { int32_t p, mb; } pan[] = {{0, -10000}, {128, -1204}, {256, 0}, {384, 1204}, {512, 10000},
                                     {-1, 0}, {513, 0}};
  for (auto c : pan) EXPECT_EQ(Snd_PanToMb(c.p), c.mb) << c.p;
  struct { int32_t f; uint32_t rate, hz; } freq[] = {{0, 44100, 22050}, {256, 44100, 44100},
                                                     {512, 44100, 66150}, {600, 8000, 8000},
                                                     {128, 22050, 16538}};
  for (auto c : freq) EXPECT_EQ(Snd_FrequencyToHz(c.f, c.rate), c.hz) << c.f;
  EXPECT_EQ(Snd_RampStep(256, 1000), 262);
  EXPECT_EQ(Snd_RampStep(-256, 1000), -262);
  EXPECT_EQ(Snd_RampStep(256, 0), 262144);
}

class Ring : public SoundRig {};

TEST_F(Ring, FullRingRefusesWithoutWaiting) {
  Idle(Main());
  ASSERT_TRUE(Load());
  g_SndWaitHook = nullptr;
  ObjNode* node = Node("root");
  ASSERT_TRUE(node);
  Snd_RunPass();  // the keep-alive's own requests
  int posted = 0;
  while (Snd_Post(node, kSndReqExists, 0) >= 0) ++posted;
  EXPECT_EQ(posted, kSndRingSize - 1);
  EXPECT_TRUE(errors.Has(110200));
  EXPECT_EQ(g_SoundRing.write, g_SoundRing.read == 0 ? kSndRingSize - 1 : g_SoundRing.read - 1);
  EXPECT_FALSE(Snd_WaitDone(-1));  // a refused post has nothing to wait for
  Snd_RunPass();
  EXPECT_EQ(g_SoundRing.read, g_SoundRing.write);
}

TEST_F(Ring, NamesLongerThanTheirBuffersAreCut) {
  Idle(Main());
  ASSERT_TRUE(Load());
  g_SndWaitHook = nullptr;
  ObjNode* node = Node("root");
  ASSERT_TRUE(node);
  Snd_RunPass();
  // The slot keeps 255 bytes and its NUL; a load request copies at most
  // the record's 260.
  std::string name(400, 'x');
  int slot = Snd_Post(node, kSndReqExists, 0, name.c_str());
  ASSERT_GE(slot, 0);
  EXPECT_EQ(std::string(g_SoundRing.name[slot]), name.substr(0, kSndSlotNameSize - 1));
  SoundRec* rec = Rec("root");
  Snd_RunPass();
  {
    std::lock_guard<std::mutex> lock(g_SoundLock);
    Snd_ReleaseBuffer(rec);
    rec->state = kSndStopped;
  }
  ASSERT_GE(Snd_Post(node, kSndReqLoad, 0, name.c_str()), 0);
  Snd_RunPass();  // the keep-alive loads its placeholder whatever the name
  EXPECT_EQ(std::string(rec->fileName), name.substr(0, kSndSlotNameSize - 1));
  EXPECT_EQ(rec->state, kSndLoaded);
}

TEST_F(Ring, WaitsEndWhenTheThreadIsGoneOrTheEngineQuits) {
  Idle(Main());
  ASSERT_TRUE(Load());
  g_SndWaitHook = nullptr;  // nobody runs passes: only the way out ends a wait
  ObjNode* node = Node("root");
  int slot = Snd_Post(node, kSndReqExists, 0);
  ASSERT_GE(slot, 0);
  auto t0 = std::chrono::steady_clock::now();
  g_SoundThreadState = kThreadEnded;
  EXPECT_FALSE(Snd_WaitDone(slot));
  g_SoundThreadState = kThreadRunning;
  g_QuitRequested = 1;
  SoundRec playing;
  playing.state = kSndSteady;
  EXPECT_FALSE(Snd_WaitStopped(&playing));
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2));
}

TEST_F(Ring, DeleteWithARefusedStopLeavesNoRequestForTheFreedNode) {
  files["a.wav"] = sndfix::WriteWav(sndfix::Sine(kRate, 1, 441, 8000, 500));
  fx::Scene& s = Main();
  s.Cmd("snd", {{"path", Text("a")}, {"file", Text("a.wav")}});
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(3);
  ObjNode* a = Node("s0/a");
  ASSERT_TRUE(a);
  g_SndWaitHook = nullptr;
  g_SoundThreadState = kThreadEnded;  // the stop is refused, the wait ends at once
  Snd_Post(a, kSndReqSetVolume, 10);
  g_SoundThreadState = kThreadRunning;
  // Fill the ring with requests for the node, then delete it.
  while (Snd_Post(a, kSndReqSetPan, 100) >= 0) {
  }
  Snd_PostStopAndWait(a);
  EXPECT_FALSE(Node("s0/a"));
  Snd_RunPass();  // takes every waiting slot: none may reach the freed node
  EXPECT_EQ(g_SoundRing.read, g_SoundRing.write);
}

TEST_F(Ring, LongRampsDoNotOverflow) {
  files["a.wav"] = sndfix::WriteWav(sndfix::Sine(kRate, 1, 441, 8000, 500));
  fx::Scene& s = Main();
  s.Cmd("snd", {{"path", Text("a")}, {"file", Text("a.wav")}, {"fade", Int(1)}, {"time", Int(1000)}});
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(2);
  SoundRec* rec = Rec("s0/a");
  ASSERT_TRUE(rec);
  std::lock_guard<std::mutex> lock(g_SoundLock);
  rec->state = kSndRamping;
  rec->rampStart = 0;
  rec->target = 256;
  rec->rampStep = 262;
  rec->rampTick = Clock_Ms32() - 10000000;  // 10 000 s x 262 is past 2^31
  Snd_UpdateFades();
  EXPECT_EQ(rec->volume, 256);
  EXPECT_EQ(rec->state, kSndSteady);
}

TEST_F(Ring, FocusLossPausesAndTheSoundResumesWhereItWas) {
  static bool active = true;
  active = true;
  g_SndFocusHook = [] {
    SndFocusInputs in;
    in.runWhenInactive = false;
    in.mainActive = active;
    return in;
  };
  files["bgm.wav"] = sndfix::WriteWav(sndfix::Steps(kRate, 1, 100, 20, 1000, 1000));
  fx::Scene& s = Main();
  s.Cmd("snd", {{"path", Text("bgm")}, {"file", Text("bgm.wav")}, {"fade", Int(1)}});
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(3);
  Run(340);
  SoundRec* rec = Rec("s0/bgm");
  ASSERT_TRUE(rec);
  active = false;
  Step();
  EXPECT_EQ(g_SoundFocusPaused, 1);
  EXPECT_FALSE(rec->buffer);  // released while paused
  int64_t at = rec->playedBytes * 1000 / rec->avgBytes;
  size_t pausedFrom = Mixed();
  Run(500);
  EXPECT_EQ(Peak(pausedFrom, Mixed(), 0), 0);
  active = true;
  Step();
  EXPECT_EQ(g_SoundFocusPaused, 0);
  ASSERT_TRUE(rec->buffer);
  size_t resumed = Mixed();
  Run(50);
  // Resumed where it was paused (levels 1000 per 100 ms step).
  int level = out[(resumed + Ms(30)) * 2];
  EXPECT_EQ(level, int(1000 + 1000 * ((at + 30) / 100))) << at;
  EXPECT_EQ(rec->startPos, 0);  // the script's start position, not the resume point
}

}  // namespace
