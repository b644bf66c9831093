// The audio device's buffers and our mixer on the null device.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/audio.h"

namespace {

class Mixer : public ::testing::Test {
 protected:
  void SetUp() override {
    int32_t r = -1;
    dev = PlatAudio_Open(PlatAudioBackend::Null, &r);
    ASSERT_TRUE(dev);
    ASSERT_EQ(r, kAudioOk);
  }
  void TearDown() override { PlatAudio_Close(dev); }

  // A buffer of `frames` 16-bit mono samples all at `v`.
  PlatAudioBufPtr Constant(uint32_t frames, int16_t v, uint32_t rate = kAudioDeviceRate) {
    PlatAudioFormat f{1, 16, rate, 2};
    PlatAudioBufPtr b(PlatAudioBuf_Create(dev, f, frames * 2, nullptr));
    PlatAudioLock lock;
    EXPECT_EQ(PlatAudioBuf_Lock(b.get(), 0, frames * 2, &lock), kAudioOk);
    for (uint32_t i = 0; i < frames; ++i) std::memcpy(lock.part1 + i * 2, &v, 2);
    return b;
  }
  std::vector<int16_t> Render(size_t frames) {
    std::vector<int16_t> out(frames * 2);
    PlatAudio_Render(dev, out.data(), frames);
    return out;
  }
  PlatSoundDevice* dev = nullptr;
};

TEST_F(Mixer, VolumeAndPanAttenuateAsHundredthsOfADecibel) {
  PlatAudioBufPtr b = Constant(1000, 20000);
  PlatAudioBuf_Play(b.get(), true);
  struct { int32_t vol, pan, left, right; } cases[] = {
      {0, 0, 20000, 20000},   {-600, 0, 10024, 10024}, {-10000, 0, 0, 0},
      {0, -10000, 20000, 0},  {0, 10000, 0, 20000},    {0, -2000, 20000, 2000},
  };
  for (auto c : cases) {
    PlatAudioBuf_SetVolume(b.get(), c.vol);
    PlatAudioBuf_SetPan(b.get(), c.pan);
    std::vector<int16_t> o = Render(10);
    EXPECT_NEAR(o[0], c.left, 1) << c.vol << " " << c.pan;
    EXPECT_NEAR(o[1], c.right, 1) << c.vol << " " << c.pan;
  }
  EXPECT_EQ(PlatAudioBuf_SetVolume(b.get(), 1), kAudioErrInvalidArg);
  EXPECT_EQ(PlatAudioBuf_SetPan(b.get(), 10001), kAudioErrInvalidArg);
}

TEST_F(Mixer, CursorLoopsAndAOneShotStops) {
  PlatAudioBufPtr loop = Constant(100, 1000);
  PlatAudioBuf_Play(loop.get(), true);
  Render(250);
  uint32_t play = 0, write = 0;
  PlatAudioBuf_GetPosition(loop.get(), &play, &write);
  EXPECT_EQ(play, 50u * 2);
  PlatAudioBuf_Stop(loop.get());
  PlatAudioBufPtr once = Constant(100, 1000);
  PlatAudioBuf_Play(once.get(), false);
  std::vector<int16_t> o = Render(200);
  EXPECT_EQ(o[99 * 2], 1000);
  EXPECT_EQ(o[100 * 2], 0);
  EXPECT_FALSE(PlatAudioBuf_IsPlaying(once.get()));
}

TEST_F(Mixer, PlayedCountKeepsEveryWrapHoweverLongBetweenReads) {
  // A 100-frame mono ring read once after many wraps.
  struct { uint32_t hz; bool looping; size_t render; uint64_t frames; } cases[] = {
      {kAudioDeviceRate, true, 1050, 1050},
      {kAudioDeviceRate, true, 44100 * 3, 44100 * 3},  // three seconds, 1323 wraps
      {kAudioDeviceRate * 2, true, 1050, 2100},        // twice the rate: twice the frames
      {kAudioDeviceRate / 2, true, 1050, 525},
      {kAudioDeviceRate, false, 1050, 100},            // a one-shot stops at its end
  };
  for (auto c : cases) {
    PlatAudioBufPtr b = Constant(100, 1000);
    PlatAudioBuf_SetFrequency(b.get(), c.hz);
    PlatAudioBuf_Play(b.get(), c.looping);
    Render(c.render);
    uint64_t played = 0;
    ASSERT_EQ(PlatAudioBuf_GetPlayed(b.get(), &played), kAudioOk);
    EXPECT_EQ(played, c.frames * 2) << c.hz << " " << c.render;
    uint32_t play = 0;
    PlatAudioBuf_GetPosition(b.get(), &play, nullptr);
    EXPECT_EQ(play, c.looping ? uint32_t(c.frames % 100 * 2) : 0u) << c.hz << " " << c.render;
  }
  uint64_t none = 0;
  EXPECT_EQ(PlatAudioBuf_GetPlayed(nullptr, &none), kAudioErrNoBuffer);
}

TEST_F(Mixer, SumsClipAndHalfRateInterpolates) {
  PlatAudioBufPtr a = Constant(100, 30000), b = Constant(100, 30000);
  PlatAudioBuf_Play(a.get(), true);
  PlatAudioBuf_Play(b.get(), true);
  EXPECT_EQ(Render(4)[0], 32767);
  PlatAudioBuf_Stop(b.get());
  // Two frames 0 and 1000 at half the device rate: 0, 500, 1000, 500, 0 ...
  PlatAudioBuf_Stop(a.get());
  PlatAudioFormat f{1, 16, kAudioDeviceRate / 2, 2};
  PlatAudioBufPtr c(PlatAudioBuf_Create(dev, f, 4, nullptr));
  PlatAudioLock lock;
  ASSERT_EQ(PlatAudioBuf_Lock(c.get(), 2, 4, &lock), kAudioOk);  // wraps: two parts
  EXPECT_EQ(lock.bytes1, 2u);
  EXPECT_EQ(lock.bytes2, 2u);
  int16_t one = 1000, zero = 0;
  std::memcpy(lock.part1, &one, 2);
  std::memcpy(lock.part2, &zero, 2);
  lock.Unlock();
  PlatAudioBuf_Play(c.get(), true);
  std::vector<int16_t> o = Render(4);
  EXPECT_EQ(o[0], 0);
  EXPECT_EQ(o[2], 500);
  EXPECT_EQ(o[4], 1000);
  EXPECT_EQ(o[6], 500);
}

TEST_F(Mixer, StreamsPlayWhatIsQueuedThenSilence) {
  PlatAudioStreamPtr s(PlatAudioStream_Create(dev, 2, kAudioDeviceRate, 64));
  ASSERT_TRUE(s);
  std::vector<int16_t> in(2 * 100, 7000);
  EXPECT_EQ(PlatAudioStream_Push(s.get(), in.data(), 100), 64u);  // the queue holds 64
  std::vector<int16_t> o = Render(100);
  EXPECT_EQ(o[0], 7000);
  EXPECT_EQ(o[63 * 2 + 1], 7000);
  EXPECT_EQ(o[70 * 2], 0);
  EXPECT_EQ(PlatAudioStream_Played(s.get()), 64u);
  EXPECT_EQ(PlatAudioStream_Queued(s.get()), 0u);
}

TEST_F(Mixer, BadFormatsAndASecondOpenAreRefused) {
  int32_t r = 0;
  EXPECT_FALSE(PlatAudio_Open(PlatAudioBackend::Null, &r));
  EXPECT_EQ(r, kAudioErrAllocated);
  PlatAudioFormat bad[] = {{3, 16, 44100, 6}, {1, 24, 44100, 3}, {1, 16, 44100, 1}, {1, 16, 0, 2}};
  for (const auto& f : bad) {
    EXPECT_FALSE(PlatAudioBuf_Create(dev, f, 1024, &r));
    EXPECT_EQ(r, kAudioErrInvalidArg);
  }
  PlatAudioFormat ok{2, 16, 44100, 4};
  EXPECT_FALSE(PlatAudioBuf_Create(dev, ok, 1023, &r));  // not whole blocks
}

}  // namespace
