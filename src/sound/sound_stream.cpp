// Streaming: each sound's one-second buffer is refilled by halves from its
// file image, Ogg Vorbis decoded half by half (the decoder is opened anew
// for every half, only the PCM position is kept) and WAV copied as PCM.
//
// The thread's passes decode with g_SoundLock left: a pass queues the
// halves that are due, copies what each decode reads and moves on out of
// its record, decodes them unlocked, and takes the lock back to copy the
// decoder state home and write the halves. Nothing else changes a queued
// record's decoder state in between: requests are only taken by the
// thread itself, under the lock, before or after the decodes.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/base.h"
#include "sound/sound.h"
#include "sound/sound_internal.h"

SndDecodeHookFn g_SndDecodeHook = nullptr;

namespace {

// ---- Ogg over the file image ---------------------------------------------
size_t OggRead(void* dst, size_t size, size_t count, void* data) {
  auto* src = static_cast<SndOggSource*>(data);
  if (size == 0 || src->pos >= src->size) return 0;
  size_t n = std::min<size_t>(size * count, src->size - src->pos);
  n -= n % size;
  std::memcpy(dst, src->data + src->pos, n);
  src->pos += uint32_t(n);
  return n / size;
}

int OggSeek(void* data, ogg_int64_t offset, int whence) {
  auto* src = static_cast<SndOggSource*>(data);
  int64_t at;
  switch (whence) {
    case SEEK_SET: at = offset; break;
    case SEEK_CUR: at = int64_t(src->pos) + offset; break;
    case SEEK_END: at = int64_t(src->size) + offset; break;
    default: return -1;
  }
  if (at < 0 || at > int64_t(src->size)) return -1;
  src->pos = uint32_t(at);
  return 0;
}

int OggClose(void*) { return 1; }
long OggTell(void* data) { return long(static_cast<SndOggSource*>(data)->pos); }

// ---- What a decode reads and what it moves on ------------------------------

// Fixed while the sound's buffers live (only the thread changes them, and
// only with the lock held).
struct DecodeInput {
  const uint8_t* image = nullptr;
  uint32_t imageSize = 0;
  const uint8_t* pcm = nullptr;
  uint32_t pcmSize = 0;
  uint32_t align = 1;
  uint8_t silence = 0;  // 8-bit samples are unsigned
  int64_t avgBytes = 0;
  int64_t lengthMs = 0;
  uint32_t halfBytes = 0;
  uint8_t* half = nullptr;
  uint8_t* carry = nullptr;
  bool ogg = false;
};

// The record's decoder fields, copied out and back.
struct DecodeState {
  uint32_t decoderPos = 0;
  int64_t decodedBytes = 0;
  int32_t carried = 0;
  int64_t pendingSilence = 0;
  int32_t endPos = 0, loopPos = 0, playsLeft = 0, latchedEnd = 0, latchedLoop = 0;
  uint8_t emptyWraps = 0, exhausted = 0, seekPending = 0;
  int32_t seekMs = 0;
};

DecodeInput InputOf(const SoundRec* rec) {
  DecodeInput in;
  in.image = rec->image.get();
  in.imageSize = rec->imageSize;
  in.pcm = rec->pcmData;
  in.pcmSize = rec->pcmSize;
  in.align = std::max<uint32_t>(rec->format.blockAlign, 1);
  in.silence = rec->format.bits == 8 ? 0x80 : 0;
  in.avgBytes = rec->avgBytes;
  in.lengthMs = rec->lengthMs;
  in.halfBytes = rec->halfBytes;
  in.half = rec->half.get();
  in.carry = rec->carry.get();
  in.ogg = rec->kind == kSndKindOgg;
  return in;
}

DecodeState StateOf(const SoundRec* rec) {
  DecodeState st;
  st.decoderPos = rec->decoderPos;
  st.decodedBytes = rec->decodedBytes;
  st.carried = rec->carried;
  st.pendingSilence = rec->pendingSilence;
  st.endPos = rec->endPos;
  st.loopPos = rec->loopPos;
  st.playsLeft = rec->playsLeft;
  st.latchedEnd = rec->latchedEnd;
  st.latchedLoop = rec->latchedLoop;
  st.emptyWraps = rec->emptyWraps;
  st.exhausted = rec->exhausted;
  st.seekPending = rec->seekPending;
  st.seekMs = rec->seekMs;
  return st;
}

void PutState(SoundRec* rec, const DecodeState& st) {
  rec->decoderPos = st.decoderPos;
  rec->decodedBytes = st.decodedBytes;
  rec->carried = st.carried;
  rec->pendingSilence = st.pendingSilence;
  rec->endPos = st.endPos;
  rec->loopPos = st.loopPos;
  rec->playsLeft = st.playsLeft;
  rec->latchedEnd = st.latchedEnd;
  rec->latchedLoop = st.latchedLoop;
  rec->emptyWraps = st.emptyWraps;
  rec->exhausted = st.exhausted;
  rec->seekPending = st.seekPending;
  rec->seekMs = st.seekMs;
}

// ---- Seeks -----------------------------------------------------------------

void SeekArithmetic(const DecodeInput& in, DecodeState& st, int32_t* ms) {
  int64_t p = *ms;
  if (p >= in.lengthMs) p = in.lengthMs - 10;
  if (p < 0) {
    int64_t s = st.pendingSilence + (-p) * in.avgBytes / 1000;
    st.pendingSilence = s - s % in.align;
  }
  st.decodedBytes = p * in.avgBytes / 1000;
  *ms = int32_t(p);
}

int32_t SeekOgg(const DecodeInput& in, DecodeState& st, int32_t ms, OggVorbis_File* vf) {
  SeekArithmetic(in, st, &ms);
  if (ov_time_seek(vf, double(std::max(ms, 0)) / 1000.0) != 0) return -2020;
  st.decoderPos = uint32_t(ov_pcm_tell(vf));
  return 0;
}

void SeekWav(const DecodeInput& in, DecodeState& st, int32_t ms) {
  SeekArithmetic(in, st, &ms);
  int64_t off = int64_t(std::max(ms, 0)) * in.avgBytes / 1000;
  off -= off % in.align;
  if (off >= int64_t(in.pcmSize)) off = in.pcmSize >= in.align ? in.pcmSize - in.align : 0;
  st.decoderPos = uint32_t(off);
}

// ---- Decoding one half -----------------------------------------------------

// Reads up to `chunk` bytes of PCM at the decoder position into `dst`: the
// bytes read, 0 at the end, or a negative decoder error.
long ReadPcm(const DecodeInput& in, DecodeState& st, OggVorbis_File* vf, uint8_t* dst, uint32_t chunk) {
  if (vf) {
    int section = 0;
    return ov_read(vf, reinterpret_cast<char*>(dst), int(chunk), 0, 2, 1, &section);
  }
  if (st.decoderPos >= in.pcmSize) return 0;
  uint32_t n = std::min(chunk, in.pcmSize - st.decoderPos);
  n -= n % in.align;
  std::memcpy(dst, in.pcm + st.decoderPos, n);
  st.decoderPos += n;
  return long(n);
}

// Produces H bytes into the half buffer from the carry, pending silence and
// the decoder, wrapping to the loop position at the end position.
int32_t Decode(const DecodeInput& in, DecodeState& st, OggVorbis_File* vf) {
  const uint32_t h = in.halfBytes;
  uint8_t* half = in.half;
  uint32_t n = uint32_t(std::max(st.carried, 0));
  std::memcpy(half, in.carry, n);
  int64_t produced = 0;
  while (n < h) {
    if (st.pendingSilence > 0) {
      uint32_t k = uint32_t(std::min<int64_t>(st.pendingSilence, h - n));
      std::memset(half + n, in.silence, k);
      st.pendingSilence -= k;
      n += k;
      produced += k;
      continue;
    }
    int64_t endBytes = int64_t(st.endPos) * in.avgBytes / 1000;
    int64_t position = st.decodedBytes + produced;
    int64_t chunk = kSndChunkBytes;
    if (position + int64_t(kSndChunkBytes) >= endBytes) {
      chunk = std::max<int64_t>(endBytes - position, 0);
      chunk -= chunk % in.align;
    }
    long got = 0;
    if (chunk >= int64_t(kSndChunkMin) && !st.exhausted) got = ReadPcm(in, st, vf, half + n, uint32_t(chunk));
    if (got < 0) return got == OV_HOLE ? -90001 : got == OV_EBADLINK ? -90002 : int32_t(got);
    if (got > 0) {
      n += uint32_t(got);
      produced += got;
      st.emptyWraps = 0;
      continue;
    }
    // The end of the pass: the last play pads with silence; otherwise the
    // decoder wraps to the loop position. A wrap that finds no data again
    // (no data at all, an end of 0, a loop too short to read) ends the
    // sound instead of wrapping for ever.
    if (st.playsLeft == 1 || st.exhausted || ++st.emptyWraps >= kSndEmptyWrapsMax) {
      if (st.playsLeft != 1) st.exhausted = 1;
      std::memset(half + n, in.silence, h - n);
      n = h;
      break;
    }
    st.playsLeft = std::max(st.playsLeft - 1, 0);
    if (st.loopPos >= st.endPos) st.loopPos = 0;
    st.latchedEnd = st.endPos;
    st.latchedLoop = st.loopPos;
    if (vf) {
      if (SeekOgg(in, st, st.loopPos, vf) < 0) return -2020;
    } else {
      SeekWav(in, st, st.loopPos);
    }
    produced = 0;
  }
  st.decodedBytes += produced;
  if (vf) st.decoderPos = uint32_t(ov_pcm_tell(vf));
  st.carried = int32_t(n) - int32_t(h);
  if (st.carried > 0) std::memcpy(in.carry, half + h, size_t(st.carried));
  else st.carried = 0;
  return 0;
}

// One half into in.half: Ogg reopened over the image and positioned (by
// the seek a start left pending, else at the decoder position), WAV copied.
int32_t DecodeHalf(const DecodeInput& in, DecodeState& st) {
  if (!in.ogg) return Decode(in, st, nullptr);
  SndOggSource src{in.image, in.imageSize, 0};
  OggVorbis_File vf;
  bool seek = st.seekPending != 0;
  st.seekPending = 0;
  if (ov_open_callbacks(&src, &vf, nullptr, 0, Snd_OggCallbacks()) != 0) return seek ? -2010 : -3010;
  int32_t r = 0;
  // A start's seek that fails plays from where the decoder stands.
  if (seek && ov_time_seek(&vf, double(std::max(st.seekMs, 0)) / 1000.0) == 0) {
    st.decoderPos = uint32_t(ov_pcm_tell(&vf));
  } else if (ov_pcm_seek(&vf, ogg_int64_t(st.decoderPos)) != 0) {
    r = -3020;
  }
  if (r == 0) r = Decode(in, st, &vf);
  ov_clear(&vf);
  return r;
}

int32_t PlayNow(SoundRec* rec, int32_t failure) {
  return PlatAudioBuf_Play(rec->buffer.get(), true) == kAudioOk ? 0 : failure;
}

// The half decoded, handed back to its record and written.
int32_t Commit(SoundRec* rec, const DecodeState& st, int32_t result) {
  PutState(rec, st);
  if (result < 0) {
    rec->half.reset();
    return result;
  }
  return Snd_WriteHalf(rec);
}

// ---- The pass's batch --------------------------------------------------------

struct RefillJob {
  SoundRec* rec = nullptr;
  int32_t playFailure = 0;  // not 0: play once the half is written
  DecodeInput in;
  DecodeState st;
  int32_t result = 0;
};

bool g_BatchOpen = false;
std::vector<RefillJob> g_Batch;

RefillJob* QueuedJob(const SoundRec* rec) {
  for (RefillJob& j : g_Batch) {
    if (j.rec == rec) return &j;
  }
  return nullptr;
}

void Unqueue(SoundRec* rec) {
  if (rec->refill != kSndRefillQueued) return;
  g_Batch.erase(std::remove_if(g_Batch.begin(), g_Batch.end(), [rec](const RefillJob& j) { return j.rec == rec; }),
                g_Batch.end());
  rec->refill = kSndRefillNone;
}

}  // namespace

