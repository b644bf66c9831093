// The RIFF WAVE reader: finds the fmt and data chunks of a file image with
// every size checked against the image, and reads the fmt fields.
#include <algorithm>
#include <cstring>

#include "sound/sound.h"

namespace {

inline uint32_t U32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

constexpr uint32_t kWavFmtMin = 14;  // tag, channels, rate, average, align

}  // namespace

int32_t Snd_FindWavChunks(const uint8_t* image, uint32_t size, WavChunks* out) {
  *out = WavChunks{};
  if (!image || size < 8 || std::memcmp(image, "RIFF", 4) != 0) return -10040;
  if (size < 12 || std::memcmp(image + 8, "WAVE", 4) != 0) return -10050;
  // The walk stays inside both the RIFF size and the image.
  uint64_t end = std::min<uint64_t>(uint64_t(U32(image + 4)) + 8, size);
  uint64_t at = 12;
  while (at + 8 <= end) {
    const uint8_t* head = image + at;
    uint32_t len = U32(head + 4);
    uint64_t body = at + 8;
    if (std::memcmp(head, "fmt ", 4) == 0 && !out->fmt) {
      if (body + len > end) return -10060;
      if (len < kWavFmtMin) return -10090;
      out->fmt = image + body;
      out->fmtSize = len;
    } else if (std::memcmp(head, "data", 4) == 0 && out->fmt) {
      // A data chunk that claims more than the file holds keeps what is
      // there (files cut short, writers that never filled the size in).
      out->data = image + body;
      out->dataSize = uint32_t(std::min<uint64_t>(len, end - body));
      return 0;
    }
    at = body + uint64_t(len) + (len & 1);
  }
  return out->fmt ? -10080 : -10060;
}

WavFmt Snd_ReadWavFmt(const uint8_t* fmt, uint32_t size) {
  uint8_t b[18] = {};
  std::memcpy(b, fmt, std::min<uint32_t>(size, sizeof b));
  WavFmt f;
  f.tag = U16(b);
  f.channels = U16(b + 2);
  f.rate = U32(b + 4);
  f.avgBytes = U32(b + 8);
  f.blockAlign = U16(b + 12);
  f.bits = U16(b + 14);
  f.extraSize = U16(b + 16);
  return f;
}
