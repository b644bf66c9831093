// Writes seed files for fuzz_sound into the folder argv[1]: WAV files of
// each PCM shape and the compressed formats, and Ogg Vorbis, each prefixed
// with the byte that selects its reader (0 WAV, 1 Ogg).
#include <cstdio>
#include <string>
#include <vector>

#include "support/sound_writer.h"

namespace {

void Put(const std::string& dir, const std::string& name, char selector, const std::string& bytes) {
  std::string path = dir + "/" + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fputc(selector, f);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 1;
  }
  std::string dir = argv[1];
  sndfix::Pcm mono = sndfix::Sine(8000, 1, 300, 9000, 120);
  sndfix::Pcm stereo = sndfix::Sine(11025, 2, 300, 9000, 120);
  Put(dir, "wav16m", 0, sndfix::WriteWav(mono));
  Put(dir, "wav16s", 0, sndfix::WriteWav(stereo));
  sndfix::WavOptions eight;
  eight.bits = 8;
  eight.oddChunkFirst = true;
  Put(dir, "wav8", 0, sndfix::WriteWav(mono, eight));
  Put(dir, "ogg", 1, sndfix::WriteOgg(stereo));
  const char* encodings[][2] = {{"alaw", "-e a-law"}, {"ulaw", "-e u-law"}, {"msadpcm", "-e ms-adpcm"},
                                {"imaadpcm", "-e ima-adpcm"}, {"gsm", "-e gsm-full-rate"}};
  for (auto& e : encodings) {
    std::string wav;
    std::vector<int16_t> ref;
    if (sndfix::SoxEncode(sndfix::WriteWav(mono), e[1], &wav, &ref)) Put(dir, e[0], 0, wav);
  }
  return 0;
}
