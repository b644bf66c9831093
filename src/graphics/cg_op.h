// Command 2 (one operation on layer images: effects, scaling, rotation,
// blits, cross-fades, canvas changes, text, name swaps, GPU paste and grab)
// and the frame-file commands 107 to 109.
#pragma once
#include <cstddef>
#include <cstdint>

#include "vm/objtree.h"

struct LayerImage;

// Argument ids of command 2 (fixed here for the engine and the fixture
// writer; the game's command table names them).
namespace oparg {
enum : uint8_t {
  kPath0 = 0, kPath1 = 1, kPath2 = 2, kPath3 = 3,  // first .. fourth layer
  kNum0 = 4, kNum1 = 5, kNum2 = 6, kNum3 = 7,      // their number suffixes
  kV1 = 9, kV2 = 10,                               // expressions
  kText = 11,
  kLeft = 12, kTop = 13, kRight = 14, kBottom = 15,  // inclusive, pixels
  kOutW = 16, kOutH = 17,
  kLeft100 = 18, kTop100 = 19, kRight100 = 20, kBottom100 = 21,
  kOutW100 = 22, kOutH100 = 23,
  kScaleNearest = 24, kScaleFiltered = 25, kScaleBicubic = 26, kScaleSuper = 27,
  kScaleLanczos = 28, kRotate = 29,
  kMono = 31, kBalance = 32, kSepia = 33,
  kCopyRect = 34, kBlitCopy = 35, kBlitOpacity = 36, kCrossFade = 37, kKeepDiff = 38,
  kKeepEqual = 39, kCrop = 40, kExtend = 41,
  kBright = 42, kThreshold = 43, kFlip = 44, kMirror = 45, kMosaic = 46, kBlur = 47,
  kAverageRows = 48, kAverageCols = 49, kBlurSums = 50, kAlphaBlur = 51, kAlphaBlurSums = 52,
  kScatter = 53, kWaveRows = 54, kWaveCols = 55, kWaveBoth = 56, kNegative = 57,
  kFillColour = 58, kFillAlpha = 59, kFillPixel = 60, kSwirl = 61,
  kFontSlot = 62, kDrawText = 63, kMove = 64, kCopyPixels = 65, kSwapPlace = 66,
  kSwapLooks = 67, kPaste = 68, kGrab = 69,
  kCount = 70,
};
}  // namespace oparg

// Argument ids of commands 107 (load and show), 108 (free), 109 (query).
namespace framearg {
enum : uint8_t {
  kPath = 0, kNumber = 1, kFile = 2, kIndex = 3,  // 107
  kTarget = 2, kFrames = 3, kValue1 = 4, kValue2 = 5, kValue3 = 6,  // 109
  kLoadCount = 4, kFreeCount = 2, kQueryCount = 7,
};
}  // namespace framearg

// The colour that fills new canvas margins: transparent, grey like the keyed
// pixels of the decoders.
constexpr uint32_t kCgKeyColour = 0x00808080u;

// What command 2 asks of the subsystems above the layer graphics. Each entry
// is installed at start-up by its owner; null while there is none.
struct CgOpHooks {
  // Text (src/text): selects a font slot; draws one character (one byte, or
  // a lead byte and its trail byte) with the current slot's style and
  // outline distance d at (x, y) into the layer and returns the advance.
  void (*setFontSlot)(int slot);
  int (*drawChar)(const char* ch, int d, int x, int y, ObjNode* layer);
  // Frame scalers (src/render): nearest pixel over a rectangle in pixels,
  // and the filtered scaler with rectangle and size in 1/100 pixel, alone or
  // over the pixel workers.
  void (*scaleNearest)(uint8_t* dst, const uint8_t* src, int32_t x0, int32_t y0, int32_t x1,
                       int32_t y1, int32_t srcW, int32_t srcH, int32_t dstW, int32_t dstH);
  void (*scaleFiltered)(uint8_t* dst, const uint8_t* src, int32_t x0, int32_t y0, int32_t x1,
                        int32_t y1, int32_t srcW, int32_t srcH, int32_t dstW100, int32_t dstH100);
  void (*scaleFilteredShared)(uint8_t* dst, const uint8_t* src, int32_t x0, int32_t y0,
                              int32_t x1, int32_t y1, int32_t srcW, int32_t srcH,
                              int32_t dstW100, int32_t dstH100);
  // Renderer: uploads the second layer as a sprite (0 done); draws the first
  // layer through the GPU and reads it back into the second (0 done).
  int (*pasteSprite)(LayerImage* first, LayerImage* second);
  int (*grabScreen)(ObjNode* first, ObjNode* second);
  // Media: an E-mote player moved from one record to another; the host's
  // player table must follow it.
  void (*moveEmote)(LayerImage* from, LayerImage* to);
};
extern CgOpHooks g_CgOpHooks;