const ov_callbacks& Snd_OggCallbacks() {
  static const ov_callbacks kCallbacks = {OggRead, OggSeek, OggClose, OggTell};
  return kCallbacks;
}

void Snd_SeekCommon(SoundRec* rec, int32_t* ms) {
  DecodeState st = StateOf(rec);
  SeekArithmetic(InputOf(rec), st, ms);
  PutState(rec, st);
}

int32_t Snd_SeekStart(SoundRec* rec, int32_t ms) {
  if (!rec->image) return -1;
  DecodeInput in = InputOf(rec);
  DecodeState st = StateOf(rec);
  if (in.ogg) {
    // The decoder is positioned by the next refill, which opens it anyway.
    SeekArithmetic(in, st, &ms);
    st.seekPending = 1;
    st.seekMs = ms;
  } else {
    SeekWav(in, st, ms);
  }
  PutState(rec, st);
  return 0;
}

int32_t Snd_Refill(SoundRec* rec) {
  if (!rec->half || !rec->carry || rec->halfBytes == 0) return -1;
  if (rec->kind != kSndKindOgg && rec->kind != kSndKindWav) return -1;
  if (!g_BatchOpen) {
    DecodeState st = StateOf(rec);
    int32_t r = DecodeHalf(InputOf(rec), st);
    return Commit(rec, st, r);
  }
  // One half per sound and pass: the next one follows from this one's
  // decoder state, and the buffer plays half a second on what it has.
  if (rec->refill == kSndRefillQueued) return 0;
  RefillJob job;
  job.rec = rec;
  g_Batch.push_back(job);
  rec->refill = kSndRefillQueued;
  return 0;
}

