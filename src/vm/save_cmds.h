// Save data commands: 84 fills the DNO buffers with items and writes them
// into a ".sd" file of the save folder, 55 reads one record back into a
// variable or a layer, 85 empties every buffer. The file layer is
// files/save.h; layer pictures are reached through hooks that the graphics
// installs.
#pragma once
#include <cstdint>

struct ObjNode;

// A layer's picture for the save data, installed by the graphics.
struct SaveLayerHooks {
  // Width, height and BGRA rows (width * 4 bytes each, in the layer's row
  // order); false when the node holds no picture.
  bool (*picture)(ObjNode* node, uint32_t* width, uint32_t* height, const uint8_t** pixels) = nullptr;
  // Gives the layer a picture of that size with those pixels and stamps its
  // load time; 0, or -1 after a report.
  int (*restore)(ObjNode* node, uint32_t width, uint32_t height, const uint8_t* pixels) = nullptr;
  // Writes the layer as an image file at a host path: format 0 BMP, 1 PNG
  // (level 0..9), 2 JPEG (quality 1..100). 0, or nonzero on failure.
  int (*saveImage)(ObjNode* node, const char* hostPath, int format, int level) = nullptr;
};
extern SaveLayerHooks g_SaveLayerHooks;

int32_t Cmd_SaveData();         // 84
int32_t Cmd_SaveRead();         // 55
int32_t Cmd_SaveDataFreeAll();  // 85

// Argument ids (command table names in the schema).
namespace savearg {
// 84: ids 4..15 are the group flags, type t (0 int64, 1 double, 2 text)
// and group g (0..3) at 4 + 4 t + g.
constexpr uint8_t kFile = 0, kDno = 1, kLayer = 2, kNumber = 3, kFlagFirst = 4, kVar = 16, kCount = 17;
// 55
constexpr uint8_t kRFile = 0, kRDno = 1, kRVar = 2, kRLayer = 3, kRNumber = 4, kRCount = 5;
}  // namespace savearg

void CmdSchema_RegisterSave();
