// The per-frame GPU step for the main window: watch for a lost device and
// reset it when due, draw window 0's textured layers into the back buffer
// and read the result back into the layer that command 1 named. A failed
// reset switches to CPU drawing for good.
#include <cstring>

#include "base/base.h"
#include "graphics/cg_op.h"
#include "graphics/graphics.h"
#include "media/media.h"
#include "platform/text.h"
#include "render/gpu_internal.h"

namespace {


bool FullGpuOn() { return g_D3dMode.FullGpu && g_GpuDevice.live; }

void DrawFrame() {
  GpuDevice& d = g_GpuDevice;
  PlatGl_BindTarget(d.backBuffer);
  Gpu_Clear();
  Gpu_DrawLayerTree(Gpu_Window0Root());
  if (g_D3dMode.GpuScaled || !g_GpuDrawLayer) return;
  ObjNode* node = g_GpuDrawLayer;
  LayerImage* t = Layer_Record(node);
  if (t && t->pixels && int32_t(t->width) == d.width && int32_t(t->height) == d.height) {
    if (Gpu_ReadBackSurface(t) == 0) Layer_MarkDirty(node);
    return;
  }
  // Shown once: the target is forgotten, so the next frame does not ask
  // again (the box is modal).
  if (!d.sizeMismatchShown) {
    d.sizeMismatchShown = true;
    std::string text = Text_Utf8ToSjis(
        "転送先バッファとオフスクリーンバッファのサイズが異なります。\r\n(%d, %d) --- (%d, %d)");
    Sys_MessageBoxF("", text.c_str(), t ? int(t->width) : 0, t ? int(t->height) : 0, int(d.width),
                    int(d.height));
  }
  g_GpuDrawLayer = nullptr;
}

// An E-mote layer made again from its file on the new device: the loader
// makes a new player, which gets the layer's values, its flag and the state
// saved before the reset.
void ReloadEmote(LayerImage* k) {
  char name[sizeof k->fileName];
  std::memcpy(name, k->fileName, sizeof name);
  k->fileName[0] = 0;
  if (Img_LoadFile(k, name) != 0) return;
  Emote_SetParamA(k, k->playerValues[0]);
  Emote_SetParamB(k, k->playerValues[1]);
  Emote_SetParamC(k, k->playerValues[2]);
  Emote_ForObject(k, uint8_t(k->playerFlag));
  Emote_RestoreAll();
}

// Tiles of every textured layer below `node` released (mode 1) or made
// again from the pixels (mode 2). A failed upload is traced and the walk
// goes on, so one layer does not cost all the later ones their textures.
void ReloadTree(ObjNode* node, int mode, int depth) {
  if (!node || depth > kGpuTreeDepthMax) return;
  for (ObjNode* c = node->first; c; c = c->next) {
    if (c->kind == kObjKindGroup) ReloadTree(c, mode, depth + 1);
    LayerImage* k = Layer_Record(c);
    if (!k || k->kind == 0 || !k->pixels) continue;
    if (mode == 1) {
      Tex_ReleaseTiles(k);
      continue;
    }
    if (k->fileName[0] && Emote_Available()) {
      ReloadEmote(k);
      continue;  // its tile is made when it is next drawn
    }
    const GpuLayerTextures* t = Tex_Of(k);
    if (QV_PASTESPRITE(k, t ? t->mode : 0, t ? t->colCap : 0, t ? t->rowCap : 0) != 0)
      Sys_Trace("[ID:%s] %s", c->name, Text_Utf8ToSjis("読み込みエラー..").c_str());
  }
}

// Command 2's paste: the second layer's pixels become its textures again
// (the first only names the operation's source), and a processor image
// becomes a sprite that the GPU walk draws.
int PasteSprite(LayerImage* /*first*/, LayerImage* second) {
  if (!FullGpuOn() || !second || !second->pixels || !PlatGl_MakeCurrent()) return -1;
  const GpuLayerTextures* t = Tex_Of(second);
  const uint8_t mode = t ? t->mode : 0;
  const int32_t colCap = t ? t->colCap : 0, rowCap = t ? t->rowCap : 0;
  if (QV_PASTESPRITE(second, mode, colCap, rowCap) != 0) return -1;
  if (second->kind == 0) second->kind = 1;
  return 0;
}

// Command 2's grab: the first layer alone drawn at its place into the
// "GetSS" target and read back into the second layer, which takes the
// back buffer's size. 0, or -1 after the trace (or the allocator's report).
int GrabScreen(ObjNode* first, ObjNode* second) {
  GpuDevice& d = g_GpuDevice;
  if (!FullGpuOn() || !PlatGl_MakeCurrent()) {
    Sys_Trace("QV_D3DDevice Error.");
    return -1;
  }
  LayerImage* src = Layer_Record(first);
  LayerImage* dst = Layer_Record(second);
  if (!src || !dst || !d.getSS.fbo) {
    Sys_Trace("QV_BACKBUFFER Error.");
    return -1;
  }
  if ((int32_t(dst->width) != d.width || int32_t(dst->height) != d.height || !dst->pixels) &&
      Img_SetSize(dst, d.width, d.height, second->name) != 0)
    return -1;
  PlatGl_BindTarget(d.getSS);
  Gpu_Clear();
  int r = Gpu_DrawLayer(src, nullptr, nullptr, 1, src->blendMode);
  if (r == 0 && PlatGl_ReadPixels(d.getSS, dst->pixels, size_t(dst->width) * 4) != 0) {
    Sys_Trace("GetRenderTargetData Error.");
    r = -1;
  }
  PlatGl_BindTarget(d.backBuffer);
  return r;
}

}  // namespace

