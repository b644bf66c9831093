// Command schema entries of command 2 (CG operation) and the frame-file
// commands 107, 108 and 109. The names are the program side's; a game's
// command table names the same ids its own way.
#include <iterator>

#include "graphics/cg_op.h"
#include "vm/cmd_schema.h"

namespace {

using namespace oparg;
constexpr uint8_t kInt = kArgInt, kTxt = kArgText;

constexpr CmdArgSchema kOpArgs[] = {
    {kPath0, "path", kTxt, 0, 0},        {kPath1, "path2", kTxt, 0, 0},
    {kPath2, "path3", kTxt, 0, 0},       {kPath3, "path4", kTxt, 0, 0},
    {kNum0, "num", kInt, 0, 0},          {kNum1, "num2", kInt, 0, 0},
    {kNum2, "num3", kInt, 0, 0},         {kNum3, "num4", kInt, 0, 0},
    // V1 and V2 are evaluated by the handler when the operation runs.
    {kV1, "v1", kArgRaw, 0, 1},          {kV2, "v2", kArgRaw, 0, 1},
    {kText, "text", kTxt, 0, 0},
    {kLeft, "left", kInt, 0, 0},         {kTop, "top", kInt, 0, 0},
    {kRight, "right", kInt, 0, 0},       {kBottom, "bottom", kInt, 0, 0},
    {kOutW, "w", kInt, 0, 0},            {kOutH, "h", kInt, 0, 0},
    {kLeft100, "left100", kInt, 0, 0},   {kTop100, "top100", kInt, 0, 0},
    {kRight100, "right100", kInt, 0, 0}, {kBottom100, "bottom100", kInt, 0, 0},
    {kOutW100, "w100", kInt, 0, 0},      {kOutH100, "h100", kInt, 0, 0},
    {kScaleNearest, "scale", kInt, 0, 0}, {kScaleFiltered, "scalefilter", kInt, 0, 0},
    {kScaleBicubic, "scalecubic", kInt, 0, 0}, {kScaleSuper, "scalesuper", kInt, 0, 0},
    {kScaleLanczos, "scalelanczos", kInt, 0, 0}, {kRotate, "rotate", kInt, 0, 0},
    {kMono, "mono", kInt, 0, 0},         {kBalance, "balance", kInt, 0, 0},
    {kSepia, "sepia", kInt, 0, 0},       {kCopyRect, "copy", kInt, 0, 0},
    {kBlitCopy, "blit", kInt, 0, 0},     {kBlitOpacity, "blitalpha", kInt, 0, 0},
    {kCrossFade, "crossfade", kInt, 0, 0}, {kKeepDiff, "keepdiff", kInt, 0, 0},
    {kKeepEqual, "keepequal", kInt, 0, 0}, {kCrop, "crop", kInt, 0, 0},
    {kExtend, "extend", kInt, 0, 0},     {kBright, "bright", kInt, 0, 0},
    {kThreshold, "threshold", kInt, 0, 0}, {kFlip, "flip", kInt, 0, 0},
    {kMirror, "mirror", kInt, 0, 0},     {kMosaic, "mosaic", kInt, 0, 0},
    {kBlur, "blur", kInt, 0, 0},         {kAverageRows, "avgrows", kInt, 0, 0},
    {kAverageCols, "avgcols", kInt, 0, 0}, {kBlurSums, "blursum", kInt, 0, 0},
    {kAlphaBlur, "alphablur", kInt, 0, 0}, {kAlphaBlurSums, "alphablursum", kInt, 0, 0},
    {kScatter, "scatter", kInt, 0, 0},   {kWaveRows, "waverows", kInt, 0, 0},
    {kWaveCols, "wavecols", kInt, 0, 0}, {kWaveBoth, "wave", kInt, 0, 0},
    {kNegative, "negative", kInt, 0, 0}, {kFillColour, "fill", kInt, 0, 0},
    {kFillAlpha, "fillalpha", kInt, 0, 0}, {kFillPixel, "fillpixel", kInt, 0, 0},
    {kSwirl, "swirl", kInt, 0, 0},       {kFontSlot, "font", kInt, 0, 0},
    {kDrawText, "print", kInt, 0, 0},    {kMove, "move", kInt, 0, 0},
    {kCopyPixels, "copypixels", kInt, 0, 0}, {kSwapPlace, "swap", kInt, 0, 0},
    {kSwapLooks, "swaplooks", kInt, 0, 0}, {kPaste, "paste", kInt, 0, 0},
    {kGrab, "grab", kInt, 0, 0},
};

constexpr CmdArgSchema kFrameLoadArgs[] = {
    {framearg::kPath, "path", kTxt, 0, 0}, {framearg::kNumber, "num", kInt, 0, 0},
    {framearg::kFile, "file", kTxt, 0, 0}, {framearg::kIndex, "frame", kInt, 0, 0},
};
constexpr CmdArgSchema kFrameFreeArgs[] = {
    {framearg::kPath, "path", kTxt, 0, 0}, {framearg::kNumber, "num", kInt, 0, 0},
};
constexpr CmdArgSchema kFrameQueryArgs[] = {
    {framearg::kPath, "path", kTxt, 0, 0},     {framearg::kNumber, "num", kInt, 0, 0},
    {framearg::kTarget, "target", kInt, 0, 0}, {framearg::kFrames, "frames", kInt, 0, 0},
    {framearg::kValue1, "value1", kInt, 0, 0}, {framearg::kValue2, "value2", kInt, 0, 0},
    {framearg::kValue3, "value3", kInt, 0, 0},
};

constexpr CmdSchemaEntry kCgOpCmds[] = {
    {2, "cgop", Cmd_CgOperate, kCount, kOpArgs, uint8_t(std::size(kOpArgs))},
    {107, "frameload", Cmd_FrameFileLoad, framearg::kLoadCount, kFrameLoadArgs,
     uint8_t(std::size(kFrameLoadArgs))},
    {108, "framefree", Cmd_FrameFileFree, framearg::kFreeCount, kFrameFreeArgs,
     uint8_t(std::size(kFrameFreeArgs))},
    {109, "frameinfo", Cmd_FrameFileQuery, framearg::kQueryCount, kFrameQueryArgs,
     uint8_t(std::size(kFrameQueryArgs))},
};

}  // namespace

void CmdSchema_RegisterCgOps() { CmdSchema_Add(kCgOpCmds, std::size(kCgOpCmds)); }
