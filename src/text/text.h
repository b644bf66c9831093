// Text and messages (layer 6 of 10: above graphics, below sound): message
// record, typing, line wrap, font slots, glyphs. It hands the VM its
// message-typing step through the task runner's hook.
//
// One message is under construction at a time (g_MsgCurrent). Commands 96,
// 106, 110 and 79 fill and close it; while a task's message flag is set the
// task runner calls Msg_StepTask for it, which types the record's ops into
// the message layer. The record is shared by every task: a second task that
// writes text while the first one types adds to the same message.
// Everything here runs on the frame thread.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/fonts.h"
#include "text/text_limits.h"

struct ObjNode;
struct LayerImage;
struct TaskRec;

// ---- Message record (msg_record.cpp) ----------------------------------------
struct MessageRec {
  ObjNode* layer = nullptr;  // message layer; null: nothing is typed
  int32_t delay = 0;         // ms per 2-byte character (1-byte: delay / 2)
  int32_t closeNewLine = 1;  // command 79 appends 'R'
  int32_t closePage = 1;     // command 79 appends 'P'
  int32_t closeClick = 1;    // command 79 appends 'C'
  int32_t penX = 0, penY = 0;
  int8_t textMode = 1;       // 1 typed; any other value: only collected
  int32_t size = 20;
  int32_t lineHeight = 20;
  uint32_t colour = 0xFFFFFF;      // 0xRRGGBB
  uint32_t colour2 = kColourNone;  // 0xRRGGBB, kColourNone: none
  uint8_t gradient = 1, orientation = 0, bold = 0, writeMode = 0, smooth = 1;
  int8_t waiting = 0;     // stopped at a 'C' op
  int8_t needsReset = 1;  // Msg_ResetRecord acts only while set
  int8_t resume = 0;      // restart the character clock at the next step
  // Set when text fell below the layer's bottom: every later character of
  // the block is stepped over, even after a page mark homes the pen.
  int8_t dropped = 0;
  char text[kMsgTextSize];
  uint8_t ops[kMsgOpSize];
  int16_t opSize[kMsgOpSize], opLineHeight[kMsgOpSize], opDelay[kMsgOpSize];
  uint32_t opColour[kMsgOpSize], opColour2[kMsgOpSize];
  uint8_t opGradient[kMsgOpSize], opOrientation[kMsgOpSize], opBold[kMsgOpSize];
  int32_t textCount = 0, opCount = 0, textPos = 0, opPos = 0;
};
// Created by Msg_CreateRecord at start-up, never freed.
extern MessageRec* g_MsgCurrent;

// Allocates the record (or sets an existing one back to its defaults),
// sets g_MsgCurrent and empties it. 0, or 1 when the allocation failed
// (the start-up must stop then).
int Msg_CreateRecord();
// Empties the record when needs reset is set: counts and positions 0,
// resume set, every array zeroed. Returns 0.
int Msg_ResetRecord();

// Appending (msg_record.cpp). Each returns false, having reported 102000
// (quit 1), when the op arrays have no room; nothing is appended then.
// A control op (from 96 or 79) records size and line height when
// `withSize`; a character op records every attribute. `closing` marks the
// ops of command 79, which may use the room kept for them.
bool Msg_AppendControl(uint8_t op, bool withSize, bool closing = false);
// Appends `len` bytes as character ops ('2' for a lead byte with its
// follower, '1' otherwise; a lead byte without a follower is a '1').
// `printMode` stores every byte that is not part of a '2' and lies below
// 32 or at 127 and above as a space (command 110). Refuses with 102000 when
// the ops would not fit.
bool Msg_AppendChars(const char* bytes, int len, bool printMode);

// ---- Message commands (msg_cmd_*.cpp) -----------------------------------------
int32_t Cmd_MsgSelect();  // 96
int32_t Cmd_MsgQuery();   // 97
int32_t Cmd_MsgText();    // 106
int32_t Cmd_MsgPrint();   // 110
int32_t Cmd_MsgEnd();     // 79
// Converts an integer, a double or a text the way command 110 prints it.
std::string Msg_PrintValue(int type, int64_t i, double d, const char* s);

// ---- Typing (msg_step.cpp, msg_render.cpp, msg_wrap.cpp) ---------------------
extern int32_t g_MsgAdvanceKeys[kMsgAdvanceKeyCount];
extern int32_t g_MsgShowAll;
extern uint32_t g_MsgCharClock;  // Clock_Ms32 at which the last character fell due

// One step of a task's message: keys, typing, and the end of the message.
void Msg_StepTask(TaskRec* task);
// Types ops from the op position until one is not due, a click mark is met
// or the stream ends.
void Msg_RenderText();
// 0 when the character at the op position may be drawn now, -1 when not.
int Msg_CharTimer();
// Line wrap before the character at the op position: 0 draw it at the
// (possibly moved) pen; -1 it has been dealt with here and is stepped over.
int Msg_WrapLine();
// Connects Msg_StepTask to the task runner and forgets the message layer
// when the layer goes (idempotent; Msg_CreateRecord calls it).
void Msg_InstallHooks();

// Glyph drawer used by the typing; tests put a fake with a fixed advance in
// its place. Returns the advance.
struct GlyphStyle;
using MsgGlyphDrawFn = int (*)(const char* text, const GlyphStyle& style, int d, int x, int y,
                               ObjNode* layer);
