// Argument ids of the text commands, fixed here for the engine, the command
// schema and the fixture scenes alike (the ids are positions in a game's
// command table; the names are this program's own).
#pragma once
#include <cstdint>

// Command numbers.
constexpr int kCmdTextStyle = 27;
constexpr int kCmdTextMetrics = 28;
constexpr int kCmdMsgEnd = 79;
constexpr int kCmdMsgSelect = 96;
constexpr int kCmdMsgQuery = 97;
constexpr int kCmdMsgText = 106;
constexpr int kCmdMsgPrint = 110;

// Command 96: message settings.
namespace msgarg {
enum : uint8_t {
  kLayer = 0, kMode = 1, kKey0 = 2,  // keys 0..7 at ids 2..9
  kDelay = 10, kNewLine = 11, kPage = 12, kNewLine2 = 13, kPage2 = 14, kClick = 15,
  kClear = 16, kCloseNewLine = 17, kClosePage = 18, kCloseClick = 19,
  kCount = 20,
};
}
// Command 97: message query; ids 1..7 choose, id 8 receives.
namespace msgquery {
enum : uint8_t {
  kMode = 1, kPenX = 2, kPenY = 3, kWaiting = 4, kCloseNewLine = 5, kClosePage = 6,
  kCloseClick = 7, kOut = 8, kCount = 9,
};
}
// Command 27: text style.
namespace stylearg {
enum : uint8_t {
  kSlot = 0, kFace = 1, kFaceName = 2, kSmooth = 3, kColour = 4, kColour2 = 5, kGradient = 6,
  kOrientation = 7, kWriteMode = 8, kSize = 9, kLineHeight = 10, kBold = 11, kCount = 12,
};
}
// Command 28: text metrics and queries.
namespace metricarg {
enum : uint8_t {
  kFace = 0, kName = 1, kSmooth = 2, kColour = 3, kColour2 = 4, kGradient = 5, kOrientation = 6,
  kWriteMode = 7, kSize = 8, kLineHeight = 9, kBold = 10, kFaceCount = 11, kZero = 12,
  kScript = 13, kWidth = 14, kHeight = 15, kText = 17, kOut = 18, kCount = 19,
};
}
