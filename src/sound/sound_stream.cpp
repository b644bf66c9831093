// Streaming: each sound's one-second buffer is refilled by halves from its
// file image, Ogg Vorbis decoded half by half (the decoder is opened anew
// for every half, only the PCM position is kept) and WAV copied as PCM.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/base.h"
#include "sound/sound.h"
#include "sound/sound_internal.h"

namespace {

// ---- Ogg over the file image ---------------------------------------------
size_t OggRead(void* dst, size_t size, size_t count, void* src) {
  auto* rec = static_cast<SoundRec*>(src);
  if (size == 0 || rec->readPos >= rec->imageSize) return 0;
  size_t n = std::min<size_t>(size * count, rec->imageSize - rec->readPos);
  n -= n % size;
  std::memcpy(dst, rec->image.get() + rec->readPos, n);
  rec->readPos += uint32_t(n);
  return n / size;
}

int OggSeek(void* src, ogg_int64_t offset, int whence) {
  auto* rec = static_cast<SoundRec*>(src);
  int64_t at;
  switch (whence) {
    case SEEK_SET: at = offset; break;
    case SEEK_CUR: at = int64_t(rec->readPos) + offset; break;
    case SEEK_END: at = int64_t(rec->imageSize) + offset; break;
    default: return -1;
  }
  if (at < 0 || at > int64_t(rec->imageSize)) return -1;
  rec->readPos = uint32_t(at);
  return 0;
}

int OggClose(void*) { return 1; }
long OggTell(void* src) { return long(static_cast<SoundRec*>(src)->readPos); }


// The silence of the buffer's format (8-bit samples are unsigned).
inline uint8_t SilenceByte(const SoundRec* rec) { return rec->format.bits == 8 ? 0x80 : 0; }

// Reads up to `chunk` bytes of PCM at the decoder position into `dst`: the
// bytes read, 0 at the end, or a negative decoder error.
using ReadFn = long (*)(SoundRec* rec, OggVorbis_File* vf, uint8_t* dst, uint32_t chunk);

long ReadOgg(SoundRec*, OggVorbis_File* vf, uint8_t* dst, uint32_t chunk) {
  int section = 0;
  return ov_read(vf, reinterpret_cast<char*>(dst), int(chunk), 0, 2, 1, &section);
}

long ReadWav(SoundRec* rec, OggVorbis_File*, uint8_t* dst, uint32_t chunk) {
  if (rec->decoderPos >= rec->pcmSize) return 0;
  uint32_t n = std::min(chunk, rec->pcmSize - rec->decoderPos);
  n -= n % rec->format.blockAlign;
  std::memcpy(dst, rec->pcmData + rec->decoderPos, n);
  rec->decoderPos += n;
  return long(n);
}

int32_t SeekOgg(SoundRec* rec, int32_t ms, OggVorbis_File* vf) {
  Snd_SeekCommon(rec, &ms);
  if (ov_time_seek(vf, double(std::max(ms, 0)) / 1000.0) != 0) return -2020;
  rec->decoderPos = uint32_t(ov_pcm_tell(vf));
  return 0;
}

void SeekWav(SoundRec* rec, int32_t ms) {
  Snd_SeekCommon(rec, &ms);
  uint32_t align = rec->format.blockAlign;
  int64_t off = int64_t(std::max(ms, 0)) * rec->avgBytes / 1000;
  off -= off % align;
  if (off >= int64_t(rec->pcmSize)) off = rec->pcmSize >= align ? rec->pcmSize - align : 0;
  rec->decoderPos = uint32_t(off);
}

// Produces H bytes into the half buffer from the carry, pending silence and
// the decoder, wrapping to the loop position at the end position.
int32_t Decode(SoundRec* rec, OggVorbis_File* vf, ReadFn read) {
  const uint32_t h = rec->halfBytes;
  const uint32_t align = rec->format.blockAlign;
  uint8_t* half = rec->half.get();
  uint32_t n = uint32_t(std::max(rec->carried, 0));
  std::memcpy(half, rec->carry.get(), n);
  int64_t produced = 0;
  while (n < h) {
    if (rec->pendingSilence > 0) {
      uint32_t k = uint32_t(std::min<int64_t>(rec->pendingSilence, h - n));
      std::memset(half + n, SilenceByte(rec), k);
      rec->pendingSilence -= k;
      n += k;
      produced += k;
      continue;
    }
    int64_t endBytes = int64_t(rec->endPos) * rec->avgBytes / 1000;
    int64_t position = rec->decodedBytes + produced;
    int64_t chunk = kSndChunkBytes;
    if (position + int64_t(kSndChunkBytes) >= endBytes) {
      chunk = std::max<int64_t>(endBytes - position, 0);
      chunk -= chunk % align;
    }
    long got = 0;
    if (chunk >= int64_t(kSndChunkMin) && !rec->exhausted) got = read(rec, vf, half + n, uint32_t(chunk));
    if (got < 0) {
      rec->half.reset();
      return got == OV_HOLE ? -90001 : got == OV_EBADLINK ? -90002 : int32_t(got);
    }
    if (got > 0) {
      n += uint32_t(got);
      produced += got;
      rec->emptyWraps = 0;
      continue;
    }
    // The end of the pass: the last play pads with silence; otherwise the
    // decoder wraps to the loop position. A wrap that finds no data again
    // (no data at all, an end of 0, a loop too short to read) ends the
    // sound instead of wrapping for ever.
    if (rec->playsLeft == 1 || rec->exhausted || ++rec->emptyWraps >= kSndEmptyWrapsMax) {
      if (rec->playsLeft != 1) rec->exhausted = 1;
      std::memset(half + n, SilenceByte(rec), h - n);
      n = h;
      break;
    }
    rec->playsLeft = std::max(rec->playsLeft - 1, 0);
    if (rec->loopPos >= rec->endPos) rec->loopPos = 0;
    rec->latchedEnd = rec->endPos;
    rec->latchedLoop = rec->loopPos;
    if (vf) {
      if (SeekOgg(rec, rec->loopPos, vf) < 0) return -2020;
    } else {
      SeekWav(rec, rec->loopPos);
    }
    produced = 0;
  }
  rec->decodedBytes += produced;
  if (vf) rec->decoderPos = uint32_t(ov_pcm_tell(vf));
  rec->carried = int32_t(n) - int32_t(h);
  if (rec->carried > 0) std::memcpy(rec->carry.get(), half + h, size_t(rec->carried));
  else rec->carried = 0;
  return 0;
}

int32_t RefillOgg(SoundRec* rec) {
  OggVorbis_File vf;
  rec->readPos = 0;
  if (ov_open_callbacks(rec, &vf, nullptr, 0, Snd_OggCallbacks()) != 0) return -3010;
  int32_t r = 0;
  if (ov_pcm_seek(&vf, ogg_int64_t(rec->decoderPos)) != 0) r = -3020;
  if (r == 0) r = Decode(rec, &vf, ReadOgg);
  ov_clear(&vf);
  return r < 0 ? r : Snd_WriteHalf(rec);
}

int32_t RefillWav(SoundRec* rec) {
  int32_t r = Decode(rec, nullptr, ReadWav);
  return r < 0 ? r : Snd_WriteHalf(rec);
}

}  // namespace

