// The audio device, its sound buffers and extra streams over our own mixer.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/audio_impl.h"

namespace {

// Re-reads the Q16 gains of a buffer after a volume or pan change: the far
// side of the pan is attenuated by its amount.
void UpdateGains(PlatAudioBuffer& b) {
  int32_t left = b.volume + (b.pan > 0 ? -b.pan : 0);
  int32_t right = b.volume + (b.pan < 0 ? b.pan : 0);
  b.gainL = Audio_GainQ16(b.volume <= kAudioVolumeMin ? kAudioVolumeMin : left);
  b.gainR = Audio_GainQ16(b.volume <= kAudioVolumeMin ? kAudioVolumeMin : right);
}

template <typename T>
void Unlist(std::vector<T*>& list, T* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

}  // namespace

PlatSoundDevice& Audio_Device() {
  static PlatSoundDevice* dev = new PlatSoundDevice();  // never destroyed: the
  return *dev;  // SDL callback may run while static destructors do
}

bool PlatAudio_FormatValid(const PlatAudioFormat& f) {
  return (f.channels == 1 || f.channels == 2) && (f.bits == 8 || f.bits == 16) &&
         f.blockAlign == f.channels * f.bits / 8 && f.rate >= kAudioFreqMin && f.rate <= kAudioFreqMax;
}

PlatAudioBackend PlatAudio_DefaultBackend() {
  const char* v = std::getenv("TAVREN_AUDIO");
  return v && std::strcmp(v, "null") == 0 ? PlatAudioBackend::Null : PlatAudioBackend::Sdl;
}

PlatSoundDevice* PlatAudio_Open(PlatAudioBackend backend, int32_t* result) {
  PlatSoundDevice& dev = Audio_Device();
  int32_t r = kAudioOk;
  {
    std::lock_guard<std::mutex> lock(dev.lock);
    if (dev.open) r = kAudioErrAllocated;
  }
  if (r == kAudioOk && backend == PlatAudioBackend::Sdl) r = AudioSdl_Open(dev);
  if (result) *result = r;
  if (r != kAudioOk) return nullptr;
  std::lock_guard<std::mutex> lock(dev.lock);
  dev.backend = backend;
  if (backend == PlatAudioBackend::Null) dev.rate = kAudioDeviceRate;
  dev.open = true;
  dev.mixed = 0;
  return &dev;
}

void PlatAudio_Close(PlatSoundDevice* dev) {
  if (!dev || !dev->open) return;
  if (dev->backend == PlatAudioBackend::Sdl) AudioSdl_Close(*dev);
  std::lock_guard<std::mutex> lock(dev->lock);
  dev->open = false;
}

uint32_t PlatAudio_Rate(const PlatSoundDevice* dev) { return dev ? dev->rate : 0; }

void PlatAudio_Render(PlatSoundDevice* dev, int16_t* out, size_t frames) {
  if (!dev) return;
  std::lock_guard<std::mutex> lock(dev->lock);
  Audio_MixLocked(*dev, out, frames);
}

uint64_t PlatAudio_FramesMixed(const PlatSoundDevice* dev) {
  if (!dev) return 0;
  std::lock_guard<std::mutex> lock(const_cast<PlatSoundDevice*>(dev)->lock);
  return dev->mixed;
}

// ---- Buffers ------------------------------------------------------------

PlatAudioBuffer* PlatAudioBuf_Create(PlatSoundDevice* dev, const PlatAudioFormat& f,
                                     uint32_t bytes, int32_t* result) {
  int32_t dummy;
  if (!result) result = &dummy;
  if (!dev || !dev->open || !PlatAudio_FormatValid(f) || bytes == 0 ||
      bytes > kAudioBufferMaxBytes || bytes % f.blockAlign != 0) {
    *result = kAudioErrInvalidArg;
    return nullptr;
  }
  auto* b = new (std::nothrow) PlatAudioBuffer();
  if (!b) {
    *result = kAudioErrOutOfMemory;
    return nullptr;
  }
  try {
    b->data.assign(bytes, f.bits == 8 ? uint8_t(0x80) : uint8_t(0));
  } catch (const std::bad_alloc&) {
    delete b;
    *result = kAudioErrOutOfMemory;
    return nullptr;
  }
  b->fmt = f;
  b->frames = bytes / f.blockAlign;
  b->freq = f.rate;
  std::lock_guard<std::mutex> lock(dev->lock);
  dev->buffers.push_back(b);
  *result = kAudioOk;
  return b;
}

void PlatAudioBuf_Release(PlatAudioBuffer* b) {
  if (!b) return;
  PlatSoundDevice& dev = Audio_Device();
  {
    std::lock_guard<std::mutex> lock(dev.lock);
    Unlist(dev.buffers, b);
  }
  delete b;
}

int32_t PlatAudioBuf_SetVolume(PlatAudioBuffer* b, int32_t mB) {
  if (!b) return kAudioErrNoBuffer;
  if (mB < kAudioVolumeMin || mB > kAudioVolumeMax) return kAudioErrInvalidArg;
  std::lock_guard<std::mutex> lock(Audio_Device().lock);
  b->volume = mB;
  UpdateGains(*b);
  return kAudioOk;
}

int32_t PlatAudioBuf_SetPan(PlatAudioBuffer* b, int32_t mB) {
  if (!b) return kAudioErrNoBuffer;
  if (mB < kAudioPanLeft || mB > kAudioPanRight) return kAudioErrInvalidArg;
  std::lock_guard<std::mutex> lock(Audio_Device().lock);
  b->pan = mB;
  UpdateGains(*b);
  return kAudioOk;
}

int32_t PlatAudioBuf_SetFrequency(PlatAudioBuffer* b, uint32_t hz) {
  if (!b) return kAudioErrNoBuffer;
  if (hz != 0 && (hz < kAudioFreqMin || hz > kAudioFreqMax)) return kAudioErrInvalidArg;
  std::lock_guard<std::mutex> lock(Audio_Device().lock);
  b->freq = hz ? hz : b->fmt.rate;
  return kAudioOk;
}

int32_t PlatAudioBuf_GetVolume(const PlatAudioBuffer* b, int32_t* mB) {
  if (!b) return kAudioErrNoBuffer;
  std::lock_guard<std::mutex> lock(Audio_Device().lock);
  *mB = b->volume;
  return kAudioOk;
}

int32_t PlatAudioBuf_GetPan(const PlatAudioBuffer* b, int32_t* mB) {
  if (!b) return kAudioErrNoBuffer;
  std::lock_guard<std::mutex> lock(Audio_Device().lock);
  *mB = b->pan;
  return kAudioOk;
}

int32_t PlatAudioBuf_GetFrequency(const PlatAudioBuffer* b, uint32_t* hz) {
  if (!b) return kAudioErrNoBuffer;
  std::lock_guard<std::mutex> lock(Audio_Device().lock);
  *hz = b->freq;
  return kAudioOk;
}

int32_t PlatAudioBuf_Play(PlatAudioBuffer* b, bool looping) {
  if (!b) return kAudioErrNoBuffer;
  std::lock_guard<std::mutex> lock(Audio_Device().lock);
  b->playing = true;
  b->looping = looping;
  return kAudioOk;
}

int32_t PlatAudioBuf_Stop(PlatAudioBuffer* b) {
  if (!b) return kAudioErrNoBuffer;
  std::lock_guard<std::mutex> lock(Audio_Device().lock);
  b->playing = false;
  return kAudioOk;
}

bool PlatAudioBuf_IsPlaying(const PlatAudioBuffer* b) {
  if (!b) return false;
  std::lock_guard<std::mutex> lock(Audio_Device().lock);
  return b->playing;
}

int32_t PlatAudioBuf_GetPosition(const PlatAudioBuffer* b, uint32_t* play, uint32_t* write) {
  if (!b) return kAudioErrNoBuffer;
  std::lock_guard<std::mutex> lock(Audio_Device().lock);
  uint32_t frame = uint32_t(b->pos >> 32);
  // The mixer may read up to one of its passes ahead of the cursor: writing
  // starts after about 15 ms.
  uint32_t ahead = std::max<uint32_t>(1, b->fmt.rate * 15 / 1000);
  if (play) *play = frame * b->fmt.blockAlign;
  if (write) *write = ((frame + ahead) % b->frames) * b->fmt.blockAlign;
  return kAudioOk;
}

int32_t PlatAudioBuf_SetPosition(PlatAudioBuffer* b, uint32_t play) {
  if (!b) return kAudioErrNoBuffer;
  std::lock_guard<std::mutex> lock(Audio_Device().lock);
  if (play >= b->data.size()) return kAudioErrInvalidArg;
  b->pos = uint64_t(play / b->fmt.blockAlign) << 32;
  b->wraps = 0;
  return kAudioOk;
}

int32_t PlatAudioBuf_GetPlayed(const PlatAudioBuffer* b, uint64_t* bytes) {
  if (!b) return kAudioErrNoBuffer;
  std::lock_guard<std::mutex> lock(Audio_Device().lock);
  uint64_t frames = b->wraps * b->frames + (b->pos >> 32);
  if (bytes) *bytes = frames * b->fmt.blockAlign;
  return kAudioOk;
}

int32_t PlatAudioBuf_Lock(PlatAudioBuffer* b, uint32_t offset, uint32_t bytes, PlatAudioLock* out) {
  if (!b || !out) return kAudioErrNoBuffer;
  out->Unlock();
  uint32_t size = uint32_t(b->data.size());
  if (offset >= size || bytes == 0 || bytes > size) return kAudioErrInvalidArg;
  out->hold_ = std::unique_lock<std::mutex>(Audio_Device().lock);
  uint32_t first = std::min(bytes, size - offset);
  out->part1 = b->data.data() + offset;
  out->bytes1 = first;
  if (first < bytes) {
    out->part2 = b->data.data();
    out->bytes2 = bytes - first;
  }
  return kAudioOk;
}

// ---- Streams ------------------------------------------------------------

PlatAudioStream* PlatAudioStream_Create(PlatSoundDevice* dev, uint16_t channels, uint32_t rate,
                                        uint32_t capacityFrames) {
  if (!dev || (channels != 1 && channels != 2) || rate < kAudioFreqMin || rate > kAudioFreqMax ||
      capacityFrames == 0 || capacityFrames > kAudioBufferMaxBytes / 4)
    return nullptr;
  auto* s = new (std::nothrow) PlatAudioStream();
  if (!s) return nullptr;
  try {
    s->ring.assign(size_t(capacityFrames) * channels, 0);
  } catch (const std::bad_alloc&) {
    delete s;
    return nullptr;
  }
  s->channels = channels;
  s->rate = rate;
  s->capacity = capacityFrames;
  std::lock_guard<std::mutex> lock(dev->lock);
  dev->streams.push_back(s);
  return s;
}

void PlatAudioStream_Release(PlatAudioStream* s) {
  if (!s) return;
  PlatSoundDevice& dev = Audio_Device();
  {
    std::lock_guard<std::mutex> lock(dev.lock);
    Unlist(dev.streams, s);
  }
  delete s;
}

size_t PlatAudioStream_Push(PlatAudioStream* s, const int16_t* data, size_t frames) {
  if (!s || !data) return 0;
  std::lock_guard<std::mutex> lock(Audio_Device().lock);
  size_t n = std::min<size_t>(frames, s->capacity - s->count);
  for (size_t i = 0; i < n; ++i) {
    uint32_t at = (s->head + s->count) % s->capacity;
    std::memcpy(&s->ring[size_t(at) * s->channels], data + i * s->channels,
                s->channels * sizeof(int16_t));
    ++s->count;
  }
  return n;
}

size_t PlatAudioStream_Queued(const PlatAudioStream* s) {
  if (!s) return 0;
  std::lock_guard<std::mutex> lock(Audio_Device().lock);
  return s->count;
}

uint64_t PlatAudioStream_Played(const PlatAudioStream* s) {
  if (!s) return 0;
  std::lock_guard<std::mutex> lock(Audio_Device().lock);
  return s->played;
}

void PlatAudioStream_SetVolume(PlatAudioStream* s, int32_t mB) {
  if (!s) return;
  std::lock_guard<std::mutex> lock(Audio_Device().lock);
  s->volume = std::clamp(mB, kAudioVolumeMin, kAudioVolumeMax);
  s->gain = Audio_GainQ16(s->volume);
}

void PlatAudioStream_SetPaused(PlatAudioStream* s, bool paused) {
  if (!s) return;
  std::lock_guard<std::mutex> lock(Audio_Device().lock);
  s->paused = paused;
}

void PlatAudioStream_Clear(PlatAudioStream* s) {
  if (!s) return;
  std::lock_guard<std::mutex> lock(Audio_Device().lock);
  s->head = s->count = s->frac = 0;
}
