// Pieces shared by the typing files (msg_render.cpp, msg_wrap.cpp).
#pragma once
#include "text/text.h"

// Width and height of the message layer; 0 x 0 without a record.
void Msg_LayerSize(int* w, int* h);
// Draws the character at the text position with the attributes of op `p`
// at the pen, moves the pen by its advance and the text position past it.
// `mark` marks the layer afterwards.
void Msg_DrawCharOp(int p, bool mark);
// Length in text bytes of character op `p` (1 or 2).
inline int Msg_CharLen(const MessageRec& m, int p) { return m.ops[p] == '2' ? 2 : 1; }
