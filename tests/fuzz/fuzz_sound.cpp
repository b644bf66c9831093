// Fuzz target for the sound file readers: the first byte picks WAV or Ogg
// Vorbis, the rest is the file. The file is opened as the sound thread
// opens it and streamed for a few halves (no device: nothing is played).
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "base/base.h"
#include "sound/sound.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (1u << 20)) return 0;
  g_SoundMode = 1;
  SoundRec rec;
  rec.kind = (data[0] & 1) ? kSndKindOgg : kSndKindWav;
  rec.image.reset(static_cast<uint8_t*>(std::malloc(size)));
  std::memcpy(rec.image.get(), data + 1, size - 1);
  rec.imageSize = uint32_t(size - 1);
  if (Snd_OpenBuffer(&rec) == 0) {
    // A loop, a negative start and wraps through the end.
    rec.loopPos = int32_t(rec.lengthMs / 2);
    rec.playsLeft = 3;
    if (Snd_SeekStart(&rec, (data[0] & 2) ? -30 : 0) == 0) {
      for (int i = 0; i < 4 && Snd_Refill(&rec) == 0; ++i) {
      }
    }
  }
  g_QuitRequested = 0;
  return 0;
}