const ov_callbacks& Snd_OggCallbacks() {
  static const ov_callbacks kCallbacks = {OggRead, OggSeek, OggClose, OggTell};
  return kCallbacks;
}

void Snd_SeekCommon(SoundRec* rec, int32_t* ms) {
  int64_t p = *ms;
  if (p >= rec->lengthMs) p = rec->lengthMs - 10;
  uint32_t align = std::max<uint32_t>(rec->format.blockAlign, 1);
  if (p < 0) {
    int64_t s = rec->pendingSilence + (-p) * rec->avgBytes / 1000;
    rec->pendingSilence = s - s % align;
  }
  rec->decodedBytes = p * rec->avgBytes / 1000;
  *ms = int32_t(p);
}

int32_t Snd_SeekStart(SoundRec* rec, int32_t ms) {
  if (!rec->image) return -1;
  if (rec->kind == kSndKindOgg) {
    OggVorbis_File vf;
    rec->readPos = 0;
    if (ov_open_callbacks(rec, &vf, nullptr, 0, Snd_OggCallbacks()) != 0) return -2010;
    SeekOgg(rec, ms, &vf);  // a failed seek here plays from where it stands
    ov_clear(&vf);
    return 0;
  }
  SeekWav(rec, ms);
  return 0;
}

int32_t Snd_Refill(SoundRec* rec) {
  if (!rec->half || !rec->carry || rec->halfBytes == 0) return -1;
  if (rec->kind == kSndKindOgg) return RefillOgg(rec);
  if (rec->kind == kSndKindWav) return RefillWav(rec);
  return -1;
}

int32_t Snd_WriteHalf(SoundRec* rec) {
  if (!g_DirectSound) return 0;
  if (!rec->buffer) return -3030;
  PlatAudioLock lock;
  if (PlatAudioBuf_Lock(rec->buffer.get(), rec->writeOffset, rec->halfBytes, &lock) != kAudioOk)
    return -3030;
  std::memcpy(lock.part1, rec->half.get(), lock.bytes1);
  if (lock.part2) std::memcpy(lock.part2, rec->half.get() + lock.bytes1, lock.bytes2);
  return 0;
}

int Snd_ReadCursor(SoundRec* rec, uint32_t* p) {
  if (!rec->buffer) return 1;
  return PlatAudioBuf_GetPosition(rec->buffer.get(), p, nullptr) == kAudioOk ? 0 : 2;
}

void Snd_TrackCursor(SoundRec* rec, uint32_t p) {
  rec->playedBytes += int64_t(p) - int64_t(rec->lastCursor);
  if (p < rec->lastCursor) rec->playedBytes += rec->bufferBytes;
  rec->lastCursor = p;
}

void Snd_StopBuffer(SoundRec* rec) {
  if (g_DirectSound && rec->buffer) PlatAudioBuf_Stop(rec->buffer.get());
}

void Snd_ReleaseDsBuffer(SoundRec* rec) {
  Snd_StopBuffer(rec);
  rec->buffer.reset();
  rec->half.reset();
  rec->carry.reset();
}

void Snd_ReleaseBuffer(SoundRec* rec) {
  Snd_ReleaseDsBuffer(rec);
  rec->image.reset();
  rec->imageSize = 0;
  rec->pcmData = nullptr;
  rec->pcmSize = 0;
  rec->startPos = rec->loopPos = 0;
}
