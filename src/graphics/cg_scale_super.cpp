// Method 41: two-by-two supersampled bilinear scaling. Every output pixel
// averages four bilinear samples on a grid twice as dense as the output,
// the columns' fractions sharpened by the filtered scaler's weight curve.
// Rows are shared over the pixel workers (job 41).
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "base/base.h"
#include "graphics/cg_op_internal.h"

namespace {

constexpr int32_t kJobScaleSuper = 41;

// T[f] = clamp(trunc(1.25 (f - 128) + 128), 0, 255).
struct Sharpen {
  uint8_t t[256];
  Sharpen() {
    for (int i = 0; i < 256; i++) {
      int v = int(1.25 * (i - 128) + 128.0);
      t[i] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
    }
  }
};
const Sharpen kSharpen;

// One axis: start pixel, start fraction and the shrink choice.
struct Axis {
  int64_t start, a, b, span, out100;
  // Position (1/256 pixel, relative to the start) of index i on a grid of
  // `dens` points per output pixel, with `extra` added before scaling.
  int64_t At(int64_t i, int64_t dens, int64_t extra) const {
    int64_t div = dens * out100 - 100;
    if (div == 0) div = 100;
    return ((256 * i + extra + a) * span) / div + b;
  }
};
Axis MakeAxis(int32_t p0, int32_t p1, int32_t out100) {
  Axis ax;
  ax.start = p0 / 100;
  int64_t f = int64_t(p0 % 100) * 256 / 100;
  ax.span = int64_t(p1) - p0;
  ax.out100 = out100;
  bool shrink = out100 < ax.span;
  ax.a = shrink ? f : 0;
  ax.b = shrink ? 0 : f;
  return ax;
}

// The run of output indices whose source index lies in [0, size).
void PictureRun(const Axis& ax, int64_t n, int64_t size, int32_t* first, int32_t* end) {
  int64_t i = 0;
  while (i < n && ax.start + (ax.At(i, 1, 0) >> 8) < 0) i++;
  int64_t e = i;
  while (e < n && ax.start + (ax.At(e, 1, 0) >> 8) < size) e++;
  *first = int32_t(i), *end = int32_t(e);
}

struct SuperJob {
  uint8_t* out;
  const uint8_t* src;
  int32_t w, h, W;
  int32_t colFirst, colEnd, rowFirst;
  Axis cols, rows;
  const int32_t* subCol;   // column per sub-column, limited to the image
  const uint8_t* subFrac;  // its sharpened fraction
  std::atomic<bool>* failed;  // a band's scratch could not be made
};

// Runs fn over `rows` rows, one band per worker, and waits for all of them.
void ShareRows(WorkerJobFn fn, void* user, int32_t rows) {
  if (rows <= 0) return;
  int n = Gfx_WorkerCount();
  n = n > rows ? rows : n < 1 ? 1 : n;
  for (int i = 0; i < n; i++) {
    WorkerJob job;
    job.code = kJobScaleSuper;
    job.fn = fn;
    job.user = user;
    Gfx_Band(i, n, rows, &job.firstRow, &job.endRow);
    Gfx_PostJob(i, job);
  }
  Gfx_WaitWorkers(n);
}

// Two channels at a time (bytes 0 and 2, or 1 and 3 after a shift): each
// lane's (p (256 - f) + q f) stays below 65536, so the lanes never mix and
// the result equals the per-byte form.
inline uint32_t Mix2(uint32_t p, uint32_t q, uint32_t f) {
  return (((p & 0xFF00FFu) * (256 - f) + (q & 0xFF00FFu) * f) >> 8) & 0xFF00FFu;
}
inline uint32_t Mix(uint32_t p, uint32_t q, uint32_t f) {
  return Mix2(p, q, f) | Mix2(p >> 8, q >> 8, f) << 8;
}
// (p + q + 1) >> 1 per byte.
inline uint32_t Avg(uint32_t p, uint32_t q) { return (p | q) - (((p ^ q) & 0xFEFEFEFEu) >> 1); }

// The horizontal mixes of one source row at every sub-column, kept for the
// few rows that neighbouring output rows share.
class RowCache {
 public:
  RowCache(const SuperJob& j, int32_t subs) : j_(j), subs_(subs) {
    for (Slot& s : slots_) s.px.resize(size_t(subs > 0 ? subs : 1));
  }
  const uint32_t* Get(int64_t row) {
    for (Slot& s : slots_)
      if (s.row == row) return s.px.data();
    Slot& s = slots_[next_++ % kSlots];
    s.row = row;
    const uint8_t* base = j_.src + row * j_.w * 4;
    for (int32_t k = 0; k < subs_; k++) {
      int32_t i = 2 * j_.colFirst + k;
      uint32_t p, q;
      std::memcpy(&p, base + int64_t(j_.subCol[i]) * 4, 4);
      std::memcpy(&q, base + int64_t(j_.subCol[i]) * 4 + 4, 4);
      s.px[size_t(k)] = Mix(p, q, j_.subFrac[i]);
    }
    return s.px.data();
  }

