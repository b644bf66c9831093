// GPU drawing of a layer tree: each textured layer's tiles as quads, the
// blend mode as blend equation and factors, a mask or second layer as a
// pass of the built-in effect.
//
// Where this path and the processor's compositor would differ, it follows
// the compositor: the opacity counts once in every mode; lighten, screen
// and exclusion take the colour scaled by alpha, multiply and darken the
// colour mixed toward white, so a transparent texel changes nothing; modes
// without a state of their own draw as mode 0; a layer without an alpha
// channel is drawn opaque; a mask's rule is its blue byte, high bytes
// showing first.
//
// Subtract is where the two paths differ. The compositor takes the target
// from the layer, max(s - d, 0), and mixes that with the target by the
// texel's weight w. Blending cannot give that: the result is not linear in
// d once it is clamped and weighted, and the stage program never sees the
// target. The reversed form s*w - d would even black out the target under
// clear texels. So the GPU takes the layer from the target, d - s*w
// (clamped at 0): a clear texel changes nothing and an opaque one darkens
// by its colour.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "base/base.h"
#include "graphics/graphics.h"
#include "media/media.h"
#include "render/gpu_internal.h"

namespace {

constexpr float kPi = 3.14159265358979323846f;

// Blend states of one mode and the stage program's colour rule.
struct ModeStates {
  GlBlendEq eq;
  GlBlendFactor src, dst;
  int32_t colourRule;  // 0 as is, 1 toward white by alpha, 2 scaled by alpha
};
using F = GlBlendFactor;
constexpr ModeStates kPlain = {GlBlendEq::Add, F::SrcAlpha, F::OneMinusSrcAlpha, 0};
ModeStates StatesFor(int mode) {
  switch (mode) {
    case 1: return {GlBlendEq::Add, F::SrcAlpha, F::One, 0};
    case 2: return {GlBlendEq::ReverseSubtract, F::SrcAlpha, F::One, 0};
    case 3: return {GlBlendEq::Add, F::Zero, F::SrcColor, 1};
    case 5: return {GlBlendEq::Add, F::OneMinusDstColor, F::One, 2};
    case 6: return {GlBlendEq::Max, F::One, F::One, 2};
    case 7: return {GlBlendEq::Min, F::One, F::One, 1};
    case 9: return {GlBlendEq::Add, F::OneMinusDstColor, F::OneMinusSrcColor, 2};
    default: return kPlain;
  }
}

GlFilter FilterFor(int8_t v) {
  return v <= 0 ? GlFilter::Nearest : v == 1 ? GlFilter::Linear : GlFilter::Anisotropic;
}

// Row-vector 3x3 rotation: v' = v * Rz(roll) * Rx(pitch) * Ry(yaw).
struct Mat3 {
  float m[3][3];
};
Mat3 Mul(const Mat3& a, const Mat3& b) {
  Mat3 r = {};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) r.m[i][j] += a.m[i][k] * b.m[k][j];
  return r;
}
Mat3 YawPitchRoll(float yaw, float pitch, float roll) {
  float cy = std::cos(yaw), sy = std::sin(yaw), cp = std::cos(pitch), sp = std::sin(pitch);
  float cr = std::cos(roll), sr = std::sin(roll);
  Mat3 rz = {{{cr, sr, 0}, {-sr, cr, 0}, {0, 0, 1}}};
  Mat3 rx = {{{1, 0, 0}, {0, cp, sp}, {0, -sp, cp}}};
  Mat3 ry = {{{cy, 0, -sy}, {0, 1, 0}, {sy, 0, cy}}};
  return Mul(Mul(rz, rx), ry);
}

// The four corners of every tile, strip order (top left, top right,
// bottom left, bottom right), placed by the layer's position, zoom and turn.
void BuildQuads(const LayerImage* rec, const GpuLayerTextures* t, uint32_t diffuse,
                std::vector<GpuVertex>* out) {
  // An E-mote layer's tile already holds the player where the library put
  // it: the tile covers the back buffer, unmoved and unturned.
  const bool emote = Gpu_IsEmoteLayer(rec);
  double px = emote ? 0.0 : double(rec->x100) / 100.0, py = emote ? 0.0 : double(rec->y100) / 100.0;
  double zx = emote ? 1.0 : double(rec->zoomX) / 10000.0;
  double zy = emote ? 1.0 : double(rec->zoomY) / 10000.0;
  // Turn about the origin (command 1 slots 22, 23: 1/100 pixel from the
  // layer's top left); slots 19..21 are yaw, pitch and roll in 1/100 degree.
  double ox = px + double(rec->gpuValues[0]) / 100.0, oy = py + double(rec->gpuValues[1]) / 100.0;
  const float* a = rec->gpuFloats;
  bool turned = !emote && (a[0] != 0 || a[1] != 0 || a[2] != 0);
  Mat3 rot = YawPitchRoll(a[0] / 100.0f * kPi / 180.0f, a[1] / 100.0f * kPi / 180.0f,
                          a[2] / 100.0f * kPi / 180.0f);
  int32_t width = emote ? t->grid.colW[0] : int32_t(rec->width);
  int32_t height = emote ? t->grid.rowH[0] : int32_t(rec->height);
  out->clear();
  int32_t x0 = 0;
  for (int c = 0; c < t->grid.cols; x0 += t->grid.colW[c], ++c) {
    int32_t y0 = 0;
    for (int r = 0; r < t->grid.rows; y0 += t->grid.rowH[r], ++r) {
      int32_t w = std::min(t->grid.colW[c], width - x0), h = std::min(t->grid.rowH[r], height - y0);
      for (int k = 0; k < 4; ++k) {
        double lx = x0 + ((k & 1) ? w : 0), ly = y0 + ((k & 2) ? h : 0);
        double sx = px + lx * zx, sy = py + ly * zy;
        if (turned) {
          double dx = sx - ox, dy = sy - oy;
          sx = ox + dx * rot.m[0][0] + dy * rot.m[1][0];
          sy = oy + dx * rot.m[0][1] + dy * rot.m[1][1];
        }
        GpuVertex v = {};
        v.x = float(sx), v.y = float(sy), v.z = 0.0f, v.rhw = 1.0f;
        v.diffuse = diffuse;
        v.tex[0][0] = (k & 1) ? 1.0f : 0.0f;
        v.tex[0][1] = (k & 2) ? 1.0f : 0.0f;
        out->push_back(v);
      }
    }
  }
}

