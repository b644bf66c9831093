// Writes seed files for fuzz_sound into the folder argv[1]: WAV files of
// each PCM shape and the compressed formats, and Ogg Vorbis, each prefixed
// with the byte that selects its reader (0 WAV, 1 Ogg).
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz/seed_files.h"
#include "support/sound_writer.h"

int main(int argc, char** argv) {
  const char* folder = seed::FolderArg(argc, argv);
  if (!folder) return 1;
  std::string dir = folder;
  sndfix::Pcm mono = sndfix::Sine(8000, 1, 300, 9000, 120);
  sndfix::Pcm stereo = sndfix::Sine(11025, 2, 300, 9000, 120);
  seed::PutSelected(dir, "wav16m", 0, sndfix::WriteWav(mono));
  seed::PutSelected(dir, "wav16s", 0, sndfix::WriteWav(stereo));
  sndfix::WavOptions eight;
  eight.bits = 8;
  eight.oddChunkFirst = true;
  seed::PutSelected(dir, "wav8", 0, sndfix::WriteWav(mono, eight));
  seed::PutSelected(dir, "ogg", 1, sndfix::WriteOgg(stereo));
  const char* encodings[][2] = {{"alaw", "-e a-law"}, {"ulaw", "-e u-law"}, {"msadpcm", "-e ms-adpcm"},
                                {"imaadpcm", "-e ima-adpcm"}, {"gsm", "-e gsm-full-rate"}};
  for (auto& e : encodings) {
    std::string wav;
    std::vector<int16_t> ref;
    if (sndfix::SoxEncode(sndfix::WriteWav(mono), e[1], &wav, &ref)) seed::PutSelected(dir, e[0], 0, wav);
  }
  return 0;
}
