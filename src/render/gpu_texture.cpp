// Layer textures: a layer's pixels uploaded into a grid of tiles. Columns
// and rows take power-of-two sizes capped by the device, the tile limits
// and the caller's caps; the last tile of a row or column is made only as
// large as the pixels it covers, so no texel that was never written is
// drawn. Uploads go straight from the layer's rows.
#include <algorithm>
#include <new>

#include "base/base.h"
#include "graphics/graphics.h"
#include "media/media.h"
#include "render/gpu_internal.h"

namespace {

GpuLayerTextures* TexRecord(LayerImage* rec);

constexpr int32_t kTileSizes[] = {16, 32, 64, 128, 256, 512, 1024, 2048, 4096, 8192};

// Sizes along one side; the count, or -1 with `rest` the pixels left when
// the grid ran out.
int PlanSide(int32_t total, int32_t deviceMax, int32_t tileMax, int32_t cap, int32_t* out,
             int32_t* rest) {
  int n = 0;
  int32_t remaining = total;
  while (remaining > 0) {
    if (n == kTileGridMax) {
      *rest = remaining;
      return -1;
    }
    int32_t size = 8192;
    for (int32_t s : kTileSizes)
      if (s >= remaining) {
        size = s;
        break;
      }
    if (deviceMax > 0 && size > deviceMax) size = deviceMax;
    if (tileMax > 0 && size > tileMax) size = tileMax;
    if (cap > 0 && size > cap) size = cap;
    out[n++] = size;
    remaining -= size;
  }
  return n;
}

void DeleteTextures(GpuLayerTextures* t) {
  // Names made on an earlier device went with its context.
  if (t->generation == Gpu_Generation() && Gpu_DeviceLive()) {
    if (t->emote.fbo) PlatGl_DeleteTarget(&t->emote);
    else
      for (uint32_t tex : t->tiles) PlatGl_DeleteTexture(tex);
  }
  t->emote = GlTarget();
  t->tiles.clear();
}

// The layer's texture record, made on first use; null after the message.
GpuLayerTextures* TexRecord(LayerImage* rec) {
  GpuLayerTextures* t = Tex_Of(rec);
  if (t) return t;
  t = new (std::nothrow) GpuLayerTextures();
  if (!t) {
    Gpu_Message(nullptr, "メモリ不足エラー.");
    return nullptr;
  }
  rec->textureTiles[0] = t;
  return t;
}

}  // namespace

GpuLayerTextures* Tex_Of(const LayerImage* rec) {
  return rec ? static_cast<GpuLayerTextures*>(rec->textureTiles[0]) : nullptr;
}

bool Tex_HasTiles(const LayerImage* rec) {
  const GpuLayerTextures* t = Tex_Of(rec);
  return t && !t->tiles.empty() && t->generation == Gpu_Generation() && Gpu_DeviceLive();
}

int Tex_PlanGrid(int32_t width, int32_t height, int32_t colCap, int32_t rowCap, TileGrid* g) {
  *g = TileGrid();
  int32_t rest = 0;
  int cols = PlanSide(width, g_D3dMode.MaxTextureWidth, int32_t(g_D3dMode.TileMaxWidth), colCap,
                      g->colW, &rest);
  if (cols < 0) {
    Sys_MessageBoxF(nullptr, "TXNUM Overflow Error.");
    return -1;
  }
  int rows = PlanSide(height, g_D3dMode.MaxTextureHeight, int32_t(g_D3dMode.TileMaxHeight), rowCap,
                      g->rowH, &rest);
  // The record holds kTextureTileMax tiles; a grid beyond them is refused
  // like a grid that is too tall.
  if (rows > 0 && cols * rows > int(kTextureTileMax)) {
    rest = 0;
    for (int r = int(kTextureTileMax) / cols; r < rows; ++r) rest += g->rowH[r];
    rows = -1;
  }
  if (rows < 0) {
    Sys_MessageBoxF(nullptr, "TYNUM Overflow Error. SX = %d, SY = %d, mRest = %d", int(width),
                    int(height), int(rest));
    return -1;
  }
  g->cols = cols;
  g->rows = rows;
  return 0;
}

