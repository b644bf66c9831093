// Software compositor: rebuilds the changed part of a window's root layer
// image from its layer tree, over the dirty boxes.
#pragma once
#include <cstdint>

#include "vm/objtree.h"

struct LayerImage;

// What the compositor needs of a window record; the window code fills it
// from its WindowRec so that composition does not depend on window code.
struct CompWindow {
  int index = 0;                   // 0..3
  ObjNode* root = nullptr;         // shown layer root, or null
  uint8_t showAtFirstFrame = 0;    // the record's show-at-first-frame byte
  uint8_t* presented = nullptr;    // the record's presented byte (set to 1)
};

// GPU hand-off for window 0; both null while there is no renderer.
struct CompHooks {
  bool (*gpuDrawingOn)();
  void (*gpuDrawFrame)(ObjNode* root);  // draw and present the GPU frame
};
extern CompHooks g_CompHooks;

// Clip of one child against its parent's dirty box: source x, source y,
// destination x, destination y, width, height.
extern int32_t g_BlitRect[6];

// g_QuitRequested as a signed byte, or -1 when composition failed.
int32_t Comp_DrawWindow(const CompWindow& w);
// 0, or -1 after a reported error. nested: 0 for a window root, 1 for a group
// composed for its parent; depth counts the nesting (capped).
int32_t Comp_DrawLayerTree(ObjNode* node, int nested, int depth);
void Comp_MergeDirtyBox(ObjNode* node);
void Comp_ClipChildRect(const LayerImage* parent, const LayerImage* child, int caseBits);
// Recomposes one layer's subtree into its pixels at once.
int32_t Comp_RedrawLayer(ObjNode* node, int value);
// g_MaskWeights for a layer's mask level, gradient and opacity.
void Comp_BuildMaskWeights(int level, int gradient, int opacity);
// The frame driver's reset after presentation: clears the dirty, subtree-
// dirty and whole-image bytes, the mark counts and the draw boxes below and
// including `node`.
void Comp_ResetDirtyTree(ObjNode* node);
