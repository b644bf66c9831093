// Decoding one movie: packets read in turn, pictures scaled to BGRA at the
// asked size and queued with their time, sound converted to the mixer's
// 16-bit stereo and handed to its stream as room appears.
#include <algorithm>
#include <cstring>

#include "platform/video_impl.h"

namespace {

int64_t MsOf(int64_t ts, AVRational tb) {
  return av_rescale_q(ts, tb, AVRational{1, 1000});
}

// The time of a decoded picture on the movie's clock: from its own stamp
// when it has one, else one frame after the last; never backwards and
// never more than the longest gap ahead, so damaged stamps cannot stall
// the movie.
int64_t PictureTime(PlatVideo& v, const AVFrame* f) {
  int64_t ts = f->best_effort_timestamp;
  int64_t ms;
  if (ts == AV_NOPTS_VALUE) {
    ms = v.lastPictureMs < 0 ? 0 : v.lastPictureMs + v.frameMs;
  } else {
    if (v.firstPts == AV_NOPTS_VALUE) v.firstPts = ts;
    ms = MsOf(ts - v.firstPts, v.fmt->streams[v.vIndex]->time_base);
  }
  if (v.lastPictureMs >= 0) {
    ms = std::clamp(ms, v.lastPictureMs, v.lastPictureMs + kVideoFrameGapMaxMs);
  } else {
    ms = std::clamp<int64_t>(ms, 0, kVideoFrameGapMaxMs);
  }
  return ms;
}

void QueuePicture(PlatVideo& v, const AVFrame* f) {
  if (f->width <= 0 || f->height <= 0 || f->width > kVideoSideMax || f->height > kVideoSideMax)
    return;
  if (v.maxFrames && v.framesDecoded >= v.maxFrames) return;
  const int32_t w = std::clamp(v.outW.load(), 1, kVideoSideMax);
  const int32_t h = std::clamp(v.outH.load(), 1, kVideoSideMax);
  v.sws.reset(sws_getCachedContext(v.sws.release(), f->width, f->height,
                                   AVPixelFormat(f->format), w, h, AV_PIX_FMT_BGRA,
                                   SWS_BILINEAR, nullptr, nullptr, nullptr));
  if (!v.sws) return;
  VideoPicture pic;
  pic.w = w;
  pic.h = h;
  pic.px.assign(size_t(w) * size_t(h), 0);
  uint8_t* dst[4] = {reinterpret_cast<uint8_t*>(pic.px.data()), nullptr, nullptr, nullptr};
  int dstStride[4] = {w * 4, 0, 0, 0};
  if (sws_scale(v.sws.get(), f->data, f->linesize, 0, f->height, dst, dstStride) <= 0) return;
  for (uint32_t& p : pic.px) p |= 0xFF000000u;  // the picture is opaque
  pic.ms = PictureTime(v, f);
  v.lastPictureMs = pic.ms;
  std::lock_guard<std::mutex> hold(v.lock);
  v.endMs = std::max(v.endMs, pic.ms + v.frameMs);
  v.framesDecoded += 1;
  v.queue.push_back(std::move(pic));
}

// A converter from the frame's own format to the mixer's, made again when
// the sound's format changes mid-stream.
bool SoundConverter(PlatVideo& v, const AVFrame* f) {
  AVChannelLayout in{};
  if (f->ch_layout.nb_channels > 0 && av_channel_layout_check(&f->ch_layout)) {
    if (av_channel_layout_copy(&in, &f->ch_layout) < 0) return false;
  } else {
    av_channel_layout_default(&in, 2);
  }
  bool same = v.swr && v.swrInFormat == f->format && v.swrInRate == f->sample_rate &&
              av_channel_layout_compare(&in, &v.swrInLayout) == 0;
  if (same) {
    av_channel_layout_uninit(&in);
    return true;
  }
  AVChannelLayout out = AV_CHANNEL_LAYOUT_STEREO;
  SwrContext* s = nullptr;
  int r = swr_alloc_set_opts2(&s, &out, AV_SAMPLE_FMT_S16, int(v.outRate), &in,
                              AVSampleFormat(f->format), f->sample_rate, 0, nullptr);
  v.swr.reset(s);
  av_channel_layout_uninit(&v.swrInLayout);
  v.swrInLayout = in;
  v.swrInFormat = f->format;
  v.swrInRate = f->sample_rate;
  if (r < 0 || swr_init(v.swr.get()) < 0) {
    v.swr.reset();
    return false;
  }
  return true;
}

void QueueSound(PlatVideo& v, const AVFrame* f) {
  if (f->nb_samples <= 0 || f->sample_rate <= 0 || f->sample_rate > 768000) return;
  if (!SoundConverter(v, f)) return;
  const int room = swr_get_out_samples(v.swr.get(), f->nb_samples);
  if (room <= 0 || room > (1 << 22)) return;
  v.soundScratch.resize(size_t(room) * 2);
  uint8_t* out[1] = {reinterpret_cast<uint8_t*>(v.soundScratch.data())};
  int got = swr_convert(v.swr.get(), out, room, const_cast<const uint8_t**>(f->extended_data),
                        f->nb_samples);
  if (got <= 0) return;
  if (v.stream) {
    v.pending.insert(v.pending.end(), v.soundScratch.begin(),
                     v.soundScratch.begin() + size_t(got) * 2);
  }
  v.soundFrames += got;
  std::lock_guard<std::mutex> hold(v.lock);
  v.endMs = std::max(v.endMs, v.soundFrames * 1000 / int64_t(v.outRate));
}

// Every frame the decoder has ready.
void Drain(PlatVideo& v, AVCodecContext* dec, bool picture) {
  for (;;) {
    int r = avcodec_receive_frame(dec, v.frame.get());
    if (r < 0) return;  // wants input, finished, or a damaged frame
    if (picture) QueuePicture(v, v.frame.get());
    else QueueSound(v, v.frame.get());
    av_frame_unref(v.frame.get());
  }
}

void Feed(PlatVideo& v, AVCodecContext* dec, const AVPacket* p, bool picture) {
  if (!dec) return;
  // A refused packet (damaged data) is skipped; the decoder goes on.
  if (avcodec_send_packet(dec, p) == AVERROR(EAGAIN)) {
    Drain(v, dec, picture);
    avcodec_send_packet(dec, p);
  }
  Drain(v, dec, picture);
}

void Finish(PlatVideo& v, PlatVideoError error) {
  Feed(v, v.vdec.get(), nullptr, true);
  Feed(v, v.adec.get(), nullptr, false);
  v.eof = true;
  std::lock_guard<std::mutex> hold(v.lock);
  v.done = true;
  if (error != PlatVideoError::None && v.error == PlatVideoError::None) v.error = error;
}

}  // namespace

