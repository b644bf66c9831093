// The mixer: every playing buffer and every stream, resampled to the device
// rate by linear interpolation, scaled by its volume and pan, summed and
// clipped to 16-bit stereo.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/audio_impl.h"

namespace {

constexpr size_t kMixChunk = 1024;  // frames mixed per accumulator pass

// One sample of channel `c` of frame `i` as signed 16-bit.
template <int Bits, int Ch>
inline int32_t SampleAt(const uint8_t* data, uint32_t i, int c) {
  if constexpr (Bits == 8) {
    return (int32_t(data[size_t(i) * Ch + size_t(c)]) - 128) * 256;
  } else {
    const uint8_t* p = data + (size_t(i) * Ch + size_t(c)) * 2;
    return int32_t(int16_t(uint16_t(p[0]) | uint16_t(p[1]) << 8));
  }
}

inline int32_t Lerp(int32_t a, int32_t b, uint32_t frac) {
  return a + int32_t((int64_t(b - a) * int64_t(frac)) >> 32);
}

template <int Bits, int Ch>
void MixVoice(PlatAudioBuffer& b, int32_t* acc, size_t frames, uint32_t devRate) {
  const uint8_t* data = b.data.data();
  const uint64_t step = (uint64_t(b.freq) << 32) / devRate;
  const uint64_t end = uint64_t(b.frames) << 32;
  const int32_t gl = b.gainL, gr = b.gainR;
  uint64_t pos = b.pos;
  for (size_t i = 0; i < frames; ++i) {
    uint32_t idx = uint32_t(pos >> 32);
    uint32_t frac = uint32_t(pos);
    uint32_t nxt = idx + 1;
    if (nxt >= b.frames) nxt = b.looping ? 0 : idx;
    int32_t l = Lerp(SampleAt<Bits, Ch>(data, idx, 0), SampleAt<Bits, Ch>(data, nxt, 0), frac);
    int32_t r = Ch == 2 ? Lerp(SampleAt<Bits, Ch>(data, idx, Ch - 1), SampleAt<Bits, Ch>(data, nxt, Ch - 1), frac) : l;
    acc[2 * i] += int32_t((int64_t(l) * gl) >> 16);
    acc[2 * i + 1] += int32_t((int64_t(r) * gr) >> 16);
    pos += step;
    if (pos >= end) {
      if (!b.looping) {
        b.playing = false;
        b.wraps += 1;
        pos = 0;
        break;
      }
      // Counted here, where the cursor wraps, so that a reader that looks
      // only now and then still knows how far the buffer has played.
      b.wraps += pos / end;
      pos %= end;
    }
  }
  b.pos = pos;
}

void MixBuffer(PlatAudioBuffer& b, int32_t* acc, size_t frames, uint32_t devRate) {
  if (!b.playing || b.frames == 0 || b.freq == 0) return;
  bool stereo = b.fmt.channels == 2;
  if (b.fmt.bits == 8) {
    stereo ? MixVoice<8, 2>(b, acc, frames, devRate) : MixVoice<8, 1>(b, acc, frames, devRate);
  } else {
    stereo ? MixVoice<16, 2>(b, acc, frames, devRate) : MixVoice<16, 1>(b, acc, frames, devRate);
  }
}

// A stream advances only while it has data; an empty queue is silence and
// the position waits for the producer.
void MixStream(PlatAudioStream& s, int32_t* acc, size_t frames, uint32_t devRate) {
  if (s.paused || s.rate == 0) return;
  const uint64_t step = (uint64_t(s.rate) << 32) / devRate;
  const int ch = s.channels;
  for (size_t i = 0; i < frames && s.count > 0; ++i) {
    uint32_t a = s.head, b = s.count > 1 ? (s.head + 1) % s.capacity : s.head;
    int32_t l = Lerp(s.ring[size_t(a) * ch], s.ring[size_t(b) * ch], s.frac);
    int32_t r = ch == 2 ? Lerp(s.ring[size_t(a) * 2 + 1], s.ring[size_t(b) * 2 + 1], s.frac) : l;
    acc[2 * i] += int32_t((int64_t(l) * s.gain) >> 16);
    acc[2 * i + 1] += int32_t((int64_t(r) * s.gain) >> 16);
    uint64_t p = uint64_t(s.frac) + step;
    uint32_t adv = uint32_t(p >> 32);
    s.frac = uint32_t(p);
    adv = std::min(adv, s.count);
    s.head = (s.head + adv) % s.capacity;
    s.count -= adv;
    s.played += adv;
  }
}

}  // namespace

int32_t Audio_GainQ16(int32_t mB) {
  if (mB <= kAudioVolumeMin) return 0;
  if (mB >= 0) return 65536;
  return int32_t(std::lround(65536.0 * std::pow(10.0, double(mB) / 2000.0)));
}

void Audio_MixLocked(PlatSoundDevice& dev, int16_t* out, size_t frames) {
  if (dev.acc.size() < kMixChunk * 2) dev.acc.resize(kMixChunk * 2);
  while (frames > 0) {
    size_t n = std::min(frames, kMixChunk);
    int32_t* acc = dev.acc.data();
    std::memset(acc, 0, n * 2 * sizeof(int32_t));
    for (PlatAudioBuffer* b : dev.buffers) MixBuffer(*b, acc, n, dev.rate);
    for (PlatAudioStream* s : dev.streams) MixStream(*s, acc, n, dev.rate);
    for (size_t i = 0; i < n * 2; ++i) out[i] = int16_t(std::clamp(acc[i], -32768, 32767));
    out += n * 2;
    frames -= n;
    dev.mixed += n;
  }
}
