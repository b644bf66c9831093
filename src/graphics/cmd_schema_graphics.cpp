// Command schema entries of the layer graphics: command 1 (layer set-up)
// and command 3 (delete layer). The names are the program side's; a game's
// command table names the same ids its own way.
#include <iterator>

#include "graphics/graphics.h"
#include "vm/cmd_schema.h"

namespace {

using namespace cgarg;

constexpr CmdArgSchema kCgArgs[] = {
    {kPath, "path", kArgText, 0, 0},        {kNumber, "num", kArgInt, 0, 0},
    {kVisible, "show", kArgInt, 0, 0},      {kOpacity, "alpha", kArgInt, 0, 0},
    {kX, "x", kArgInt, 0, 0},               {kY, "y", kArgInt, 0, 0},
    {kKey, "order", kArgInt, 0, 0},         {kWidth, "w", kArgInt, 0, 0},
    {kHeight, "h", kArgInt, 0, 0},          {kUpload, "tex", kArgInt, 0, 0},
    {kGpuLayer, "gpulayer", kArgInt, 0, 0}, {kGpuPresent, "gpuframe", kArgInt, 0, 0},
    {kX100, "x100", kArgInt, 0, 0},         {kY100, "y100", kArgInt, 0, 0},
    {kZoomX, "zoomx", kArgInt, 0, 0},       {kZoomY, "zoomy", kArgInt, 0, 0},
    {kGpuF0, "gf0", kArgInt, 0, 0},         {kGpuF1, "gf1", kArgInt, 0, 0},
    {kGpuF2, "gf2", kArgInt, 0, 0},         {kGpuV0, "gv0", kArgInt, 0, 0},
    {kGpuV0 + 1, "gv1", kArgInt, 0, 0},     {kGpuV0 + 2, "gv2", kArgInt, 0, 0},
    {kGpuV0 + 3, "gv3", kArgInt, 0, 0},     {kGpuV4, "gv4", kArgInt, 0, 0},
    {kGpuLevel, "glevel", kArgInt, 0, 0},   {kGpuColour, "gcolor", kArgInt, 0, 0},
    {kGpuByte, "gbyte", kArgInt, 0, 0},     {kGpuName, "gname", kArgText, 0, 0},
    {kGpuLevel2, "glevel2", kArgInt, 0, 0}, {kShrink, "shrink", kArgInt, 0, 0},
    {kFile, "file", kArgText, 0, 0},        {kShare, "share", kArgText, 0, 0},
    {kAlphaFrom, "alphafrom", kArgText, 0, 0}, {kMaskLevel, "masklevel", kArgInt, 0, 0},
    {kMaskPath, "mask", kArgText, 0, 0},    {kMaskNumber, "masknum", kArgInt, 0, 0},
    {kMaskGradient, "maskgrad", kArgInt, 0, 0}, {kBlendMode, "blend", kArgInt, 0, 0},
    {kExtra0, "v43", kArgInt, 0, 0},        {kExtra1, "v44", kArgInt, 0, 0},
};
constexpr CmdArgSchema kDelArgs[] = {
    {delarg::kPath, "path", kArgText, 0, 0},
    {delarg::kNumber, "num", kArgInt, 0, 0},
};

constexpr CmdSchemaEntry kGraphicsCmds[] = {
    {1, "cg", Cmd_CgSetup, cgarg::kCount, kCgArgs, uint8_t(std::size(kCgArgs))},
    {3, "cgdel", Cmd_DeleteObject, delarg::kCount, kDelArgs, uint8_t(std::size(kDelArgs))},
};

}  // namespace

void CmdSchema_RegisterGraphics() { CmdSchema_Add(kGraphicsCmds, std::size(kGraphicsCmds)); }