// Tiles of a layer on the current device, uploaded again from its pixels
// when they were made on an earlier one.
const GpuLayerTextures* CurrentTiles(LayerImage* rec) {
  if (!rec) return nullptr;
  if (Gpu_IsEmoteLayer(rec)) return Tex_EmoteTile(rec);
  if (!Tex_HasTiles(rec)) {
    const GpuLayerTextures* t = Tex_Of(rec);
    if (!rec->pixels) return nullptr;
    if (QV_PASTESPRITE(rec, t ? t->mode : 0, t ? t->colCap : 0, t ? t->rowCap : 0) != 0)
      return nullptr;
  }
  return Tex_Of(rec);
}

bool SameGrid(const GpuLayerTextures* a, const GpuLayerTextures* b) {
  return a->grid.cols == b->grid.cols && a->grid.rows == b->grid.rows &&
         std::memcmp(a->grid.colW, b->grid.colW, sizeof a->grid.colW) == 0 &&
         std::memcmp(a->grid.rowH, b->grid.rowH, sizeof a->grid.rowH) == 0;
}

// The layer named by `path` (relative to the layer tree's current path):
// 0 with the node or null, -1 when the path does not resolve.
int ResolveLayer(const char* path, ObjNode** out) {
  *out = nullptr;
  if (!path[0]) return 0;
  char resolved[kObjPathMax];
  ObjTreeRoot& tree = g_TreeRoots[kTreeLayer];
  int32_t mode = Obj_ResolvePath(resolved, path, tree.curPath, false);
  if (mode < 0) return -1;
  *out = Obj_FindByPath(tree.root, resolved,
                        (mode == 1 ? kObjFindGroup : kObjFindLeaf) | kObjFindQuiet);
  return 0;
}

// The player library draws the E-mote layer into its tile: the colour,
// the three draw values and the layer's place, then the draw itself; the
// back buffer is the target again afterwards.
void RenderEmote(LayerImage* k) {
  GpuDevice& d = g_GpuDevice;
  if (k->gpuColour != 0x808080) Emote_SetColour226(k, k->gpuColour);
  GpuLayerTextures* t = Tex_EmoteTile(k);
  if (!t) {
    Sys_Trace("SetRenderTarget Error.");
    ++d.targetErrors;
    return;
  }
  PlatGl_BindTarget(t->emote);
  const float grey = float(0x80) / 255.0f;
  if (PlatGl_Clear(grey, grey, grey, 0.0f) != 0) Sys_Trace("D3D Clear Error.");
  Emote_SetDrawParam220(k, float(k->gpuValues[0]) / 100.0f / 2.0f,
                        int32_t(k->gpuValues[1] / 100 / 2));
  Emote_SetDrawParam222(k, float(k->zoomX) / 10000.0f);
  Emote_SetDrawParam224(k, -k->gpuFloats[2] / 100.0f * kPi / 180.0f);
  Gpu_BuildLayerTransform(d.width, d.height, float(k->x100) / 100.0f - float(d.width) / 2.0f,
                          float(k->y100) / 100.0f - float(d.height) / 2.0f);
  Emote_DriverCall(0);
  Emote_QueryHandle(k);
  PlatGl_BindTarget(d.backBuffer);
}

int DrawTree(ObjNode* node, int depth) {
  LayerImage* nr = Layer_Record(node);
  if (!nr || !nr->pixels || depth > kGpuTreeDepthMax) return 0;
  for (ObjNode* c = node->first; c; c = c->next) {
    if (c->kind == kObjKindGroup && DrawTree(c, depth + 1) != 0) return -1;
    LayerImage* k = Layer_Record(c);
    if (!k || k->kind == 0 || !k->visible || !k->pixels) continue;
    if (Gpu_IsEmoteLayer(k)) RenderEmote(k);
    ObjNode* mask = nullptr;
    ObjNode* second = nullptr;
    if (ResolveLayer(k->maskPath, &mask) != 0) return -1;
    if (ResolveLayer(k->gpuName, &second) != 0) return -1;
    Gpu_DrawLayer(k, Layer_Record(mask), Layer_Record(second), 1, k->blendMode);
  }
  return 0;
}

}  // namespace

