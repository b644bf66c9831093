// Fixed limits of the text subsystem, checked where text enters a message
// (commands 96, 106, 110, 79) and where a style enters a font slot
// (command 27).
#pragma once
#include <cstdint>

// Text bytes of the message record: 8190 usable, a terminator, one spare.
constexpr int kMsgTextSize = 8192;
constexpr int kMsgTextUsable = 8190;
// Ops appended by the fill commands (96, 106, 110) stop at this count, so
// that the closing command's four marks, the terminator and the look-ahead
// of the line wrap (entry p + 1) always stay inside the op arrays.
constexpr int kMsgOpFillMax = 8190;
constexpr int kMsgCloseOps = 4;  // 'C', 'R', 'P', 'E' of command 79
constexpr int kMsgOpSize = kMsgOpFillMax + kMsgCloseOps + 8;
// Longest value command 110 prints.
constexpr int kMsgPrintMax = 1024;
// Per-op delays are 16-bit: delays are kept within 0..32767 ms.
constexpr int32_t kMsgDelayMax = 32767;

// Advance keys: 0..3 click keys, 4..7 skip keys; 1023 is "no key".
constexpr int kMsgAdvanceKeyCount = 8;
constexpr int kMsgFirstSkipKey = 4;
constexpr int32_t kMsgNoKey = 1023;
// Left button and Enter click, Ctrl skips.
constexpr int32_t kMsgDefaultKeys[kMsgAdvanceKeyCount] = {1, 13, kMsgNoKey, kMsgNoKey,
                                                          17, kMsgNoKey, kMsgNoKey, kMsgNoKey};

// Font slots and styles.
constexpr int kFontSlotCount = 8;
constexpr int32_t kFontSizeMax = 256;       // size and line height 0..256
constexpr uint8_t kFontStyleMax = 8;        // gradient and orientation 0..8
constexpr uint32_t kFontColourMax = 0xFFFFFF;
constexpr uint32_t kColourNone = 0xFFFFFFFFu;  // second colour "none"
// Side of a slot's 1-bit bitmap for a size s: room for the 4x glyph plus a
// margin, a multiple of 32 pixels.
constexpr int Font_DibSide(int s) { return ((4 * s + 32) & ~31) + 32; }
static_assert(Font_DibSide(20) == 128);
constexpr int kFontDibSideMax = Font_DibSide(kFontSizeMax);
// Outline distances up to this many pixels draw nine copies; larger ones
// draw three shifted by d - 10.
constexpr int kGlyphNineCopyMax = 10;

// Error numbers of the text subsystem.
constexpr int32_t kErrMsgTextFull = 102000;
constexpr int32_t kErrMsgPrintLong = 102030;
constexpr int32_t kErrFontCreate = 102040;
constexpr int32_t kErrMsgBadOp = 900010;
constexpr int32_t kErrLayerNotFound = 101250;
constexpr int32_t kErrArgBelowMin = 101010;
constexpr int32_t kErrArgAboveMax = 101240;
constexpr int32_t kErrNoMemory = 100010;
