// One second of 44.1 kHz stereo output with 32 streaming voices: the mixer
// on the null device plus the sound thread's tracking and refills by
// halves, in 10 ms steps. The counter rt_fraction is the time taken as a
// fraction of the second produced (target: under 0.01 for WAV voices),
// counted in the thread's own processor time so that a busy machine does
// not inflate it.
// The hot paths on their own: the mixer alone (at the device rate and
// resampling from 22.05 kHz), one second of Ogg decoded by halves, and one
// second of compressed WAV converted to PCM.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "base/base.h"
#include "platform/audio.h"
#include "platform/audio_wavdec.h"
#include "sound/sound.h"
#include "support/sound_writer.h"

namespace {

constexpr int kVoices = 32;

// Processor time of the calling thread in seconds.
double ThreadSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}
constexpr uint32_t kRate = 44100;

struct Voices {
  ObjNode* root = nullptr;
  std::vector<int16_t> out = std::vector<int16_t>(size_t(kRate / 100) * 2);

  explicit Voices(bool ogg) {
    g_SoundMode = 1;
    int32_t r = 0;
    g_DirectSound = PlatAudio_Open(PlatAudioBackend::Null, &r);
    sndfix::Pcm pcm = sndfix::Sine(kRate, 2, 440, 3000, 3000);
    std::string file = ogg ? sndfix::WriteOgg(pcm) : sndfix::WriteWav(pcm);
    root = Obj_NewNode("", 0, kObjKindGroup, nullptr);
    for (int i = 0; i < kVoices; ++i) {
      ObjNode* n = Obj_NewNode("v", 1, kObjKindLeaf, nullptr);
      SoundRec* rec = Snd_NewRecord(n);
      rec->kind = ogg ? kSndKindOgg : kSndKindWav;
      rec->image.reset(static_cast<uint8_t*>(std::malloc(file.size())));
      std::memcpy(rec->image.get(), file.data(), file.size());
      rec->imageSize = uint32_t(file.size());
      Snd_OpenBuffer(rec);
      Snd_SeekStart(rec, 0);
      Snd_Refill(rec);
      PlatAudioBuf_SetVolume(rec->buffer.get(), -1200);
      PlatAudioBuf_Play(rec->buffer.get(), true);
      rec->state = kSndSteady;
      Obj_LinkChild(root, n, i);
    }
  }
  ~Voices() {
    Obj_FreeSubtree(kTreeSound, root);
    PlatAudio_Close(g_DirectSound);
    g_DirectSound = nullptr;
  }
  void Second() {
    for (int step = 0; step < 100; ++step) {
      PlatAudio_Render(g_DirectSound, out.data(), kRate / 100);
      std::lock_guard<std::mutex> lock(g_SoundLock);
      Snd_UpdateTree(root->first);
      Snd_RefillTree(root->first);
    }
  }
};

void MixVoices(benchmark::State& st, bool ogg) {
  Obj_SetReleaseHook(kTreeSound, Snd_FreeRecord);
  Voices v(ogg);
  double secs = 0;
  for (auto _ : st) {
    double t0 = ThreadSeconds();
    v.Second();
    secs += ThreadSeconds() - t0;
    benchmark::DoNotOptimize(v.out.data());
  }
  st.counters["rt_fraction"] = secs / double(st.iterations());
}

// The mixer alone: 32 looping one-second buffers of 16-bit stereo.
void MixOnly(benchmark::State& st, uint32_t rate) {
  int32_t r = 0;
  PlatSoundDevice* dev = PlatAudio_Open(PlatAudioBackend::Null, &r);
  PlatAudioFormat f{2, 16, rate, 4};
  sndfix::Pcm pcm = sndfix::Sine(rate, 2, 440, 3000, 1000);
  std::vector<PlatAudioBufPtr> bufs;
  for (int i = 0; i < kVoices; ++i) {
    PlatAudioBufPtr b(PlatAudioBuf_Create(dev, f, rate * 4, nullptr));
    PlatAudioLock lock;
    PlatAudioBuf_Lock(b.get(), 0, rate * 4, &lock);
    std::memcpy(lock.part1, pcm.samples.data(), std::min<size_t>(lock.bytes1, pcm.samples.size() * 2));
    lock.Unlock();
    PlatAudioBuf_SetVolume(b.get(), -1200);
    PlatAudioBuf_SetPan(b.get(), (i % 5 - 2) * 1000);
    PlatAudioBuf_Play(b.get(), true);
    bufs.push_back(std::move(b));
  }
  std::vector<int16_t> out(size_t(kRate) * 2);
  double secs = 0;
  for (auto _ : st) {
    double t0 = ThreadSeconds();
    PlatAudio_Render(dev, out.data(), kRate);
    secs += ThreadSeconds() - t0;
    benchmark::DoNotOptimize(out.data());
  }
  st.counters["rt_fraction"] = secs / double(st.iterations());
  bufs.clear();
  PlatAudio_Close(dev);
}

