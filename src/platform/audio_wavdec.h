// Compressed WAV sample data to 16-bit PCM, on libavcodec: MS ADPCM, IMA
// ADPCM, A-law, mu-law, MPEG layer 3 and GSM 6.10 by their WAV format tags.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// WAV format tags the converter knows.
constexpr uint16_t kWavTagPcm = 0x0001;
constexpr uint16_t kWavTagMsAdpcm = 0x0002;
constexpr uint16_t kWavTagALaw = 0x0006;
constexpr uint16_t kWavTagMuLaw = 0x0007;
constexpr uint16_t kWavTagImaAdpcm = 0x0011;
constexpr uint16_t kWavTagGsm610 = 0x0031;
constexpr uint16_t kWavTagMp3 = 0x0055;

// The source format as the fmt chunk gives it; `extra` is the chunk's bytes
// after the first 18 (the codec's own data), possibly empty.
struct PlatWavSource {
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t rate = 0;
  uint32_t avgBytes = 0;
  uint16_t blockAlign = 0;
  uint16_t bits = 0;
  std::span<const uint8_t> extra;
};

enum class PlatWavResult : uint8_t {
  Ok,
  UnknownFormat,  // no converter for the tag (or a format it cannot take)
  NoMemory,
  Failed,         // the converter could not open or the data do not decode
};

// Decodes `data` whole. On Ok, `pcm` holds interleaved little-endian s16
// frames of `*channels` (1 or 2) at `*rate`.
PlatWavResult PlatWav_DecodeToPcm16(const PlatWavSource& src, std::span<const uint8_t> data,
                                    std::vector<uint8_t>* pcm, uint16_t* channels,
                                    uint32_t* rate);
// True when the tag has a converter.
bool PlatWav_CanDecode(uint16_t formatTag);
