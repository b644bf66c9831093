// GPU drawing of the main window's layer tree: the device (a GL context of
// the platform layer), layer textures in tiles, the layer draw with the
// built-in effect, and the per-frame entry with device loss and reset. Any
// failure of the GPU side switches the engine to CPU drawing for good.
// Everything here runs on the thread that runs the frame.
#pragma once
#include <atomic>
#include <cstdint>

struct LayerImage;
struct ObjNode;

// Drawing-mode bytes, from the user's drawing level at start-up; cleared
// for good by the CPU fall-back. Read by the shell, the layer graphics
// (through their hooks) and the renderer; written on the frame thread.
struct D3dMode {
  uint8_t FullGpu = 0;      // window 0's textured layers drawn by the GPU, read back
  uint8_t GpuScaled = 0;    // GPU level without the full-GPU host: device kept, nothing drawn
  uint8_t GpuFilter = 0;    // 0..3 from the drawing level
  uint8_t CpuFiltered = 1;  // CPU scaler: 1 filtered, 0 nearest
  uint8_t NoHwVertexProcessing = 0;
  uint8_t Textures16Bit = 0;      // engine textures in 4 bits per channel
  uint32_t TileMaxWidth = 512;    // largest texture tile
  uint32_t TileMaxHeight = 256;
  int32_t MaxTextureWidth = 256;  // from the device, once
  int32_t MaxTextureHeight = 256;
};
extern D3dMode g_D3dMode;

// Texture filters of samplers 0 and 1: 0 nearest, 1 linear, 2 anisotropic;
// mip -1..2 (textures have one level, so only the minification matters).
struct GpuFilterSettings {
  int8_t mag = 1, min = 1, mip = 0;
};
extern GpuFilterSettings g_GpuFilterSettings;

// What the renderer reads and tells of the shell, installed at start-up
// (each may be null).
struct GpuShellHooks {
  // The reset-request byte that window and screen-mode changes set.
  std::atomic<uint8_t>* resetRequest = nullptr;
  // The drawing-mode bytes changed (the fall-back).
  void (*modeChanged)() = nullptr;
  // Window 0's shown root layer node and its logical size.
  ObjNode* (*window0Root)() = nullptr;
  void (*window0Size)(int32_t* w, int32_t* h) = nullptr;
};
extern GpuShellHooks g_GpuShellHooks;

// ---- Device (gpu_device.cpp) ------------------------------------------------
// 0 success, 1 failure after a message, -1 failure of a render target.
int D3d_Init();
int D3d_CreateDevice();
int D3d_CheckCaps();
int D3d_SetDefaultStates();
int Gpu_CreateVertexDecl();
int D3d_InitShader();
// Releases every GPU object and the context; always 0.
int Gpu_ReleaseAll();
// CPU drawing from now on: the mode bytes, the message, textured layers
// back to processor images, the GPU frame's target forgotten.
void Gpu_FallBackToCpu();
// The start-up's GPU step: the device when a GPU mode is on, else nothing;
// a failure falls back to CPU drawing and the start goes on. 0.
int Gpu_StartupStep();
// Installs the layer graphics' hooks into the renderer (idempotent).
void Gpu_InstallHooks();
// True while the device exists.
bool Gpu_DeviceLive();
// Generation of the device: raised by every creation, so that textures made
// on an earlier device are known to be gone.
uint32_t Gpu_Generation();

// ---- Textures (gpu_texture.cpp) ---------------------------------------------
constexpr int kTileGridMax = 31;  // columns or rows of one layer
// The tile grid of a layer: column widths and row heights.
struct TileGrid {
  int32_t cols = 0, rows = 0;
  int32_t colW[kTileGridMax] = {}, rowH[kTileGridMax] = {};
};
// Plans the grid for width x height with the caps (0: none). 0, or -1
// after the overflow message.
int Tex_PlanGrid(int32_t width, int32_t height, int32_t colCap, int32_t rowCap, TileGrid* g);
// Uploads the layer's pixels as texture tiles, keeping the arguments for a
// re-upload. 0, or -1 (the tiles made are released).
int QV_PASTESPRITE(LayerImage* rec, uint8_t mode, int32_t colCap, int32_t rowCap);
int D3d_UploadTexture(LayerImage* rec, bool keep);
int Tex_ReleaseTiles(LayerImage* rec);
// True when the layer has tiles made on the current device.
bool Tex_HasTiles(const LayerImage* rec);

// ---- Drawing (gpu_draw.cpp) -------------------------------------------------
int Gpu_DrawLayerTree(ObjNode* node);
int Gpu_DrawLayer(LayerImage* rec, LayerImage* mask, LayerImage* second, int opacityOn,
                  int blendMode);
// The place the player library draws an E-mote layer at: a target of
// width x height with the layer at (x, y) from its centre.
void Gpu_BuildLayerTransform(int32_t width, int32_t height, float x, float y);
// The library's place back to its neutral one (after device set-up).
void Gpu_ResetEmoteTransform();

// ---- Frame and reset (gpu_frame.cpp) -----------------------------------------
int D3d_PresentFrame();
int D3d_ResetDevice();
int D3d_ReloadLayerTree(ObjNode* node, int mode);
int Gpu_Clear();
// Copies the back buffer into the layer's pixels. 0 or -1.
int Gpu_ReadBackSurface(LayerImage* rec);
