// Nearest-pixel frame scaler (worker job 11).
#include <cstring>
#include <vector>

#include "graphics/graphics.h"
#include "render/render.h"
#include "render/scale_rows.h"

namespace {

struct NearestJob {
  uint8_t* dst;
  const uint8_t* src;
  const int32_t* cols;  // source column per destination column, -1 outside
  int32_t srcW, dstW;
  int32_t firstRow;     // destination row of band row 0
  int32_t y0, rowStep;
};

void NearestRows(const NearestJob& j, int32_t from, int32_t to) {
  for (int32_t r = from; r < to; ++r) {
    int32_t dy = j.firstRow + r;
    int32_t sy = j.y0 + static_cast<int32_t>((static_cast<int64_t>(dy) * j.rowStep) >> 16);
    const uint32_t* row = reinterpret_cast<const uint32_t*>(j.src) + static_cast<int64_t>(sy) * j.srcW;
    uint32_t* out = reinterpret_cast<uint32_t*>(j.dst) + static_cast<int64_t>(dy) * j.dstW;
    for (int32_t i = 0; i < j.dstW; ++i) out[i] = j.cols[i] >= 0 ? row[j.cols[i]] : 0u;
  }
}

void NearestWorker(WorkerJob& job) {
  NearestRows(*static_cast<const NearestJob*>(job.user), job.firstRow, job.endRow);
}

}  // namespace

void Scale_ShareRows(int32_t code, WorkerJobFn fn, void* user, int32_t rows) {
  if (rows <= 0) return;
  int n = Gfx_WorkerCount();
  if (n > rows) n = rows;
  if (n < 1) n = 1;
  for (int i = 0; i < n; ++i) {
    WorkerJob job;
    job.code = code;
    job.fn = fn;
    job.user = user;
    Gfx_Band(i, n, rows, &job.firstRow, &job.endRow);
    Gfx_PostJob(i, job);
  }
  Gfx_WaitWorkers(n);
}

void Present_ScaleThreaded(uint8_t* dst, const uint8_t* src, int32_t x0, int32_t y0, int32_t x1,
                           int32_t y1, int32_t srcW, int32_t srcH, int32_t dstW, int32_t dstH) {
  if (!dst || !src || dstW <= 0 || dstH <= 0) return;
  int32_t colStep = static_cast<int32_t>((static_cast<int64_t>(x1 - x0 + 1) << 16) / dstW);
  int32_t rowStep = static_cast<int32_t>((static_cast<int64_t>(y1 - y0 + 1) << 16) / dstH);
  // Tables are built by the poster and only read by the workers.
  static thread_local std::vector<int32_t> cols;
  cols.resize(static_cast<size_t>(dstW));
  for (int32_t i = 0; i < dstW; ++i) {
    int32_t sx = x0 + static_cast<int32_t>((static_cast<int64_t>(i) * colStep) >> 16);
    cols[static_cast<size_t>(i)] = (sx >= 0 && sx < srcW) ? sx : -1;
  }
  // Source rows grow with the destination row: the rows with a source are
  // one run [first, end).
  auto rowSrc = [&](int32_t j) {
    return y0 + static_cast<int32_t>((static_cast<int64_t>(j) * rowStep) >> 16);
  };
  int32_t first = 0;
  while (first < dstH && rowSrc(first) < 0) ++first;
  int32_t end = first;
  while (end < dstH && rowSrc(end) < srcH) ++end;
  size_t pitch = static_cast<size_t>(dstW) * 4;
  if (first > 0) std::memset(dst, 0, pitch * static_cast<size_t>(first));
  if (end < dstH) std::memset(dst + pitch * static_cast<size_t>(end), 0, pitch * static_cast<size_t>(dstH - end));
  NearestJob job{dst, src, cols.data(), srcW, dstW, first, y0, rowStep};
  Scale_ShareRows(kJobScaleNearest, NearestWorker, &job, end - first);
}