 private:
  static constexpr int kSlots = 4;
  struct Slot {
    int64_t row = -1;
    std::vector<uint32_t> px;
  };
  const SuperJob& j_;
  int32_t subs_;
  Slot slots_[kSlots];
  unsigned next_ = 0;
};

// The samples at the row position r: the cached rows above and below
// mixed by its fraction. Rows next to the picture's last one are held to
// the buffer (the row below the last is its spare row).
void SampleRow(const SuperJob& j, RowCache& cache, int64_t r, int32_t subs, uint32_t* out) {
  int64_t sy = j.rows.start + (r >> 8);
  uint32_t g = uint32_t(r & 0xFF);
  sy = sy < 0 ? 0 : sy >= j.h ? j.h - 1 : sy;
  const uint32_t* top = cache.Get(sy);
  const uint32_t* bot = cache.Get(sy + 1);
  for (int32_t k = 0; k < subs; k++) out[k] = Mix(top[k], bot[k], g);
}

void SuperRowsChecked(WorkerJob& wj);

// A band whose scratch cannot be made says so to the poster instead of
// throwing on a worker.
void SuperRows(WorkerJob& wj) {
  try {
    SuperRowsChecked(wj);
  } catch (const std::bad_alloc&) {
    static_cast<const SuperJob*>(wj.user)->failed->store(true);
  }
}

void SuperRowsChecked(WorkerJob& wj) {
  const SuperJob& j = *static_cast<const SuperJob*>(wj.user);
  int32_t subs = 2 * (j.colEnd - j.colFirst);
  std::vector<uint32_t> A(size_t(subs > 0 ? subs : 1)), B(A.size());
  RowCache cache(j, subs);
  for (int32_t band = wj.firstRow; band < wj.endRow; band++) {
    int32_t y = j.rowFirst + band;
    uint32_t* out = cgop::Row(j.out, j.W, y);
    std::memset(out, 0, size_t(j.colFirst) * 4);
    std::memset(out + j.colEnd, 0, size_t(j.W - j.colEnd) * 4);
    SampleRow(j, cache, j.rows.At(2 * int64_t(y), 2, 0), subs, A.data());
    SampleRow(j, cache, j.rows.At(2 * int64_t(y), 2, 256), subs, B.data());
    for (int32_t x = j.colFirst; x < j.colEnd; x++) {
      size_t k = size_t(2 * (x - j.colFirst));
      out[x] = Avg(Avg(A[k], B[k]), Avg(A[k + 1], B[k + 1]));
    }
  }
}

}  // namespace

int Cg_ScaleMethod41(uint8_t* out, const uint8_t* src, int32_t x0, int32_t y0, int32_t x1,
                     int32_t y1, int32_t w, int32_t h, int32_t outW100, int32_t outH100) {
  int32_t W = outW100 / 100, H = outH100 / 100;
  if (W <= 0 || H <= 0) return 0;
  SuperJob j{};
  j.out = out, j.src = src, j.w = w, j.h = h, j.W = W;
  j.cols = MakeAxis(x0, x1, outW100);
  j.rows = MakeAxis(y0, y1, outH100);
  int32_t rowFirst, rowEnd;
  PictureRun(j.cols, W, w, &j.colFirst, &j.colEnd);
  PictureRun(j.rows, H, h, &rowFirst, &rowEnd);
  j.rowFirst = rowFirst;
  size_t pitch = size_t(W) * 4;
  std::memset(out, 0, pitch * size_t(rowFirst));
  std::memset(out + pitch * size_t(rowEnd), 0, pitch * size_t(H - rowEnd));
  // Sub-column tables, built once by the poster and only read by the jobs.
  int32_t* subCol = static_cast<int32_t*>(g_CgScratchAlloc(size_t(2 * W) * sizeof(int32_t)));
  uint8_t* subFrac = static_cast<uint8_t*>(g_CgScratchAlloc(size_t(2 * W)));
  std::atomic<bool> failed{!subCol || !subFrac};
  j.failed = &failed;
  if (!failed) {
    for (int32_t i = 0; i < 2 * W; i++) {
      int64_t q = j.cols.At(i, 2, 0);
      int64_t sx = j.cols.start + (q >> 8);
      // The right neighbour of the last column is the buffer's next pixel.
      subCol[size_t(i)] = int32_t(sx < 0 ? 0 : sx >= w ? w - 1 : sx);
      subFrac[size_t(i)] = kSharpen.t[q & 0xFF];
    }
    j.subCol = subCol;
    j.subFrac = subFrac;
    ShareRows(SuperRows, &j, rowEnd - rowFirst);
  }
  std::free(subFrac);
  std::free(subCol);
  if (!failed) return 0;
  Err_ShowF(104030, 1, "");
  return -1;
}
