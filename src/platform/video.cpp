// The movie player's life: opening a file or a memory image with FFmpeg,
// the decoding thread, the movie's clock and the hand-over of pictures.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/video_impl.h"

namespace {

constexpr int kIoBufferBytes = 32768;
constexpr int64_t kProbeBytes = 4 << 20;  // what the stream search may read

int ReadMemory(void* opaque, uint8_t* buf, int size) {
  auto* v = static_cast<PlatVideo*>(opaque);
  size_t left = v->memory.size() - v->memPos;
  if (left == 0) return AVERROR_EOF;
  size_t n = std::min(left, size_t(size));
  std::memcpy(buf, v->memory.data() + v->memPos, n);
  v->memPos += n;
  return int(n);
}

int64_t SeekMemory(void* opaque, int64_t offset, int whence) {
  auto* v = static_cast<PlatVideo*>(opaque);
  const int64_t size = int64_t(v->memory.size());
  if (whence & AVSEEK_SIZE) return size;
  int64_t at;
  switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET: at = offset; break;
    case SEEK_CUR: at = int64_t(v->memPos) + offset; break;
    case SEEK_END: at = size + offset; break;
    default: return -1;
  }
  if (at < 0 || at > size) return -1;
  v->memPos = size_t(at);
  return at;
}

// The decoder of one stream, or null when there is none or it refuses.
std::unique_ptr<AVCodecContext, VideoCodecFree> OpenDecoder(const AVStream* st) {
  const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
  if (!codec) return nullptr;
  std::unique_ptr<AVCodecContext, VideoCodecFree> ctx(avcodec_alloc_context3(codec));
  if (!ctx || avcodec_parameters_to_context(ctx.get(), st->codecpar) < 0) return nullptr;
  ctx->thread_count = 1;  // the movie already has its own thread
  if (avcodec_open2(ctx.get(), codec, nullptr) < 0) return nullptr;
  return ctx;
}

int64_t FrameLengthMs(const AVStream* st) {
  AVRational r = st->avg_frame_rate.num > 0 ? st->avg_frame_rate : st->r_frame_rate;
  if (r.num <= 0 || r.den <= 0) return kVideoDefaultFrameMs;
  return std::clamp<int64_t>(av_rescale(1000, r.den, r.num), 1, 1000);
}

