// The pixel worker threads and the jobs they run.
#include "graphics/workers.h"

#include <zlib.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "graphics/graphics.h"
#include "platform/threads.h"

namespace {

struct Worker {
  std::thread thread;
  std::mutex lock;
  std::condition_variable wake;   // poster -> worker: a job or the stop flag
  std::condition_variable doneCv; // worker -> poster
  WorkerJob job;
  bool pending = false;  // posted, not yet finished
};

Worker g_Workers[kWorkerMax];
int g_Running = 0;
// The pool's own stop flag: set only by Gfx_StopWorkers, never by a quit
// request, so an error report cannot end the workers while the engine runs.
std::atomic<bool> g_Stop{false};

void WorkerMain(Worker* w, int index) {
  // Each worker keeps to its own processor, so the bands of one job run
  // side by side rather than queue on one core. The index comes as an
  // argument: the job record belongs to the poster until a job is pending.
  Plat_PinCurrentThread(index);
  for (;;) {
    std::unique_lock<std::mutex> hold(w->lock);
    w->wake.wait(hold, [w] { return w->pending || g_Stop; });
    if (!w->pending) return;  // stop requested and nothing left
    hold.unlock();
    Gfx_RunJob(w->job);
    hold.lock();
    w->pending = false;
    w->doneCv.notify_all();
  }
}

void BlendRows(WorkerJob& j) {
  LayerImage* t = j.target;
  LayerImage* s = j.source;
  bool masked = j.code == 102 || j.code == 104;
  int kind = j.code == 101 ? kBlendPlain : j.code == 102 ? kBlendMask
             : j.code == 103 ? kBlendAlpha : kBlendMaskAlpha;
  BlendRow row = Blend_PickRow(kind, s->blendMode, s->opacity);
  int op = s->opacity < 0 ? 0 : s->opacity > kOpacityFull ? kOpacityFull : s->opacity;
  size_t bytes = size_t(j.width) * 4;
  for (int32_t r = j.firstRow; r < j.endRow; r++) {
    uint8_t* d = t->pixels + (size_t(j.dstY + r) * t->width + size_t(j.dstX)) * 4;
    const uint8_t* sp = s->pixels + (size_t(j.srcY + r) * s->width + size_t(j.srcX)) * 4;
    if (masked) {
      const uint8_t* m = j.maskPixels + (size_t(j.srcY + r) * j.mask->width + size_t(j.srcX)) * 4;
      row.mask(d, sp, m, s->maskLevel, s->maskGradient, bytes);
    } else {
      row.plain(d, sp, op, bytes);
    }
  }
}

// Job 42: each target pixel the mean of an n x n source block.
void ReduceRows(WorkerJob& j) {
  if (j.tgtRowLen == 0 || j.srcRowLen < j.tgtRowLen) return;
  uint32_t n = j.srcRowLen / j.tgtRowLen;
  for (int32_t r = j.firstRow; r < j.endRow; r++) {
    uint8_t* d = j.tgtPixels + size_t(r) * j.tgtRowLen * 4;
    const uint8_t* s = j.srcPixels + size_t(r) * n * j.srcRowLen * 4;
    if (n == 2) {
      g_PixelOps.halve(d, s, j.srcRowLen, j.tgtRowLen);
      continue;
    }
    for (uint32_t x = 0; x < j.tgtRowLen; x++)
      for (int c = 0; c < 4; c++) {
        uint32_t sum = 0;
        for (uint32_t by = 0; by < n; by++)
          for (uint32_t bx = 0; bx < n; bx++) sum += s[(size_t(by) * j.srcRowLen + x * n + bx) * 4 + c];
        d[x * 4 + c] = uint8_t(sum / (n * n));
      }
  }
}

// Job 1001: worker 0 unpacks stream 1, worker 1 stream 2 after it.
void UnpackStream(WorkerJob& j) {
  const uint8_t* src;
  uLong srcLen;
  uint8_t* dst;
  uLongf cap;
  if (j.index == 0) {
    src = j.file + kQcgHeaderSize, srcLen = j.packed1, dst = j.out, cap = j.unpacked1;
  } else if (j.index == 1) {
    src = j.file + kQcgHeaderSize + j.packed1, srcLen = j.packed2;
    dst = j.out + j.unpacked1, cap = j.unpacked2;
  } else {
    return;
  }
  j.zlibStatus = uncompress(dst, &cap, src, srcLen);
  j.produced = cap;
}

}  // namespace

void Gfx_RunJob(WorkerJob& job) {
  switch (job.code) {
    case 101: case 102: case 103: case 104: BlendRows(job); break;
    case 42: ReduceRows(job); break;
    case 1001: UnpackStream(job); break;
    default:
      if (job.fn) job.fn(job);
      break;
  }
}

int Gfx_StartWorkers(int count) {
  if (g_Running) return 0;
  count = count < 1 ? 1 : count > kWorkerMax ? kWorkerMax : count;
  g_Stop = false;
  for (int i = 0; i < count; i++) {
    g_Workers[i].job.index = i;
    g_Workers[i].pending = false;
    Worker* w = &g_Workers[i];
    if (!g_PlatThreadStart(&w->thread, [w, i] { WorkerMain(w, i); })) {
      // The workers already running serve the pool; the caller decides
      // whether a smaller pool may go on.
      g_Running = i;
      return -1;
    }
  }
  g_Running = count;
  return 0;
}

void Gfx_StopWorkers() {
  for (int i = 0; i < g_Running; i++) {
    std::lock_guard<std::mutex> hold(g_Workers[i].lock);
    g_Stop = true;
    g_Workers[i].wake.notify_all();
  }
  for (int i = 0; i < g_Running; i++)
    if (g_Workers[i].thread.joinable()) g_Workers[i].thread.join();
  g_Running = 0;
  g_Stop = false;
}

int Gfx_WorkerCount() { return g_Running ? g_Running : 1; }

void Gfx_PostJob(int i, const WorkerJob& job) {
  if (i < 0 || i >= kWorkerMax) return;
  Worker& w = g_Workers[i];
  if (i >= g_Running) {
    // No thread for this index: run it here, as the one worker would.
    w.job = job;
    w.job.index = i;
    Gfx_RunJob(w.job);
    return;
  }
  std::lock_guard<std::mutex> hold(w.lock);
  w.job = job;
  w.job.index = i;
  w.pending = true;
  w.wake.notify_all();
}

void Gfx_WaitWorkers(int n, WorkerJob* jobs) {
  for (int i = 0; i < n && i < kWorkerMax; i++) {
    Worker& w = g_Workers[i];
    std::unique_lock<std::mutex> hold(w.lock);
    w.doneCv.wait(hold, [&w] { return !w.pending; });
    if (jobs) jobs[i] = w.job;
  }
}

void Gfx_Band(int i, int n, int32_t rows, int32_t* first, int32_t* end) {
  *first = int32_t(int64_t(i) * rows / n);
  *end = int32_t((int64_t(i) * rows + rows) / n);
}