int Tex_ReleaseTiles(LayerImage* rec) {
  GpuLayerTextures* t = Tex_Of(rec);
  if (!t) return 0;
  DeleteTextures(t);
  delete t;
  rec->textureTiles[0] = nullptr;
  return 0;
}

int D3d_UploadTexture(LayerImage* rec, bool keep) {
  GpuLayerTextures* t = TexRecord(rec);
  if (!t) return -1;
  if (!keep) DeleteTextures(t);
  if (!Gpu_DeviceLive() || !rec->pixels) return -1;
  TileGrid g;
  if (Tex_PlanGrid(int32_t(rec->width), int32_t(rec->height), t->colCap, t->rowCap, &g) != 0)
    return -1;
  DeleteTextures(t);
  t->grid = g;
  t->generation = Gpu_Generation();
  GlTexFormat format = g_D3dMode.Textures16Bit ? GlTexFormat::Rgba4 : GlTexFormat::Rgba8;
  int32_t width = int32_t(rec->width), height = int32_t(rec->height);
  int32_t x0 = 0;
  for (int c = 0; c < g.cols; x0 += g.colW[c], ++c) {
    int32_t y0 = 0;
    for (int r = 0; r < g.rows; y0 += g.rowH[r], ++r) {
      int32_t w = std::min(g.colW[c], width - x0), h = std::min(g.rowH[r], height - y0);
      uint32_t tex = PlatGl_CreateTexture(w, h, format);
      if (!tex) {
        Gpu_Message(nullptr,
                    "テクスチャを生成できませんでした。\r\nVRAM容量不足の可能性があります。\r\n\r\n"
                    "※解決方法\r\n一度ゲームを終了してから[エンジン設定.exe]を起動して頂き、"
                    "ゲーム画面の描画方法の項目を【 CPU(バイリニア) 】にセットして\r\n"
                    "起動し直していただければ動作いたします。");
        Sys_Trace("[DX]テクスチャを生成できませんでした。");
        DeleteTextures(t);  // no half-made grid stays with the layer
        return -1;
      }
      t->tiles.push_back(tex);
      const uint8_t* src = rec->pixels + (size_t(y0) * size_t(width) + size_t(x0)) * 4;
      if (PlatGl_UploadTexture(tex, format, src, width, w, h) != 0) {
        Gpu_Message("エラー", "サーフェス転送失敗。");
        DeleteTextures(t);
        return -1;
      }
    }
  }
  return 0;
}

bool Gpu_IsEmoteLayer(const LayerImage* rec) {
  return rec && rec->kind == 2 && Emote_Available();
}

GpuLayerTextures* Tex_EmoteTile(LayerImage* rec) {
  if (!Gpu_DeviceLive()) return nullptr;
  GpuLayerTextures* t = TexRecord(rec);
  if (!t) return nullptr;
  if (t->emote.fbo && t->generation == Gpu_Generation()) return t;
  DeleteTextures(t);
  const GpuDevice& d = g_GpuDevice;
  if (PlatGl_CreateTarget(&t->emote, d.width, d.height) != 0) {
    Sys_Trace("[DX]テクスチャを生成できませんでした。");
    return nullptr;
  }
  t->generation = Gpu_Generation();
  t->grid = TileGrid();
  t->grid.cols = t->grid.rows = 1;
  t->grid.colW[0] = d.width;
  t->grid.rowH[0] = d.height;
  t->tiles.push_back(t->emote.tex);
  return t;
}

int QV_PASTESPRITE(LayerImage* rec, uint8_t mode, int32_t colCap, int32_t rowCap) {
  if (!rec) return -1;
  GpuLayerTextures* t = TexRecord(rec);
  if (!t) return -1;
  t->mode = mode;
  t->colCap = colCap;
  t->rowCap = rowCap;
  if (D3d_UploadTexture(rec, false) != 0) {
    Sys_Trace("QV_PASTESPRITE Error.");
    return -1;
  }
  return 0;
}
