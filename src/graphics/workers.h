// Pixel worker pool: heavy pixel jobs cut into row bands and run in parallel.
// The frame thread is the only poster; it waits for every worker it used
// before it reads the result.
#pragma once
#include <cstddef>
#include <cstdint>

struct LayerImage;
struct WorkerJob;

// A job kind posted by another subsystem (the frame scalers 11 and 21, the
// CG scaling 41): runs one worker's share of the job.
using WorkerJobFn = void (*)(WorkerJob& job);

// One worker's parameter block. Blend jobs 101..104 use the blend fields;
// reduction 42 the reduction fields; unpack 1001 the stream fields; the
// scaler jobs read their own tables through `user`.
struct WorkerJob {
  int32_t index = 0;   // worker number, set at start-up
  int32_t code = 0;    // job code; an unknown code does nothing
  // Rows of this worker's band, [firstRow, endRow).
  int32_t firstRow = 0, endRow = 0;
  // Blend jobs.
  int32_t width = 0, srcX = 0, srcY = 0, dstX = 0, dstY = 0;
  LayerImage* target = nullptr;
  LayerImage* source = nullptr;
  LayerImage* mask = nullptr;
  const uint8_t* maskPixels = nullptr;
  // Reduction job 42 (and the scaler jobs): rows and row lengths in pixels.
  uint32_t srcRowLen = 0, tgtRowLen = 0;
  uint8_t* tgtPixels = nullptr;
  const uint8_t* srcPixels = nullptr;
  // Unpack job 1001: stream sizes, output buffer and the file in memory.
  uint32_t unpacked1 = 0, packed1 = 0, unpacked2 = 0, packed2 = 0;
  uint8_t* out = nullptr;
  const uint8_t* file = nullptr;
  // Results of an unpack: zlib status and bytes produced.
  int32_t zlibStatus = 0;
  uint64_t produced = 0;
  // Other jobs: their function and parameter block.
  WorkerJobFn fn = nullptr;
  void* user = nullptr;
};

// Starts `count` workers (clamped to 1..4); the start-up passes
// g_WorkerCount. A second call does nothing. 0, or -1 when a thread could
// not be started (the ones started before it keep running). Each worker is
// pinned to the processor of its index where the machine has that many.
int Gfx_StartWorkers(int count);
// Sets the pool's own stop flag, wakes and joins every worker. Only the
// shut-down calls this; a quit request alone never stops the pool.
void Gfx_StopWorkers();
// Workers running; 1 before the pool starts (jobs then run on the caller).
int Gfx_WorkerCount();

// Hands `job` to worker i (its index is kept). Without a running pool the job
// runs at once on the calling thread.
void Gfx_PostJob(int i, const WorkerJob& job);
// Waits until workers 0..n-1 are done and copies their results back into
// `jobs` (when given).
void Gfx_WaitWorkers(int n, WorkerJob* jobs = nullptr);
// Runs one job on the calling thread (the worker body).
void Gfx_RunJob(WorkerJob& job);
// Band i of n over `rows` rows: [i*rows/n, (i*rows+rows)/n).
void Gfx_Band(int i, int n, int32_t rows, int32_t* first, int32_t* end);