// The renderer's scalers for methods 10 and 21 (the start-up passes them).
void Cg_SetFrameScalers(decltype(CgOpHooks::scaleNearest) nearest,
                        decltype(CgOpHooks::scaleFiltered) filtered,
                        decltype(CgOpHooks::scaleFilteredShared) shared);

int32_t Cmd_CgOperate();     // command 2
int32_t Cmd_FrameFileLoad();  // 107
int32_t Cmd_FrameFileFree();  // 108
int32_t Cmd_FrameFileQuery(); // 109

// ---- Effects (cg_effect*.cpp) ------------------------------------------
// Runs effect `effect` over the rectangle (inclusive, inside the first
// layer's image). The result replaces the first layer's image (cropped to
// the rectangle) or, with a second layer, becomes the second's. 0, or -1
// after a reported failure (the layers keep their images).
int Cg_ApplyEffect(int effect, ObjNode* first, ObjNode* second, int32_t left, int32_t top,
                   int32_t right, int32_t bottom, int32_t v1, int32_t v2, int count, int mode);

// ---- Scaling and rotation (cg_scale*.cpp) ------------------------------
// Methods: 10 nearest, 21 filtered, 31 bicubic, 41 supersampled bilinear,
// 51 Lanczos-2 over the whole image.
bool Cg_IsScaleMethod(int method);
int Cg_Scale(ObjNode* first, ObjNode* second, int32_t left100, int32_t top100, int32_t right100,
             int32_t bottom100, int32_t outW100, int32_t outH100, int count, int method);
// Scratch memory of the effects and scalers (malloc; a test may make it
// fail). Null when there is none: the operation reports 104030 and leaves
// its layers as they were.
extern void* (*g_CgScratchAlloc)(size_t bytes);
// The kernels, on plain buffers (out: W x H, tightly packed; src: a layer
// buffer of w x h with its spare row).
void Cg_ScaleMethod31(uint8_t* out, const uint8_t* src, int32_t left, int32_t top, int32_t right,
                      int32_t bottom, int32_t w, int32_t h, int32_t outW, int32_t outH);
// 0, or -1 after 104030 (its scratch); the output is then unfinished.
int Cg_ScaleMethod41(uint8_t* out, const uint8_t* src, int32_t x0, int32_t y0, int32_t x1,
                     int32_t y1, int32_t w, int32_t h, int32_t outW100, int32_t outH100);
// 0, or -1 after 104030 (the intermediate image or its tables); the output
// is then unfinished.
int Cg_ScaleMethod51(uint8_t* out, const uint8_t* src, int32_t w, int32_t h, int32_t outW,
                     int32_t outH);
double Cg_Sinc(double x);
double Cg_Lanczos2(double x);
// Rotation by V1 degrees; mode 11 (floor, bounds tested) or 12 (truncate).
int Cg_Rotate(ObjNode* first, ObjNode* second, int32_t v1, int count, int mode);

