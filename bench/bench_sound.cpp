// One second of 44.1 kHz stereo output with 32 streaming voices: the mixer
// on the null device plus the sound thread's tracking and refills by
// halves, in 10 ms steps. The counter rt_fraction is the time taken as a
// fraction of the second produced (target: under 0.01 for WAV voices).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "base/base.h"
#include "platform/audio.h"
#include "sound/sound.h"
#include "support/sound_writer.h"

namespace {

constexpr int kVoices = 32;
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
    auto t0 = std::chrono::steady_clock::now();
    v.Second();
    secs += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    benchmark::DoNotOptimize(v.out.data());
  }
  st.counters["rt_fraction"] = secs / double(st.iterations());
}

void BM_Mix32WavVoices(benchmark::State& st) { MixVoices(st, false); }
void BM_Mix32OggVoices(benchmark::State& st) { MixVoices(st, true); }
BENCHMARK(BM_Mix32WavVoices)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mix32OggVoices)->Unit(benchmark::kMillisecond);

}  // namespace