ObjNode* Gpu_Window0Root() {
  return g_GpuShellHooks.window0Root ? g_GpuShellHooks.window0Root() : nullptr;
}

int Gpu_Clear() {
  if (PlatGl_Clear(0.0f, 0.0f, 0.0f, 0.0f) != 0) Sys_Trace("D3D Clear Error.");
  return 0;
}

int Gpu_ReadBackSurface(LayerImage* rec) {
  GpuDevice& d = g_GpuDevice;
  if (!d.live) {
    Sys_Trace("QV_D3DDevice Error.");
    return -1;
  }
  if (PlatGl_ReadPixels(d.backBuffer, rec->pixels, size_t(rec->width) * 4) != 0) {
    Sys_Trace("GetRenderTargetData Error.");
    return -1;
  }
  return 0;
}

int D3d_ReloadLayerTree(ObjNode* node, int mode) {
  ReloadTree(node, mode, 0);
  return 0;
}

int D3d_ResetDevice() {
  Gpu_ReleaseAll();
  if (D3d_Init() != 0) {
    Gpu_FallBackToCpu();
    return -1;
  }
  Sys_Trace("DeviceReset End.");
  ObjNode* root = Gpu_Window0Root();
  LayerImage* r = Layer_Record(root);
  if (r && r->pixels) ReloadTree(root, 2, 0);
  return 0;
}

int D3d_PresentFrame() {
  D3dMode& m = g_D3dMode;
  if (!m.GpuScaled && !g_GpuDrawLayer) return 0;
  if (!g_GpuDevice.live || !PlatGl_MakeCurrent()) return 0;
  bool due = PlatGl_ResetReported();
  std::atomic<uint8_t>* request = g_GpuShellHooks.resetRequest;
  if (request && *request) {
    due = true;
    if (!m.GpuScaled) *request = 0;
  }
  if (due) {
    if (m.GpuScaled || !m.FullGpu) return 0;
    Sys_Trace("%s", Text_Utf8ToSjis("-------------------- Direct3D 再初期化します.").c_str());
    // The players live on the device: their state is kept in their layers,
    // they and the driver go, and the reset makes them again from files.
    if (Emote_Available()) {
      Emote_SaveStates();
      Emote_ReleaseForReset();
    }
    if (D3d_ResetDevice() != 0) return 0;
    if (Emote_Available()) {
      Gpu_ResetEmoteTransform();
      g_FullRedraw = 1;
    }
    Sys_Trace("%s", Text_Utf8ToSjis("-------------------- Direct3D 再初期化しました.").c_str());
  }
  DrawFrame();
  return 0;
}

void Gpu_InstallHooks() {
  g_CompHooks.gpuDrawingOn = FullGpuOn;
  g_CompHooks.gpuDrawFrame = [](ObjNode*) { D3d_PresentFrame(); };
  g_CgGpuHooks.fullGpu = FullGpuOn;
  g_CgGpuHooks.pasteSprite = [](LayerImage* rec) {
    return PlatGl_MakeCurrent() ? QV_PASTESPRITE(rec, 0, 0, 0) : -1;
  };
  g_CgGpuHooks.presentFrame = [] { D3d_PresentFrame(); };
  g_CgOpHooks.pasteSprite = PasteSprite;
  g_CgOpHooks.grabScreen = GrabScreen;
  g_LayerHooks.releaseRecord = [](LayerImage* rec) {
    if (Gpu_DeviceLive()) PlatGl_MakeCurrent();
    Tex_ReleaseTiles(rec);
  };
}