int Gpu_DrawLayerTree(ObjNode* node) { return DrawTree(node, 0); }

void Gpu_BuildLayerTransform(int32_t width, int32_t height, float x, float y) {
  // Player units are pixels with y down and the origin at the layer's
  // place, measured from the centre of a width x height target.
  float* m = g_GpuDevice.emoteTransform;
  std::fill(m, m + 16, 0.0f);
  const float sx = width > 0 ? 2.0f / float(width) : 0.0f;
  const float sy = height > 0 ? -2.0f / float(height) : 0.0f;
  m[0] = sx, m[3] = x * sx;
  m[5] = sy, m[7] = y * sy;
  m[10] = 1.0f;
  m[15] = 1.0f;
}

void Gpu_ResetEmoteTransform() {
  if (Emote_Available()) Gpu_BuildLayerTransform(1, 1, 0.0f, 0.0f);
}

int Gpu_DrawLayer(LayerImage* rec, LayerImage* mask, LayerImage* second, int opacityOn,
                  int blendMode) {
  GpuDevice& d = g_GpuDevice;
  if (!rec || !d.live) return 0;
  const GpuLayerTextures* t = CurrentTiles(rec);
  if (!t || t->tiles.empty()) return 0;
  int32_t op = opacityOn ? std::clamp<int32_t>(rec->opacity, 0, 255) : 0;
  uint32_t diffuse = uint32_t(op) * 0x01010101u;

  // The pass: a mask with a gradient is the rule transition, else a second
  // layer the cross-fade. Their tiles must line up with the layer's.
  const GpuLayerTextures* other = nullptr;
  int prog = kProgStage;
  if (mask && rec->maskGradient > 0) {
    other = CurrentTiles(mask);
    prog = kProgPass1;
  } else if (second) {
    other = CurrentTiles(second);
    prog = kProgPass0;
  }
  if (prog != kProgStage && (!other || !SameGrid(t, other))) {
    Sys_Trace(prog == kProgPass1 ? "HLSL BeginPass1 Error." : "HLSL BeginPass0 Error.");
    prog = kProgStage;
    other = nullptr;
  }

  ModeStates st = StatesFor(blendMode);
  PlatGl_SetBlend(st.eq, st.src, st.dst);
  PlatGl_UseProgram(d.programs[prog]);
  const GpuUniforms& u = d.uniforms[prog];
  PlatGl_Uniform2f(u.screenSize, float(d.width), float(d.height));
  if (prog == kProgStage) {
    PlatGl_Uniform1i(u.colourRule, st.colourRule);
    PlatGl_Uniform1i(u.useAlpha, rec->alphaMode == 1 ? 1 : 0);
    // A mask without a gradient weighs the whole layer by its level, as
    // the compositor's flat mask weight does.
    float flat = 1.0f;
    if (mask && mask->pixels && rec->maskLevel < kOpacityFull)
      flat = float(std::clamp<int32_t>(rec->maskLevel + 1, 0, 256)) / 256.0f;
    PlatGl_Uniform1f(u.alphaVal, flat);
  } else if (prog == kProgPass1) {
    float g = float(rec->maskGradient), level = float(rec->maskLevel);
    PlatGl_Uniform1f(u.alphaVal, float(op) / 256.0f);
    PlatGl_Uniform1f(u.fadeVal, (level / 256.0f) * (1.0f / g + 0.5f));
    PlatGl_Uniform1f(u.fadeVal2, g);
  } else {
    PlatGl_Uniform1f(u.alphaVal, float(op) / 256.0f);
    PlatGl_Uniform1f(u.fadeVal, float(rec->gpuLevel2) / 256.0f);
  }

  static std::vector<GpuVertex> verts;  // kept: no allocation per frame
  BuildQuads(rec, t, diffuse, &verts);
  if (PlatGl_UploadVertices(verts.data(), int32_t(verts.size())) != 0) {
    Sys_Trace("DrawPrimitiveUP E2.");
    return -1;
  }
  GlFilter filter = FilterFor(g_GpuFilterSettings.mag);
  int result = 0;
  for (size_t i = 0; i < t->tiles.size(); ++i) {
    if (PlatGl_BindTexture(0, t->tiles[i], filter) != 0 ||
        PlatGl_BindTexture(1, other ? other->tiles[i] : 0, filter) != 0) {
      Sys_Trace("SetTexture Error.");
      result = -1;
      break;
    }
    if (PlatGl_DrawStrip(int32_t(i) * 4, 4) != 0) {
      Sys_Trace("DrawPrimitiveUP E2.");
      result = -1;
      break;
    }
  }
  PlatGl_BindTexture(1, 0, filter);
  PlatGl_UseProgram(0);
  return result;
}
