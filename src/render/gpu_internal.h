// The renderer's device state, shared by its GPU files only.
#pragma once
#include <atomic>
#include <cstdint>
#include <vector>

#include "platform/gpu.h"
#include "render/gpu.h"

// Deepest nesting of groups the GPU walks follow.
constexpr int kGpuTreeDepthMax = 256;

// One vertex of the engine's layout: position x, y, z, rhw at 0, diffuse
// ARGB at 16, eight texture-coordinate pairs at 20 + 8k.
struct GpuVertex {
  float x, y, z, rhw;
  uint32_t diffuse;
  float tex[8][2];
};
static_assert(sizeof(GpuVertex) == 84, "engine vertex is 84 bytes");

// Programs of the built-in effect "RI_RoriveZeve1": the stage replacement
// for plain draws, then the four passes.
enum GpuProgram : int { kProgStage, kProgPass0, kProgPass1, kProgPass2, kProgPass3, kProgCount };

// Uniform locations of one program, by the effect's parameter names.
struct GpuUniforms {
  int32_t screenSize = -1, texture1 = -1, texture2 = -1, texture3 = -1;
  int32_t alphaVal = -1, fadeVal = -1, fadeVal2 = -1, texSize = -1, texDiffU = -1;
  int32_t colourRule = -1, useAlpha = -1;
};

struct GpuDevice {
  // Set once the whole device is made; read by the hooks on the frame thread.
  std::atomic<bool> live{false};
  GlContextInfo info;
  int32_t width = 0, height = 0;    // back-buffer size: window 0's logical size
  GlTarget backBuffer;              // what the frame is drawn into
  GlTarget render, getSS;           // "Render" and "GetSS"
  uint32_t programs[kProgCount] = {};
  GpuUniforms uniforms[kProgCount];
  bool vertexStream = false;
  bool capsChecked = false;         // the capability check runs once per run
  bool modesListed = false;
  uint32_t generation = 0;          // raised by every device creation
  bool sizeMismatchShown = false;
  int32_t targetErrors = 0;         // E-mote tiles that could not be drawn into
  // What the player library draws with: the layer's place in the back
  // buffer as a 4x4 row-major matrix from player units to clip space.
  float emoteTransform[16] = {};
};
extern GpuDevice g_GpuDevice;

// Layer textures: the tile grid and the GL textures of one layer, kept in
// the record's first tile slot, with the device generation they belong to.
struct GpuLayerTextures {
  TileGrid grid;
  std::vector<uint32_t> tiles;  // cols * rows, columns first
  uint32_t generation = 0;
  uint8_t mode = 0;             // stored upload arguments for a re-upload
  int32_t colCap = 0, rowCap = 0;
  // An E-mote layer's one tile: a back-buffer-sized target the player
  // library draws into (tiles[0] is its texture).
  GlTarget emote;
};
GpuLayerTextures* Tex_Of(const LayerImage* rec);
// The E-mote layer's tile on the current device, made on first use; null
// when it cannot be made (traced).
GpuLayerTextures* Tex_EmoteTile(LayerImage* rec);
// True for a layer the player library draws (the library is there).
bool Gpu_IsEmoteLayer(const LayerImage* rec);

// The window 0 root the frame draws, from the hooks (null: none).
ObjNode* Gpu_Window0Root();
// Messages of the system texts, converted once.
void Gpu_Message(const char* captionUtf8, const char* textUtf8);
