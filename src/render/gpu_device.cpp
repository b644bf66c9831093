// The GPU device: the GL context, the back buffer and the "Render" and
// "GetSS" targets, the vertex stream and the built-in effect's programs;
// made at start-up and again after every reset. Any failure releases what
// was made and the caller falls back to CPU drawing.
#include <string>

#include "base/base.h"
#include "gpu_shaders.h"
#include "graphics/graphics.h"
#include "media/media.h"
#include "platform/text.h"
#include "render/gpu_internal.h"

D3dMode g_D3dMode;
GpuFilterSettings g_GpuFilterSettings;
GpuShellHooks g_GpuShellHooks;
GpuDevice g_GpuDevice;

namespace {

constexpr const char kTechnique[] = "RI_RoriveZeve1";

void ReadWindow0Size(int32_t* w, int32_t* h) {
  *w = *h = 0;
  if (g_GpuShellHooks.window0Size) g_GpuShellHooks.window0Size(w, h);
}

void FindUniforms(uint32_t prog, GpuUniforms* u) {
  u->screenSize = PlatGl_UniformLocation(prog, "QV_ScreenSize");
  u->texture1 = PlatGl_UniformLocation(prog, "QV_Texture1");
  u->texture2 = PlatGl_UniformLocation(prog, "QV_Texture2");
  u->texture3 = PlatGl_UniformLocation(prog, "QV_Texture3");
  u->alphaVal = PlatGl_UniformLocation(prog, "QV_AlphaVal");
  u->fadeVal = PlatGl_UniformLocation(prog, "QV_FadeVal");
  u->fadeVal2 = PlatGl_UniformLocation(prog, "QV_FadeVal2");
  u->texSize = PlatGl_UniformLocation(prog, "QV_TexSize");
  u->texDiffU = PlatGl_UniformLocation(prog, "QV_TexDiffU");
  u->colourRule = PlatGl_UniformLocation(prog, "QV_ColourRule");
  u->useAlpha = PlatGl_UniformLocation(prog, "QV_UseAlpha");
  // The samplers never change units: 1 and 2 on units 0 and 1, 3 on 2.
  PlatGl_UseProgram(prog);
  PlatGl_Uniform1i(u->texture1, 0);
  PlatGl_Uniform1i(u->texture2, 1);
  PlatGl_Uniform1i(u->texture3, 2);
  PlatGl_Uniform1f(u->alphaVal, 1.0f);
  PlatGl_Uniform1i(u->useAlpha, 1);
  PlatGl_UseProgram(0);
}

}  // namespace

void Gpu_Message(const char* captionUtf8, const char* textUtf8) {
  std::string text = Text_Utf8ToSjis(textUtf8);
  if (!captionUtf8) {
    Sys_MessageBoxF(nullptr, "%s", text.c_str());
    return;
  }
  std::string caption = Text_Utf8ToSjis(captionUtf8);
  Sys_MessageBoxF(caption.c_str(), "%s", text.c_str());
}

bool Gpu_DeviceLive() { return g_GpuDevice.live; }
uint32_t Gpu_Generation() { return g_GpuDevice.generation; }

int D3d_CreateDevice() {
  GpuDevice& d = g_GpuDevice;
  if (!d.modesListed) {
    d.modesListed = true;
    Sys_Trace("%s", Text_Utf8ToSjis("ディスプレイモード取得完了").c_str());
  }
  // The one context stands for the device; its fall-backs (3.3 core, then
  // ES 3.0) are the platform's.
  if (PlatGl_CreateContext(&d.info) != 0) {
    Gpu_Message(nullptr, "[Direct3D初期化エラー]Direct3Dの初期化に失敗しました。");
    return -1;
  }
  ++d.generation;
  Sys_Trace("GPU: %s, %s, textures up to %d", d.info.renderer.c_str(),
            d.info.api == GlApiKind::Es30 ? "ES 3.0" : "3.3 core", int(d.info.maxTextureSize));
  ReadWindow0Size(&d.width, &d.height);
  if (d.width <= 0 || d.height <= 0 || PlatGl_CreateTarget(&d.backBuffer, d.width, d.height) != 0) {
    Gpu_Message("エラー", "バックバッファサーフェス取得に失敗しました。");
    return -1;
  }
  // The read-back goes straight into the target layer's pixels: no
  // off-screen copy of the back buffer is kept.
  return 0;
}

int D3d_CheckCaps() {
  GpuDevice& d = g_GpuDevice;
  if (d.capsChecked) return 0;
  d.capsChecked = true;
  g_D3dMode.MaxTextureWidth = d.info.maxTextureSize;
  g_D3dMode.MaxTextureHeight = d.info.maxTextureSize;
  // The context's version stands for the shader model: 3.3 core or ES 3.0
  // both run the effect. A context without them was not made.
  if (d.info.api != GlApiKind::None && d.info.maxTextureSize >= 256) return 0;
  Gpu_Message("環境チェック",
              "ビデオカードにピクセルシェーダ 2.0以降 が実装されていません。\r\n"
              "ビデオカードが推奨スペック(※DirectX9.0 に対応したAGP/PCI-E接続ビデオカード、もしくはチップセット)を\r\n"
              "満たしていない可能性があります。\r\n\r\n"
              "[エンジン設定.exe]を起動して頂き、ゲーム画面の描画方法の項目を【 CPU(バイリニア) 】にセットして\r\n"
              "起動し直していただければ動作いたします。");
  return 1;
}

