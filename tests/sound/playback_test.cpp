// Sounds played from fixture scenes through commands 87-89, the ring, the
// thread's passes and the mixer, checked against the PCM they must give.
#include "sound_rig.h"

namespace {

using fx::Int;
using fx::Text;

using Playback = SoundRig;

TEST_F(Playback, VolumeHalfGivesAQuarterOfTheAmplitude) {
  files["bgm.wav"] = sndfix::WriteWav(sndfix::Sine(kRate, 2, 441, 16000, 1000));
  Play("bgm.wav", {{"fade", Int(1)}, {"vol", Int(128)}});
  ASSERT_TRUE(Load());
  size_t s = StartFrame();
  Run(300);
  EXPECT_NEAR(Peak(s + Ms(100), s + Ms(300), 0), 4000, 3);
  EXPECT_NEAR(Peak(s + Ms(100), s + Ms(300), 1), 4000, 3);
  EXPECT_EQ(Rec("s0/bgm")->state, kSndSteady);
  EXPECT_TRUE(errors.Empty());
}

TEST_F(Playback, PanZeroSilencesTheRightChannel) {
  files["bgm.wav"] = sndfix::WriteWav(sndfix::Sine(kRate, 1, 441, 16000, 1000));
  Play("bgm.wav", {{"fade", Int(1)}, {"pan", Int(0)}});
  ASSERT_TRUE(Load());
  size_t s = StartFrame();
  Run(300);
  EXPECT_NEAR(Peak(s + Ms(100), s + Ms(300), 0), 16000, 2);
  EXPECT_EQ(Peak(s + Ms(100), s + Ms(300), 1), 0);
}

TEST_F(Playback, Frequency512GivesOneAndAHalfTimesTheCrossings) {
  files["bgm.wav"] = sndfix::WriteWav(sndfix::Sine(kRate, 1, 441, 16000, 1000));
  Play("bgm.wav", {{"fade", Int(1)}, {"freq", Int(512)}});
  ASSERT_TRUE(Load());
  size_t s = StartFrame();
  Run(600);
  // 441 Hz crosses zero 882 times a second; 1.5 times faster over 500 ms.
  EXPECT_NEAR(Crossings(s + Ms(50), s + Ms(550), 0), 662, 3);
}

TEST_F(Playback, LoopPointsRepeatFromTheLoop) {
  // Ten 100 ms steps of levels 1000, 2000, ... 10000.
  files["bgm.wav"] = sndfix::WriteWav(sndfix::Steps(kRate, 1, 100, 10, 1000, 1000));
  Play("bgm.wav", {{"fade", Int(1)}, {"loop", Int(500)}});
  ASSERT_TRUE(Load());
  size_t s = StartFrame();
  Run(2200);
  auto at = [&](uint32_t ms) { return out[(s + Ms(ms)) * 2]; };
  EXPECT_EQ(at(50), 1000);
  EXPECT_EQ(at(950), 10000);
  EXPECT_EQ(at(1050), 6000);  // after the end, from 500 ms on
  EXPECT_EQ(at(1450), 10000);
  EXPECT_EQ(at(1550), 6000);
  EXPECT_EQ(Rec("s0/bgm")->state, kSndSteady);
}

TEST_F(Playback, PlayCountTwoPlaysTwiceAndStops) {
  files["bgm.wav"] = sndfix::WriteWav(sndfix::Steps(kRate, 1, 100, 3, 5000, 1000));
  Play("bgm.wav", {{"fade", Int(1)}, {"count", Int(2)}});
  ASSERT_TRUE(Load());
  size_t s = StartFrame();
  Run(1500);
  auto at = [&](uint32_t ms) { return out[(s + Ms(ms)) * 2]; };
  EXPECT_EQ(at(50), 5000);
  EXPECT_EQ(at(350), 5000);  // the second play
  EXPECT_EQ(at(550), 7000);
  EXPECT_EQ(at(650), 0);     // silence after it
  EXPECT_EQ(Peak(s + Ms(700), Mixed(), 0), 0);
  EXPECT_EQ(Rec("s0/bgm")->state, kSndStopped);
}

TEST_F(Playback, NegativeStartPlaysSilenceFirst) {
  // 8-bit: its silence is 0x80, so the padding must be too.
  sndfix::WavOptions o;
  o.bits = 8;
  files["bgm.wav"] = sndfix::WriteWav(sndfix::Steps(kRate, 1, 1000, 1, 8192, 0), o);
  Play("bgm.wav", {{"fade", Int(1)}, {"start", Int(-500)}});
  ASSERT_TRUE(Load());
  size_t s = StartFrame();
  Run(900);
  EXPECT_EQ(Peak(s, s + Ms(495), 0), 0);
  EXPECT_EQ(Peak(s, s + Ms(500), 0), 0);
  EXPECT_EQ(out[(s + Ms(500)) * 2], 8192);
}

TEST_F(Playback, FadeInReachesItsTargetAtItsTime) {
  files["bgm.wav"] = sndfix::WriteWav(sndfix::Steps(kRate, 1, 1000, 3, 16384, 0));
  Play("bgm.wav", {{"fade", Int(1)}, {"time", Int(1000)}});
  ASSERT_TRUE(Load());
  SoundRec* rec = nullptr;
  for (int i = 0; i < 50 && !(rec = Rec("s0/bgm")); ++i) Frames(1);
  ASSERT_TRUE(rec);
  StartFrame();
  EXPECT_EQ(rec->rampStep, 262);  // 256 x 1024 / 1000
  Run(500);
  EXPECT_NEAR(rec->volume, 128, 4);
  EXPECT_EQ(rec->state, kSndRamping);
  Run(500);
  EXPECT_EQ(rec->volume, 256);
  EXPECT_EQ(rec->state, kSndSteady);
}

TEST_F(Playback, PositionHoldsAcrossLongGapsBetweenPasses) {
  // A stalled thread reads the play position seconds apart; the position
  // must still count every second played.
  files["bgm.wav"] = sndfix::WriteWav(sndfix::Sine(kRate, 2, 441, 8000, 9000));
  Play("bgm.wav", {{"fade", Int(1)}});
  ASSERT_TRUE(Load());
  size_t start = StartFrame();
  SoundRec* rec = Rec("s0/bgm");
  ASSERT_TRUE(rec);
  for (uint32_t gapMs : {1000u, 1700u, 3100u}) {
    Run(50);
    std::vector<int16_t> gap(Ms(gapMs) * 2);
    PlatAudio_Render(g_DirectSound, gap.data(), Ms(gapMs));
    out.insert(out.end(), gap.begin(), gap.end());
    Step();
    double expectMs = double(Mixed() - start) * 1000.0 / kRate;
    EXPECT_NEAR(double(rec->playedBytes) * 1000.0 / double(rec->avgBytes), expectMs, 2.0) << gapMs;
  }
  EXPECT_EQ(rec->state, kSndSteady);
}

TEST_F(Playback, QueryAnswersFromTheRecord) {
  game.IntVar(1000, {8});
  files["bgm.wav"] = sndfix::WriteWav(sndfix::Sine(22050, 2, 441, 16000, 2000));
  fx::Scene& s = Main();
  s.Cmd("snd", {{"path", Text("bgm")}, {"file", Text("bgm.wav")}, {"fade", Int(1)}, {"loop", Int(700)}});
  s.Cmd("sndget", {{"path", Text("bgm")}, {"playing", Int(0)}, {"out", fx::Elem(1000, {Int(0)})}});
  s.Cmd("sndget", {{"path", Text("bgm")}, {"length", Int(0)}, {"out", fx::Elem(1000, {Int(1)})}});
  s.Cmd("sndget", {{"path", Text("bgm")}, {"rate", Int(0)}, {"loop", Int(0)}, {"out", fx::Elem(1000, {Int(2)})}});
  s.Cmd("sndget", {{"path", Text("nothing")}, {"vol", Int(0)}, {"out", fx::Elem(1000, {Int(3)})}});
  s.Cmd("sndget", {{"path", Text("bgm")}, {"channels", Int(0)}, {"out", fx::Elem(1000, {Int(4)})}});
  s.Cmd("sndget", {{"path", Text("bgm")}, {"enable", Int(0)}, {"channels", Int(0)}, {"out", fx::Elem(1000, {Int(5)})}});
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(3);
  EXPECT_EQ(I(1000, 0), 1);
  EXPECT_EQ(I(1000, 1), 2000);
  EXPECT_EQ(I(1000, 2), 22050);  // the last given wins: rate after loop
  EXPECT_EQ(I(1000, 3), 0);
  EXPECT_EQ(I(1000, 4), 2);
  EXPECT_EQ(I(1000, 5), 1);      // a first-seven id answers alone
}

TEST_F(Playback, DeleteStopsAndFreesTheNode) {
  files["bgm.wav"] = sndfix::WriteWav(sndfix::Sine(kRate, 1, 441, 16000, 1000));
  fx::Scene& s = Main();
  s.Cmd("snd", {{"path", Text("g/")}});
  s.Cmd("snd", {{"path", Text("g/a")}, {"file", Text("bgm.wav")}, {"fade", Int(1)}});
  s.Cmd("wait", {{"frames", Int(5)}});
  s.Cmd("snddel", {{"path", Text("g/")}});
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(3);
  ASSERT_TRUE(Rec("s0/g/a"));
  Frames(10);
  EXPECT_FALSE(Obj_FindByPath(g_TreeRoots[kTreeSound].root, "s0/g", kObjFindGroup | kObjFindQuiet));
  size_t at = Mixed();
  Run(100);
  EXPECT_EQ(Peak(at, Mixed(), 0), 0);
  EXPECT_TRUE(errors.Empty());
}

TEST_F(Playback, ElevenKilohertzMonoSixteenBitPlaysCleanAcrossHalves) {
  // One second of 11025 Hz mono 16-bit is an odd number of bytes per half.
  files["bgm.wav"] = sndfix::WriteWav(sndfix::Steps(11025, 1, 250, 8, 1000, 1000));
  Play("bgm.wav", {{"fade", Int(1)}, {"count", Int(1)}});
  ASSERT_TRUE(Load());
  size_t s = StartFrame();
  Run(2100);
  for (uint32_t k = 0; k < 8; ++k) EXPECT_EQ(out[(s + Ms(250 * k + 125)) * 2], int(1000 + 1000 * k)) << k;
}

}  // namespace
