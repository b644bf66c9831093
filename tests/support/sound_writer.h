// Sound fixture writer: WAV files (PCM, or any header the tests need, with
// damaged variants), Ogg Vorbis through libvorbisenc, and compressed WAV
// made by sox from Debian's packages, for the sound tests, the fuzz seeds
// and the benchmarks. Samples are described, never hand-written bytes.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sndfix {

// Interleaved signed 16-bit samples.
struct Pcm {
  uint16_t channels = 1;
  uint32_t rate = 44100;
  std::vector<int16_t> samples;
  size_t Frames() const { return channels ? samples.size() / channels : 0; }
};
// A sine of `hz` at `amplitude`, `ms` long; stereo gives the same on both.
Pcm Sine(uint32_t rate, uint16_t channels, double hz, int amplitude, uint32_t ms);
// Constant levels: segment k (of `segMs` each) holds level(k) on every
// channel, so a position in the output tells where in the file it came from.
Pcm Steps(uint32_t rate, uint16_t channels, uint32_t segMs, int segments, int base, int step);

struct WavOptions {
  uint16_t bits = 16;                    // 8 (unsigned) or 16
  std::optional<uint16_t> tag;           // format tag (default 1)
  std::optional<uint16_t> blockAlign;    // written as given
  std::optional<uint32_t> rate;          // written as given
  std::optional<uint16_t> channels;
  uint32_t fmtSize = 16;                 // 14 gives the short form
  int64_t dataSizeDelta = 0;             // added to the data chunk's size field
  size_t truncate = 0;                   // bytes cut from the end of the file
  bool oddChunkFirst = false;            // a 3-byte "LIST" chunk before fmt
  bool noRiff = false, noWave = false, noFmt = false, noData = false;
  std::string extraFmt;                  // bytes after the 16 (cbSize and more)
  std::string rawData;                   // data bytes as given instead of samples
};
std::string WriteWav(const Pcm& pcm, const WavOptions& o = {});
// The data bytes of PCM at 8 or 16 bits.
std::string PcmBytes(const Pcm& pcm, uint16_t bits);

// Ogg Vorbis at quality `q` (-0.1 .. 1.0); empty when the encoder fails.
std::string WriteOgg(const Pcm& pcm, float q = 0.4f, int serial = 1);

// A compressed WAV by sox ("-e a-law", "-e u-law", "-e ms-adpcm",
// "-e ima-adpcm", "-e gsm-full-rate") from a 16-bit PCM WAV, and sox's own
// s16 decode of it in `reference`. False when sox fails or is missing.
bool SoxEncode(const std::string& pcmWav, const std::string& encoding, std::string* wav,
               std::vector<int16_t>* reference);
// MPEG layer 3 by sox (libsox-fmt-mp3) wrapped as WAV format 0x55.
bool SoxMp3Wav(const Pcm& pcm, std::string* wav);

}  // namespace sndfix