// One second of a sound decoded by halves, as the thread's refills do it
// (no device: the halves are not written anywhere).
void DecodeSecond(benchmark::State& st, const std::string& file, uint8_t kind) {
  g_SoundMode = 1;
  SoundRec rec;
  rec.kind = kind;
  rec.image.reset(static_cast<uint8_t*>(std::malloc(file.size())));
  std::memcpy(rec.image.get(), file.data(), file.size());
  rec.imageSize = uint32_t(file.size());
  if (Snd_OpenBuffer(&rec) != 0) {
    st.SkipWithError("the sound does not open");
    return;
  }
  double secs = 0;
  for (auto _ : st) {
    Snd_SeekStart(&rec, 0);
    rec.carried = 0;
    double t0 = ThreadSeconds();
    for (int half = 0; half < 2; ++half) Snd_Refill(&rec);
    secs += ThreadSeconds() - t0;
  }
  st.counters["rt_fraction"] = secs / double(st.iterations());
}

// One second of compressed WAV converted to 16-bit PCM (made by sox).
void ConvertSecond(benchmark::State& st, const char* encoding) {
  std::string wav;
  std::vector<int16_t> ref;
  if (!sndfix::SoxEncode(sndfix::WriteWav(sndfix::Sine(kRate, 2, 440, 8000, 1000)), encoding, &wav, &ref)) {
    st.SkipWithError("sox is needed");
    return;
  }
  auto* img = reinterpret_cast<const uint8_t*>(wav.data());
  WavChunks c;
  Snd_FindWavChunks(img, uint32_t(wav.size()), &c);
  WavFmt f = Snd_ReadWavFmt(c.fmt, c.fmtSize);
  PlatWavSource src{f.tag, f.channels, f.rate, f.avgBytes, f.blockAlign, f.bits, {}};
  if (c.fmtSize > 18) src.extra = {c.fmt + 18, c.fmtSize - 18};
  std::vector<uint8_t> pcm;
  uint16_t ch = 0;
  uint32_t rate = 0;
  double secs = 0;
  for (auto _ : st) {
    double t0 = ThreadSeconds();
    PlatWav_DecodeToPcm16(src, {c.data, c.dataSize}, &pcm, &ch, &rate);
    secs += ThreadSeconds() - t0;
    benchmark::DoNotOptimize(pcm.data());
  }
  st.counters["rt_fraction"] = secs / double(st.iterations());
}

void BM_Mix32WavVoices(benchmark::State& st) { MixVoices(st, false); }
void BM_Mix32OggVoices(benchmark::State& st) { MixVoices(st, true); }
BENCHMARK(BM_Mix32WavVoices)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mix32OggVoices)->Unit(benchmark::kMillisecond);

void BM_MixerOnly32Voices(benchmark::State& st) { MixOnly(st, kRate); }
void BM_MixerOnly32VoicesResampled(benchmark::State& st) { MixOnly(st, kRate / 2); }
BENCHMARK(BM_MixerOnly32Voices)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixerOnly32VoicesResampled)->Unit(benchmark::kMillisecond);

void BM_DecodeOggSecond(benchmark::State& st) {
  DecodeSecond(st, sndfix::WriteOgg(sndfix::Sine(kRate, 2, 440, 8000, 3000)), kSndKindOgg);
}
void BM_CopyWavSecond(benchmark::State& st) {
  DecodeSecond(st, sndfix::WriteWav(sndfix::Sine(kRate, 2, 440, 8000, 3000)), kSndKindWav);
}
void BM_ConvertImaAdpcmSecond(benchmark::State& st) { ConvertSecond(st, "-e ima-adpcm"); }
void BM_ConvertMsAdpcmSecond(benchmark::State& st) { ConvertSecond(st, "-e ms-adpcm"); }
BENCHMARK(BM_DecodeOggSecond)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyWavSecond)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ConvertImaAdpcmSecond)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertMsAdpcmSecond)->Unit(benchmark::kMillisecond);

}  // namespace