bool Video_DecodeOne(PlatVideo& v) {
  if (v.eof) return false;
  if (v.maxFrames && v.framesDecoded >= v.maxFrames) {
    Finish(v, PlatVideoError::None);
    return false;
  }
  int r = av_read_frame(v.fmt.get(), v.pkt.get());
  if (r == AVERROR(EAGAIN)) return true;
  if (r < 0) {
    // The end of the data, or data that cannot be read on: either way the
    // movie has nothing more, and a real read error says so.
    Finish(v, r == AVERROR_EOF || r == AVERROR_INVALIDDATA ? PlatVideoError::None
                                                           : PlatVideoError::ReadFailed);
    return false;
  }
  if (v.pkt->stream_index == v.vIndex) Feed(v, v.vdec.get(), v.pkt.get(), true);
  else if (v.pkt->stream_index == v.aIndex) Feed(v, v.adec.get(), v.pkt.get(), false);
  av_packet_unref(v.pkt.get());
  return true;
}

bool Video_FeedSound(PlatVideo& v) {
  const size_t waiting = v.pending.size() / 2 - v.pendingAt;
  if (!waiting) return false;
  size_t took = PlatAudioStream_Push(v.stream.get(), v.pending.data() + v.pendingAt * 2, waiting);
  v.pendingAt += took;
  if (v.pendingAt * 2 == v.pending.size()) {
    v.pending.clear();
    v.pendingAt = 0;
    return false;
  }
  // Sound nobody takes (no one drains the stream, the device is gone) is
  // dropped once the clock has passed it, so pictures never wait on it.
  int64_t clock;
  {
    std::lock_guard<std::mutex> hold(v.lock);
    clock = v.lastClockMs;
  }
  const int64_t left = int64_t(v.pending.size() / 2 - v.pendingAt);
  const int64_t headMs = (v.soundFrames - left) * 1000 / int64_t(v.outRate);
  if (headMs + kVideoSoundStaleMs < clock) {
    v.pending.clear();
    v.pendingAt = 0;
    return false;
  }
  return true;
}

bool Video_WantsMore(PlatVideo& v) {
  if (v.eof) return false;
  int64_t clock;
  size_t pictures;
  {
    std::lock_guard<std::mutex> hold(v.lock);
    clock = v.lastClockMs;
    pictures = v.queue.size();
  }
  const int64_t waitingFrames = int64_t(v.pending.size() / 2 - v.pendingAt);
  const int64_t soundAheadMs =
      v.outRate ? (v.soundFrames - waitingFrames) * 1000 / int64_t(v.outRate) - clock : 0;
  const bool soundFull = waitingFrames > int64_t(v.outRate) / 2;
  if (v.vIndex >= 0) return pictures < kVideoQueuePictures && !soundFull;
  return !soundFull && soundAheadMs < kVideoSoundLeadMs;
}
