// Inside the movie player: the FFmpeg objects of one movie, the queue of
// converted pictures and the sound waiting for the mixer. Shared by
// video.cpp (open, clock, queue) and video_decode.cpp (the decoding).
#pragma once
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/audio.h"
#include "platform/video.h"

constexpr int32_t kVideoSideMax = 8192;       // the engine's largest picture side
constexpr size_t kVideoQueuePictures = 4;     // pictures decoded ahead
constexpr int64_t kVideoSoundLeadMs = 500;    // sound decoded ahead of the clock
constexpr int64_t kVideoSoundStaleMs = 250;   // unheard sound older than this goes
constexpr int64_t kVideoFrameGapMaxMs = 10000;  // longest time one picture stays
constexpr int64_t kVideoDefaultFrameMs = 40;

struct VideoFormatFree {
  void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct VideoIoFree {
  void operator()(AVIOContext* io) const {
    if (io) av_freep(&io->buffer);
    avio_context_free(&io);
  }
};
struct VideoCodecFree {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct VideoPacketFree {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct VideoFrameFree {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct VideoSwsFree {
  void operator()(SwsContext* s) const { sws_freeContext(s); }
};
struct VideoSwrFree {
  void operator()(SwrContext* s) const { swr_free(&s); }
};

struct VideoPicture {
  int64_t ms = 0;  // time on the movie's clock
  int32_t w = 0, h = 0;
  std::vector<uint32_t> px;
};

struct PlatVideo {
  // ---- Decoder side: touched only by the decoding thread (or by Step). ----
  std::vector<uint8_t> memory;  // the movie held in memory, if so
  size_t memPos = 0;
  std::unique_ptr<AVIOContext, VideoIoFree> io;
  std::unique_ptr<AVFormatContext, VideoFormatFree> fmt;
  int vIndex = -1, aIndex = -1;
  std::unique_ptr<AVCodecContext, VideoCodecFree> vdec, adec;
  std::unique_ptr<AVPacket, VideoPacketFree> pkt;
  std::unique_ptr<AVFrame, VideoFrameFree> frame;
  std::unique_ptr<SwsContext, VideoSwsFree> sws;
  std::unique_ptr<SwrContext, VideoSwrFree> swr;
  int swrInFormat = -1, swrInRate = 0;
  AVChannelLayout swrInLayout{};
  std::vector<int16_t> soundScratch;
  int64_t firstPts = AV_NOPTS_VALUE;
  int64_t lastPictureMs = -1;
  int64_t frameMs = kVideoDefaultFrameMs;
  bool eof = false;
  uint32_t maxFrames = 0;

  // ---- Sound: the stream and the frames waiting for room in it. -----------
  PlatAudioStreamPtr stream;
  uint32_t outRate = 0;
  std::vector<int16_t> pending;  // interleaved stereo, not yet queued
  size_t pendingAt = 0;          // frames of `pending` already queued
  int64_t soundFrames = 0;       // frames converted so far (queued, waiting or dropped)

  // ---- Shared, under `lock`. ---------------------------------------------
  mutable std::mutex lock;
  std::condition_variable wake;
  std::deque<VideoPicture> queue;
  bool done = false;               // the decoder has nothing more to give
  PlatVideoError error = PlatVideoError::None;
  int64_t endMs = 0;               // the movie's length on its clock
  uint32_t framesDecoded = 0;
  bool pictureTaken = false;
  int64_t clockBase = 0;           // caller time at movie time 0 while running
  int64_t clockHeld = 0;           // movie time while paused
  bool running = false;
  int64_t lastClockMs = 0;         // the movie time the caller saw last

  std::atomic<int32_t> outW{0}, outH{0};
  int32_t srcW = 0, srcH = 0;
  std::atomic<bool> stop{false};
  bool threaded = true;
  std::thread thread;
};

// video_decode.cpp: reads and decodes one packet; false once the data end
// (the queue then holds every picture and `done` is set).
bool Video_DecodeOne(PlatVideo& v);
// Hands as much waiting sound to the mixer's stream as fits, dropping what
// the clock has passed unheard. True when sound is still waiting.
bool Video_FeedSound(PlatVideo& v);
// Whether the decoder should go on now (room for pictures, sound wanted).
bool Video_WantsMore(PlatVideo& v);