PlatVideoError OpenStreams(PlatVideo& v, const std::string& path, const PlatVideoOptions& opt) {
  AVFormatContext* ctx = avformat_alloc_context();
  if (!ctx) return PlatVideoError::OutOfMemory;
  ctx->probesize = kProbeBytes;
  if (!v.memory.empty() || path.empty()) {
    auto* buf = static_cast<uint8_t*>(av_malloc(kIoBufferBytes));
    if (!buf) {
      avformat_free_context(ctx);
      return PlatVideoError::OutOfMemory;
    }
    v.io.reset(avio_alloc_context(buf, kIoBufferBytes, 0, &v, ReadMemory, nullptr, SeekMemory));
    if (!v.io) {
      av_free(buf);
      avformat_free_context(ctx);
      return PlatVideoError::OutOfMemory;
    }
    ctx->pb = v.io.get();
    ctx->flags |= AVFMT_FLAG_CUSTOM_IO;
  }
  // On failure the call frees the context itself.
  int r = avformat_open_input(&ctx, v.io ? nullptr : path.c_str(), nullptr, nullptr);
  if (r < 0) {
    return r == AVERROR(ENOENT) || r == AVERROR(EACCES) ? PlatVideoError::NotFound
                                                        : PlatVideoError::NotAMovie;
  }
  v.fmt.reset(ctx);
  if (avformat_find_stream_info(ctx, nullptr) < 0) return PlatVideoError::NotAMovie;
  int vi = av_find_best_stream(ctx, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  int ai = av_find_best_stream(ctx, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (vi < 0 && ai < 0) return PlatVideoError::NoStream;
  if (vi >= 0) {
    const AVCodecParameters* par = ctx->streams[vi]->codecpar;
    if (par->width > kVideoSideMax || par->height > kVideoSideMax) return PlatVideoError::Undecodable;
    v.vdec = OpenDecoder(ctx->streams[vi]);
    if (v.vdec) {
      v.vIndex = vi;
      v.srcW = par->width;
      v.srcH = par->height;
      v.frameMs = FrameLengthMs(ctx->streams[vi]);
    }
  }
  if (ai >= 0) {
    v.adec = OpenDecoder(ctx->streams[ai]);
    if (v.adec) v.aIndex = ai;
  }
  if (!v.vdec && !v.adec) return PlatVideoError::NoDecoder;
  v.outRate = opt.sound ? PlatAudio_Rate(opt.sound) : kAudioDeviceRate;
  if (v.adec && opt.sound) {
    v.stream.reset(PlatAudioStream_Create(opt.sound, 2, v.outRate, v.outRate / 2));
    if (v.stream) {
      PlatAudioStream_SetVolume(v.stream.get(), opt.volumeMb);
      PlatAudioStream_SetPaused(v.stream.get(), true);
    }
  }
  v.pkt.reset(av_packet_alloc());
  v.frame.reset(av_frame_alloc());
  if (!v.pkt || !v.frame) return PlatVideoError::OutOfMemory;
  return PlatVideoError::None;
}

// Decodes until the first picture (or, without a picture stream, the first
// sound) so that data that open but never decode fail at the open.
PlatVideoError Prime(PlatVideo& v, uint32_t maxPackets) {
  for (uint32_t n = 0; maxPackets == 0 || n < maxPackets; ++n) {
    bool more = Video_DecodeOne(v);
    {
      std::lock_guard<std::mutex> hold(v.lock);
      if (!v.queue.empty()) return PlatVideoError::None;
    }
    if (v.vIndex < 0 && v.soundFrames > 0) return PlatVideoError::None;
    if (!more) break;
  }
  // A movie whose picture never decodes still plays its sound.
  if (v.soundFrames > 0) return PlatVideoError::None;
  return PlatVideoError::Undecodable;
}

void DecodeLoop(PlatVideo* v) {
  for (;;) {
    if (v->stop) return;
    bool soundWaiting = v->stream && Video_FeedSound(*v);
    if (v->eof && !soundWaiting) return;
    if (!v->eof && Video_WantsMore(*v)) {
      Video_DecodeOne(*v);
      continue;
    }
    std::unique_lock<std::mutex> hold(v->lock);
    v->wake.wait_for(hold, std::chrono::milliseconds(5), [v] { return v->stop.load(); });
  }
}

int64_t ClockAt(const PlatVideo& v, uint64_t nowMs) {
  return v.running ? std::max<int64_t>(0, int64_t(nowMs) - v.clockBase) : v.clockHeld;
}

PlatVideoPtr Open(PlatVideoPtr v, const std::string& path, const PlatVideoOptions& opt,
                  PlatVideoError* error) {
  v->threaded = opt.threaded;
  v->maxFrames = opt.maxFrames;
  PlatVideoError e = OpenStreams(*v, path, opt);
  if (e == PlatVideoError::None) {
    v->outW = opt.width > 0 ? opt.width : std::max(v->srcW, 1);
    v->outH = opt.height > 0 ? opt.height : std::max(v->srcH, 1);
    e = Prime(*v, opt.maxProbePackets);
  }
  if (error) *error = e;
  if (e != PlatVideoError::None) return nullptr;  // the deleter frees every part
  if (v->threaded) v->thread = std::thread(DecodeLoop, v.get());
  return v;
}

}  // namespace

void PlatVideoDeleter::operator()(PlatVideo* v) const {
  if (!v) return;
  v->stop = true;
  v->wake.notify_all();
  if (v->thread.joinable()) v->thread.join();
  av_channel_layout_uninit(&v->swrInLayout);
  delete v;
}

PlatVideoPtr PlatVideo_OpenFile(const std::string& hostPath, const PlatVideoOptions& opt,
                                PlatVideoError* error) {
  if (hostPath.empty()) {
    if (error) *error = PlatVideoError::NotFound;
    return nullptr;
  }
  return Open(PlatVideoPtr(new PlatVideo()), hostPath, opt, error);
}

PlatVideoPtr PlatVideo_OpenMemory(std::vector<uint8_t> bytes, const PlatVideoOptions& opt,
                                  PlatVideoError* error) {
  if (bytes.empty()) {
    if (error) *error = PlatVideoError::NotAMovie;
    return nullptr;
  }
  PlatVideoPtr v(new PlatVideo());
  v->memory = std::move(bytes);
  return Open(std::move(v), "", opt, error);
}

void PlatVideo_SourceSize(const PlatVideo* v, int32_t* w, int32_t* h) {
  *w = v ? v->srcW : 0;
  *h = v ? v->srcH : 0;
}

void PlatVideo_Play(PlatVideo* v, uint64_t nowMs) {
  if (!v) return;
  {
    std::lock_guard<std::mutex> hold(v->lock);
    if (!v->running) {
      v->clockBase = int64_t(nowMs) - v->clockHeld;
      v->running = true;
    }
  }
  if (v->stream) PlatAudioStream_SetPaused(v->stream.get(), false);
  v->wake.notify_all();
}

void PlatVideo_Pause(PlatVideo* v, uint64_t nowMs) {
  if (!v) return;
  {
    std::lock_guard<std::mutex> hold(v->lock);
    if (v->running) {
      v->clockHeld = ClockAt(*v, nowMs);
      v->running = false;
    }
  }
  if (v->stream) PlatAudioStream_SetPaused(v->stream.get(), true);
}

void PlatVideo_SetVolume(PlatVideo* v, int32_t mB) {
  if (v && v->stream) PlatAudioStream_SetVolume(v->stream.get(), mB);
}

void PlatVideo_SetSize(PlatVideo* v, int32_t w, int32_t h) {
  if (!v) return;
  v->outW = std::clamp(w, 1, kVideoSideMax);
  v->outH = std::clamp(h, 1, kVideoSideMax);
}

bool PlatVideo_TakeFrame(PlatVideo* v, uint64_t nowMs, std::vector<uint32_t>* bgra, int32_t* w,
                         int32_t* h) {
  if (!v) return false;
  bool got = false;
  {
    std::lock_guard<std::mutex> hold(v->lock);
    const int64_t clock = ClockAt(*v, nowMs);
    v->lastClockMs = clock;
    // Pictures whose time has come; only the latest is shown, the others
    // were late.
    while (!v->queue.empty() && v->queue.front().ms <= clock) {
      VideoPicture& p = v->queue.front();
      bgra->swap(p.px);
      *w = p.w;
      *h = p.h;
      v->queue.pop_front();
      got = true;
    }
    if (got) v->pictureTaken = true;
  }
  if (got) v->wake.notify_all();
  return got;
}

PlatVideoState PlatVideo_StateAt(PlatVideo* v, uint64_t nowMs) {
  if (!v) return PlatVideoState::Ended;
  std::lock_guard<std::mutex> hold(v->lock);
  const int64_t clock = ClockAt(*v, nowMs);
  v->lastClockMs = clock;
  if (v->error != PlatVideoError::None) return PlatVideoState::Failed;
  if (v->done && v->queue.empty() && clock >= v->endMs) return PlatVideoState::Ended;
  return PlatVideoState::Playing;
}

PlatVideoError PlatVideo_Error(const PlatVideo* v) {
  if (!v) return PlatVideoError::None;
  std::lock_guard<std::mutex> hold(v->lock);
  return v->error;
}

uint32_t PlatVideo_FramesDecoded(const PlatVideo* v) {
  if (!v) return 0;
  std::lock_guard<std::mutex> hold(v->lock);
  return v->framesDecoded;
}

bool PlatVideo_Step(PlatVideo* v) {
  if (!v || v->threaded) return false;
  for (;;) {
    size_t before;
    {
      std::lock_guard<std::mutex> hold(v->lock);
      before = v->queue.size();
    }
    if (v->stream) Video_FeedSound(*v);
    if (!Video_DecodeOne(*v)) return false;
    std::lock_guard<std::mutex> hold(v->lock);
    if (v->queue.size() > before) return true;
  }
}