int D3d_SetDefaultStates() {
  GpuDevice& d = g_GpuDevice;
  if (PlatGl_SetDefaultStates() != 0) Sys_Trace("D3DRS_ALPHABLENDENABLE Error.");
  // Targets are always 32-bit: a 16-bit one could not be read back.
  if (PlatGl_CreateTarget(&d.render, d.width, d.height) != 0) {
    Gpu_Message(nullptr, "Render テクスチャを生成できませんでした。");
    return -1;
  }
  if (PlatGl_CreateTarget(&d.getSS, d.width, d.height) != 0) {
    Gpu_Message(nullptr, "GetSS テクスチャを生成できませんでした。");
    return -1;
  }
  return 0;
}

int Gpu_CreateVertexDecl() {
  if (PlatGl_CreateVertexStream(int32_t(sizeof(GpuVertex))) != 0) {
    Gpu_Message("", "CreateVertexDeclaration エラー.");
    return 1;
  }
  g_GpuDevice.vertexStream = true;
  return 0;
}

int D3d_InitShader() {
  static const char* const kFragments[kProgCount] = {kShaderStage, kShaderPass0, kShaderPass1,
                                                     kShaderPass2, kShaderPass3};
  GpuDevice& d = g_GpuDevice;
  for (int i = 0; i < kProgCount; ++i) {
    std::string log;
    d.programs[i] = PlatGl_BuildProgram(kShaderQuadVert, kFragments[i], &log);
    if (!d.programs[i]) {
      Sys_Trace("%s pass %d: %s", kTechnique, i - 1, log.c_str());
      Gpu_Message("", "[エラー] Shader Init Error.");
      return -1;
    }
    FindUniforms(d.programs[i], &d.uniforms[i]);
  }
  return 0;
}

int D3d_Init() {
  GpuDevice& d = g_GpuDevice;
  Sys_Trace("D3d_Init");
  if (D3d_CreateDevice() != 0) {
    Gpu_ReleaseAll();  // nothing made before the failure is kept
    return 1;
  }
  // The player library makes its driver on the new device; what it answers
  // does not decide whether the device is used.
  if (Emote_Available()) {
    Gpu_ResetEmoteTransform();
    Emote_InitDevice(&g_GpuDevice);
  }
  int r = D3d_CheckCaps();
  if (r == 0) r = D3d_SetDefaultStates();
  if (r == 0) {
    Gpu_CreateVertexDecl();
    if (D3d_InitShader() != 0) r = 1;
  }
  if (r != 0) Gpu_ReleaseAll();
  else d.live = true;
  return r;
}

int Gpu_ReleaseAll() {
  GpuDevice& d = g_GpuDevice;
  d.live = false;
  if (!PlatGl_HasContext()) return 0;
  // Every layer texture goes with the context; the generation marks them.
  // Where another thread still holds the context (a shut-down after the
  // frame thread), deleting the context frees its objects all the same.
  if (PlatGl_MakeCurrent()) {
    for (uint32_t p : d.programs) PlatGl_DeleteProgram(p);
    if (d.vertexStream) PlatGl_DeleteVertexStream();
    PlatGl_DeleteTarget(&d.getSS);
    PlatGl_DeleteTarget(&d.render);
    PlatGl_DeleteTarget(&d.backBuffer);
  }
  for (uint32_t& p : d.programs) p = 0;
  d.vertexStream = false;
  d.getSS = d.render = d.backBuffer = GlTarget();
  PlatGl_DestroyContext();
  return 0;
}

namespace {

// Textured layers become processor images again (their pixels were kept),
// so the compositor draws them from now on.
void ToCpuKinds(ObjNode* node, int depth) {
  if (!node || depth > kGpuTreeDepthMax) return;
  for (ObjNode* c = node->first; c; c = c->next) {
    if (LayerImage* r = Layer_Record(c)) {
      Tex_ReleaseTiles(r);
      if (r->kind == 1 || r->kind == 3) r->kind = 0;
    }
    ToCpuKinds(c, depth + 1);
  }
}

}  // namespace

void Gpu_FallBackToCpu() {
  Gpu_ReleaseAll();
  D3dMode& m = g_D3dMode;
  m.GpuFilter = 0;
  m.CpuFiltered = 1;
  m.FullGpu = m.GpuScaled = 0;
  ToCpuKinds(g_TreeRoots[kTreeLayer].root, 0);
  g_GpuDrawLayer = nullptr;
  g_FullRedraw = 1;
  if (g_GpuShellHooks.modeChanged) g_GpuShellHooks.modeChanged();
  Gpu_Message("", "GPU描画が出来ませんでした。CPU描画に移行します。");
}

int Gpu_StartupStep() {
  Gpu_InstallHooks();
  if (!g_D3dMode.FullGpu && !g_D3dMode.GpuScaled) return 0;
  // A failed render target (-1) falls back like every other failure: the
  // game runs on the processor rather than not at all.
  if (D3d_Init() != 0) Gpu_FallBackToCpu();
  // The frame may run on another thread; it takes the context there.
  PlatGl_ReleaseCurrent();
  return 0;
}