// ---- Blits (cg_blit.cpp) -----------------------------------------------
// Clips an image of the image record's size at (dx, dy) against a canvas of
// cw x ch into g_BlitRect; false when nothing is left.
bool Cg_ClipBlitRect(int32_t cw, int32_t ch, int32_t sw, int32_t sh, int32_t dx, int32_t dy);
int Cg_CopyRect(ObjNode* first, ObjNode* second, int32_t dx, int32_t dy);
int Cg_BlitCopy(ObjNode* first, ObjNode* second, int32_t dx, int32_t dy);
int Cg_BlitOpacity(ObjNode* first, ObjNode* second, ObjNode* third, int32_t dx, int32_t dy,
                   int32_t v1);
int Cg_BlitCrossFade(ObjNode* first, ObjNode* second, ObjNode* mask, ObjNode* canvas, int32_t dx,
                     int32_t dy, int32_t v1, int32_t v2);
// Weight table of the cross-fade for a level 0..256 and gradient: 0..256.
void Cg_BuildBlendTable(int32_t level, int32_t gradient, int32_t w[256]);
// out = a - (((a - b) * w[m]) >> 8) per byte, m the mask row's blue byte.
void Cg_BlendRow(const uint8_t* a, const uint8_t* b, const uint8_t* m, uint8_t* out,
                 const int32_t w[256], size_t pixels);
int Cg_KeepDifferent(ObjNode* first, ObjNode* second, int32_t dx, int32_t dy, int32_t v1);
int Cg_KeepEqual(ObjNode* first, ObjNode* second, int32_t dx, int32_t dy, int32_t v1);

// ---- Canvas changes (cg_canvas.cpp) ------------------------------------
// Side bits: 8 top, 4 bottom, 2 left, 1 right.
int Cg_CropCanvas(ObjNode* first, ObjNode* second, int count, int32_t sides);
int Cg_ExtendCanvas(ObjNode* first, ObjNode* second, int count, int32_t left, int32_t right,
                    int32_t top, int32_t bottom);
int Cg_PasteSprite(ObjNode* first, ObjNode* second);
int Cg_GrabScreen(ObjNode* first, ObjNode* second);
// Exchanges two layers' places among their siblings and their names; mode 1
// also their positions, mode 2 also their looks. 0, or -1 after 101297 when
// the swap would leave two siblings of one name.
int Cg_SwapNames(ObjNode* a, ObjNode* b, int mode);

// ---- Frame files (cg_frame*.cpp) ---------------------------------------
// Layout: u32 fields, little-endian.
namespace framefile {
constexpr size_t kOffCount = 8, kOffAlpha = 12, kOffValues = 16, kOffTables = 32;
constexpr uint32_t kMaxFrames = 65536;
}  // namespace framefile
// The scramble of frame streams: byte i of a stream is XORed with
// bytes[i % length]. The engine's own pattern unless a game sets another.
struct FrameScramble {
  const uint8_t* bytes;
  size_t length;  // 1..256
};
extern FrameScramble g_FrameScramble;
void Cg_ScrambleStream(uint8_t* p, size_t n);  // its own inverse

// The frame set of a layer (null without one).
struct FrameSet;
const FrameSet* Cg_GetFrameSet(const LayerImage* rec);
// Checks a frame file held in memory: 0 when its header and every stream
// lie inside it, -1 otherwise (nothing reported).
int Cg_CheckFrameFile(const uint8_t* data, size_t size);
// Loads, checks and unscrambles a frame file into the layer's frame set. 0,
// or -1 after the report.
int Cg_LoadFrameFile(ObjNode* node, const char* name);
// Same from bytes already in memory (a copy is kept).
int Cg_AttachFrameFile(LayerImage* rec, const uint8_t* data, size_t size, const char* name);
// Decodes frame `index` (limited to the frames) into the layer. 0, or -1.
int Cg_ShowFrame(ObjNode* node, int64_t index);
// Frame count, alpha flag and header values 1..3 (which 0..4).
int64_t Cg_FrameSetValue(const LayerImage* rec, int which);

// Registers commands 2, 107, 108 and 109 with the command schema.
void CmdSchema_RegisterCgOps();
