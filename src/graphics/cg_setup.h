// Command 1 (layer set-up) and the assignment-operator helpers that many
// commands share.
#pragma once
#include <cstdint>

#include "vm/objtree.h"
#include "vm/vm.h"

struct LayerImage;

// Argument ids of command 1 (fixed here for the engine and the fixture
// writer; the game's command table names them).
namespace cgarg {
enum : uint8_t {
  kPath = 0, kNumber = 1, kVisible = 2, kOpacity = 3, kX = 4, kY = 5, kKey = 6, kWidth = 7,
  kHeight = 8, kUpload = 12, kGpuLayer = 13, kGpuPresent = 14, kX100 = 15, kY100 = 16,
  kZoomX = 17, kZoomY = 18, kGpuF0 = 19, kGpuF1 = 20, kGpuF2 = 21, kGpuV0 = 22, kGpuV4 = 26,
  kGpuLevel = 27, kGpuColour = 28, kGpuByte = 29, kGpuName = 30, kGpuLevel2 = 31, kShrink = 32,
  kFile = 33, kShare = 34, kAlphaFrom = 35, kMaskLevel = 37, kMaskPath = 38, kMaskNumber = 39,
  kMaskGradient = 40, kBlendMode = 41, kExtra0 = 43, kExtra1 = 44,
  kCount = 45,
};
}  // namespace cgarg
// Argument ids of command 3 (delete layer).
namespace delarg {
enum : uint8_t { kPath = 0, kNumber = 1, kCount = 2 };
}


// What command 1 asks of the renderer; each null while there is none.
struct CgGpuHooks {
  bool (*fullGpu)();                  // full-GPU drawing mode is on
  int (*pasteSprite)(LayerImage* rec);  // upload as texture tiles; 0 ok
  void (*presentFrame)();             // draw and present the GPU frame now
};
extern CgGpuHooks g_CgGpuHooks;

int32_t Cmd_CgSetup();  // command 1
// A group layer with a cleared canvas of width x height under the group
// that the path names; null after a reported error.
LayerImage* Cg_Create(const char* path, int64_t width, int64_t height, int64_t key, int flag);
// A leaf node without a record at the path; null when its group is missing.
ObjNode* Cg_CreateNode(ObjNode* root, const char* path, int mode, int64_t key);
int Cg_SetImageFile(LayerImage* rec, const char* name, int flag);
int Cg_Relink(ObjNode* node, int64_t key);

// Registers commands 1 and 3 with the command schema.
void CmdSchema_RegisterGraphics();
