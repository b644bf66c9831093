// The engine's own image format: raw BGRA, or two zlib streams that two
// pixel workers unpack at once.
#include <zlib.h>

#include <cstring>

#include "graphics/graphics.h"
#include "base/base.h"

namespace {

uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// A damaged file (sizes that do not fit the file or the picture, a stream
// that does not unpack) is refused with 104010 and the file's name, as
// every decoder reports its damaged files by number.
int CheckFailed(const char* name) {
  Err_ShowF(104010, 1, name ? name : "");
  return -1;
}

// Both streams on the calling thread; the second starts where the first
// actually ended (which the size checks make the same as its header size).
int UnpackInSequence(uint8_t* out, const uint8_t* data, uint32_t u1, uint32_t p1, uint32_t u2, uint32_t p2) {
  uLongf got1 = u1;
  if (uncompress(out, &got1, data + kQcgHeaderSize, p1) != Z_OK || got1 != u1) {
    Sys_MessageBoxF(nullptr, "Uncompress Status Error 1.");
    return -1;
  }
  uLongf got2 = u2;
  if (uncompress(out + got1, &got2, data + kQcgHeaderSize + p1, p2) != Z_OK || got2 != u2) {
    Sys_MessageBoxF(nullptr, "Uncompress Status Error 2.");
    return -1;
  }
  return 0;
}

int UnpackOnWorkers(uint8_t* out, const uint8_t* data, uint32_t u1, uint32_t p1, uint32_t u2, uint32_t p2) {
  WorkerJob job;
  job.code = 1001;
  job.unpacked1 = u1, job.packed1 = p1, job.unpacked2 = u2, job.packed2 = p2;
  job.out = out;
  job.file = data;
  Gfx_PostJob(0, job);
  Gfx_PostJob(1, job);
  WorkerJob done[2];
  Gfx_WaitWorkers(2, done);
  for (int i = 0; i < 2; i++)
    if (done[i].zlibStatus != Z_OK || done[i].produced != (i ? u2 : u1)) {
      Sys_MessageBoxF(nullptr, i ? "Uncompress Status Error 2." : "Uncompress Status Error 1.");
      return -1;
    }
  return 0;
}

}  // namespace

int Img_DecodeQcg(LayerImage* rec, const uint8_t* data, size_t size, const char* name) {
  if (size < kQcgHeaderSize) return CheckFailed(name);
  if (U32(data) != qcg::kMagic) Sys_MessageBoxF("", "File Check Error.");  // decoding goes on
  uint32_t w = U32(data + qcg::kOffWidth), h = U32(data + qcg::kOffHeight);
  if (w == 0 || h == 0 || w > uint32_t(kImageMaxSide) || h > uint32_t(kImageMaxSide)) {
    Err_ScriptF(100091, 1, name);
    return -1;
  }
  uint32_t comp = U32(data + qcg::kOffCompression);
  uint64_t pixelBytes = uint64_t(w) * h * 4;
  uint32_t u1 = U32(data + qcg::kOffUnpacked1), p1 = U32(data + qcg::kOffPacked1);
  uint32_t u2 = U32(data + qcg::kOffUnpacked2), p2 = U32(data + qcg::kOffPacked2);
  // Validate before the buffer changes, so a bad file leaves the layer as it was.
  if (comp == qcg::kRaw) {
    if (size - kQcgHeaderSize < pixelBytes) return CheckFailed(name);
  } else if (comp == qcg::kZlib) {
    if (uint64_t(u1) + u2 != pixelBytes || uint64_t(p1) + p2 > size - kQcgHeaderSize) return CheckFailed(name);
  } else {
    return CheckFailed(name);
  }
  if (Img_SetSize(rec, w, h, name) != 0) return -1;
  rec->alphaMode = 1;
  if (comp == qcg::kRaw) {
    g_PixelOps.copy(rec->pixels, data + kQcgHeaderSize, size_t(pixelBytes));
    return 0;
  }
  int r = Gfx_WorkerCount() >= 2 ? UnpackOnWorkers(rec->pixels, data, u1, p1, u2, p2)
                                  : UnpackInSequence(rec->pixels, data, u1, p1, u2, p2);
  if (r != 0) {
    std::memset(rec->pixels, 0, size_t(pixelBytes));  // no half-unpacked picture
    return CheckFailed(name);  // after the stream's own box
  }
  return r;
}