int32_t Snd_PlayBuffer(SoundRec* rec, int32_t failure) {
  if (!g_DirectSound) return 0;
  if (!rec->buffer) return failure;
  if (rec->refill == kSndRefillQueued) {
    QueuedJob(rec)->playFailure = failure;
    return 0;
  }
  return PlayNow(rec, failure);
}

void Snd_BeginRefillBatch() {
  g_Batch.clear();
  g_BatchOpen = true;
}

void Snd_CancelRefillBatch() {
  for (RefillJob& j : g_Batch) j.rec->refill = kSndRefillNone;
  g_Batch.clear();
  g_BatchOpen = false;
}

int32_t Snd_RunRefillBatch(std::unique_lock<std::mutex>& lock) {
  g_BatchOpen = false;
  if (g_Batch.empty()) return 0;
  for (RefillJob& j : g_Batch) {
    j.in = InputOf(j.rec);
    j.st = StateOf(j.rec);
    j.rec->refill = kSndRefillDecoding;
  }
  lock.unlock();
  for (RefillJob& j : g_Batch) {
    j.result = DecodeHalf(j.in, j.st);
    if (g_SndDecodeHook) g_SndDecodeHook();
  }
  lock.lock();
  int32_t first = 0;
  for (RefillJob& j : g_Batch) {
    SoundRec* rec = j.rec;
    rec->refill = kSndRefillNone;
    if (rec->orphaned) {
      Snd_ReleaseBuffer(rec);
      delete rec;
      continue;
    }
    int32_t r = Commit(rec, j.st, j.result);
    if (r == 0 && j.playFailure && rec->buffer) r = PlayNow(rec, j.playFailure);
    if (r < 0 && first == 0) first = r;
  }
  g_Batch.clear();
  return first;
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

int Snd_TrackPlayed(SoundRec* rec) {
  if (!rec->buffer) return 1;
  uint64_t total = 0;
  if (PlatAudioBuf_GetPlayed(rec->buffer.get(), &total) != kAudioOk) return 2;
  rec->playedBytes += int64_t(total - rec->lastPlayed);
  rec->lastPlayed = total;
  return 0;
}

void Snd_StopBuffer(SoundRec* rec) {
  if (g_DirectSound && rec->buffer) PlatAudioBuf_Stop(rec->buffer.get());
}

void Snd_ReleaseDsBuffer(SoundRec* rec) {
  // A half queued for these buffers is no longer wanted.
  Unqueue(rec);
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
  rec->seekPending = 0;
}
