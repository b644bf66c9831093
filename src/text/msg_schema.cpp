// Command schema entries of the text commands: 27, 28, 79, 96, 97, 106
// and 110. The texts of 106 and the values of 110 are read by the handlers
// themselves, so their descriptors are raw; so is the one whose two words
// command 79 keeps.
#include <iterator>

#include "text/text.h"
#include "text/text_args.h"
#include "vm/cmd_schema.h"

namespace {
constexpr uint8_t kForce = 1;

constexpr CmdArgSchema kSelectArgs[] = {
    {msgarg::kLayer, "layer", kArgText, 0, 0},
    {msgarg::kMode, "mode", kArgInt, 0, 0},
    {msgarg::kKey0 + 0, "key0", kArgInt, 0, 0},
    {msgarg::kKey0 + 1, "key1", kArgInt, 0, 0},
    {msgarg::kKey0 + 2, "key2", kArgInt, 0, 0},
    {msgarg::kKey0 + 3, "key3", kArgInt, 0, 0},
    {msgarg::kKey0 + 4, "key4", kArgInt, 0, 0},
    {msgarg::kKey0 + 5, "key5", kArgInt, 0, 0},
    {msgarg::kKey0 + 6, "key6", kArgInt, 0, 0},
    {msgarg::kKey0 + 7, "key7", kArgInt, 0, 0},
    {msgarg::kDelay, "delay", kArgInt, 0, 0},
    {msgarg::kNewLine, "newline", kArgInt, 0, 0},
    {msgarg::kPage, "page", kArgInt, 0, 0},
    {msgarg::kNewLine2, "newline2", kArgInt, 0, 0},
    {msgarg::kPage2, "page2", kArgInt, 0, 0},
    {msgarg::kClick, "click", kArgInt, 0, 0},
    {msgarg::kClear, "clear", kArgInt, 0, 0},
    {msgarg::kCloseNewLine, "closenewline", kArgInt, 0, 0},
    {msgarg::kClosePage, "closepage", kArgInt, 0, 0},
    {msgarg::kCloseClick, "closeclick", kArgInt, 0, 0},
};
constexpr CmdArgSchema kQueryArgs[] = {
    {msgquery::kMode, "mode", kArgInt, 0, 0},
    {msgquery::kPenX, "x", kArgInt, 0, 0},
    {msgquery::kPenY, "y", kArgInt, 0, 0},
    {msgquery::kWaiting, "waiting", kArgInt, 0, 0},
    {msgquery::kCloseNewLine, "closenewline", kArgInt, 0, 0},
    {msgquery::kClosePage, "closepage", kArgInt, 0, 0},
    {msgquery::kCloseClick, "closeclick", kArgInt, 0, 0},
    {msgquery::kOut, "out", kArgInt, 0, 0},
};
constexpr CmdArgSchema kTextArgs[] = {{0, "text", kArgRaw, 0, kForce}};
constexpr CmdArgSchema kPrintArgs[] = {{0, "value", kArgRaw, 0, kForce}};
constexpr CmdArgSchema kEndArgs[] = {{0, "mark", kArgRaw, 0, kForce}};
constexpr CmdArgSchema kStyleArgs[] = {
    {stylearg::kSlot, "slot", kArgInt, 0, 0},
    {stylearg::kFace, "face", kArgInt, 0, 0},
    {stylearg::kFaceName, "facename", kArgText, 0, 0},
    {stylearg::kSmooth, "smooth", kArgInt, 0, 0},
    {stylearg::kColour, "color", kArgInt, 0, 0},
    {stylearg::kColour2, "color2", kArgInt, 0, 0},
    {stylearg::kGradient, "gradient", kArgInt, 0, 0},
    {stylearg::kOrientation, "orient", kArgInt, 0, 0},
    {stylearg::kWriteMode, "writemode", kArgInt, 0, 0},
    {stylearg::kSize, "size", kArgInt, 0, 0},
    {stylearg::kLineHeight, "lineheight", kArgInt, 0, 0},
    {stylearg::kBold, "bold", kArgInt, 0, 0},
};
constexpr CmdArgSchema kMetricArgs[] = {
    {metricarg::kFace, "face", kArgInt, 0, 0},
    {metricarg::kName, "name", kArgInt, 0, 0},
    {metricarg::kSmooth, "smooth", kArgInt, 0, 0},
    {metricarg::kColour, "color", kArgInt, 0, 0},
    {metricarg::kColour2, "color2", kArgInt, 0, 0},
    {metricarg::kGradient, "gradient", kArgInt, 0, 0},
    {metricarg::kOrientation, "orient", kArgInt, 0, 0},
    {metricarg::kWriteMode, "writemode", kArgInt, 0, 0},
    {metricarg::kSize, "size", kArgInt, 0, 0},
    {metricarg::kLineHeight, "lineheight", kArgInt, 0, 0},
    {metricarg::kBold, "bold", kArgInt, 0, 0},
    {metricarg::kFaceCount, "count", kArgInt, 0, 0},
    {metricarg::kZero, "zero", kArgInt, 0, 0},
    {metricarg::kScript, "script", kArgInt, 0, 0},
    {metricarg::kWidth, "width", kArgInt, 0, 0},
    {metricarg::kHeight, "height", kArgInt, 0, 0},
    {metricarg::kText, "text", kArgText, 0, 0},
    {metricarg::kOut, "out", kArgInt, 0, 0},
};

constexpr CmdSchemaEntry kTextCmds[] = {
    {kCmdTextStyle, "textstyle", Cmd_TextStyle, stylearg::kCount, kStyleArgs,
     uint8_t(std::size(kStyleArgs))},
    {kCmdTextMetrics, "textget", Cmd_TextMetrics, metricarg::kCount, kMetricArgs,
     uint8_t(std::size(kMetricArgs))},
    {kCmdMsgEnd, "msgend", Cmd_MsgEnd, 1, kEndArgs, uint8_t(std::size(kEndArgs))},
    {kCmdMsgSelect, "msg", Cmd_MsgSelect, msgarg::kCount, kSelectArgs,
     uint8_t(std::size(kSelectArgs))},
    {kCmdMsgQuery, "msgget", Cmd_MsgQuery, msgquery::kCount, kQueryArgs,
     uint8_t(std::size(kQueryArgs))},
    {kCmdMsgText, "msgtext", Cmd_MsgText, 1, kTextArgs, uint8_t(std::size(kTextArgs))},
    {kCmdMsgPrint, "msgprint", Cmd_MsgPrint, 1, kPrintArgs, uint8_t(std::size(kPrintArgs))},
};

}  // namespace

void CmdSchema_RegisterText() { CmdSchema_Add(kTextCmds, std::size(kTextCmds)); }
