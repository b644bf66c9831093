// Layer graphics (layer 5 of 10: above platform, base, files and vm): layer
// images and their commands, pixel spans, blend tables, compositor, workers,
// codecs. The public face of src/graphics/.
#pragma once

#include "graphics/graphics_limits.h"
#include "graphics/pixel_ops.h"
#include "graphics/blend.h"
#include "graphics/layer_image.h"
#include "graphics/workers.h"
#include "graphics/compositor.h"

// ---- Layer set-up command (cg_setup.cpp) -------------------------------
// Applies pending visibility and opacity over a sibling list and the
// children of its groups; a change sets g_FullRedraw and marks the layer.
void Cg_CommitPendingState(ObjNode* first);
// Installs the layer pictures of the save data commands (layer_save_hooks.cpp).
void Gfx_InstallSaveHooks();
#include "graphics/image_codec.h"
#include "graphics/cg_setup.h"
