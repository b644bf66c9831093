// Row sharing of the frame scalers over the pixel workers.
#pragma once
#include <cstdint>

#include "graphics/workers.h"

// Runs fn over `rows` rows split into one band per worker (the band's rows
// are job.firstRow..job.endRow, counted from 0), waiting for all of them.
// Without a running pool the bands run on the calling thread.
void Scale_ShareRows(int32_t code, WorkerJobFn fn, void* user, int32_t rows);