extern MsgGlyphDrawFn g_MsgGlyphDrawer;

// ---- Font slots (font_slots.cpp) ----------------------------------------------
struct FontFaceList {
  std::vector<FontFaceInfo> faces;  // as the platform lists them
  int32_t slotFace[kFontSlotCount] = {};
  int32_t current = 0;  // current slot, 0..7
  bool listed = false;  // the platform's faces have been listed
};
extern FontFaceList g_FontFaces;

struct FontSlot {
  int32_t size = 20, lineHeight = 20, bold = 0;
  uint32_t colour = 0xFFFFFF, colour2 = 0xFFFFFF;
  uint8_t gradient = 1, orientation = 0, smooth = 1, writeMode = 0;
  // The last preparation; -1 until the first one and after a failed one.
  int32_t cacheSize = -1, cacheLineHeight = -1, cacheFontHeight = -1, cacheBold = -1;
  int32_t cacheFace = -1;
  PlatFontPtr font;
  std::unique_ptr<uint8_t[]> bits;  // 1-bit top-down, side x side, ink = 0
  int32_t side = 0;
  size_t bitsBytes = 0;
  int32_t lastWidth = 0, lastHeight = 0;
  char lastChar[4] = {};
};
extern FontSlot g_FontSlots[kFontSlotCount];

// Lookup tables built by Tbl_InitDrawLuts.
extern uint32_t g_InkCountTable[256];
extern uint8_t g_CoverageTable[32];

// Lists the faces, gives each slot its default face, makes slot 0 current
// and builds the tables. Returns 0.
int Font_EnumFaces();
// Slot defaults and the tables.
void Tbl_InitDrawLuts();
void Font_SetSlot(int n);
int Font_SelectIndex(int i);                 // 1 done, 0 out of range
int Font_SelectByName(const char* sjisName);  // 1 done, 0 no such face
const char* Font_GetSelectedName();
int Font_GetSelectedIndex();
int Font_GetSelectedPitchFlag();
const char* Font_GetName(int i);  // null out of range
int Font_GetScriptFlag(int i);
int Font_GetCount();
FontSlot& Font_CurrentSlot();

// Makes the current slot's font and bitmap fit; 0 when the cache already
// fits, 1 when made, -1 after 100010 or 102040 (quit 1).
int Font_PrepareSlot(int size, int lineHeight, int bold, int fontHeight, int side);
// Draws one character (1 byte, 2 when the first is a lead byte) into the
// current slot's bitmap and measures it. Returns 0.
int Font_RenderGlyph(const char* text, int s, int h, int bold, int smooth, int* outWidth,
                     int* outHeight);

// ---- Glyph rasteriser (font_blit.cpp) -----------------------------------------
struct GlyphStyle {
  uint32_t colour = 0xFFFFFF, colour2 = kColourNone;
  uint8_t gradient = 0, orientation = 0, smooth = 1, writeMode = 0;
  int32_t size = 20, lineHeight = 20, bold = 0;
};

// A layer's pixels as the rasteriser sees them (32-bit BGRA rows).
struct GlyphTarget {
  uint32_t* pixels = nullptr;
  int32_t width = 0, height = 0;
};

// Corner colours of a glyph cell: top left, top right, bottom left,
// bottom right.
struct GlyphCorners {
  uint32_t c[4];
};
GlyphCorners Msg_ColourPattern(int gradient, int orientation, uint32_t colour, uint32_t colour2);

// Draws the current slot's bitmap (just rendered) into the target: the cell
// is size x line height at (x, y); nothing is drawn when any of it lies
// outside. Returns true when drawn.
bool Msg_BlitGlyphSmooth(const GlyphStyle& st, int x, int y, const GlyphTarget& t);
bool Msg_BlitGlyphMono(const GlyphStyle& st, int x, int y, const GlyphTarget& t);
// The style a slot draws with (for the layer text command, which selects a
// slot with Font_SetSlot and draws with Msg_DrawGlyph).
GlyphStyle Font_SlotStyle(const FontSlot& slot);
// Renders the character, draws it with outline copies by distance d and
// returns its width (the advance). The layer is marked when drawn.
int Msg_DrawGlyph(const char* text, const GlyphStyle& st, int d, int x, int y, ObjNode* layer);
// The same into a plain target (no marking); `drawn` tells whether any
// copy was drawn.
int Msg_DrawGlyphTo(const char* text, const GlyphStyle& st, int d, int x, int y,
                    const GlyphTarget& t, bool* drawn = nullptr);
// The pixels of a layer node (empty target without a record or pixels).
GlyphTarget Msg_LayerTarget(ObjNode* layer);

// ---- Text style and metrics commands (font_cmd.cpp) ----------------------------
int32_t Cmd_TextStyle();    // 27
int32_t Cmd_TextMetrics();  // 28

// Adds commands 27, 28, 79, 96, 97, 106 and 110 to the command schema
// (msg_schema.cpp); argument ids in text/text_args.h.
void CmdSchema_RegisterText();

// Gives command 2 of the layer graphics its font-slot and glyph hooks
// (font_cg_hook.cpp).
void Font_InstallCgHooks();

// ---- System variables of the message (msg_sysvar.cpp) ----------------------
// Installs the getter of the collected message text (122) and its op bytes
// (123) into the VM's system-variable hooks.
void Msg_InstallSysVars();
