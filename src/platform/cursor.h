// Mouse cursors of the engine's windows: the stock shapes by the engine's
// numbers and colour cursors made from BGRA pixels with a hot spot.
//
// Any thread may call these; the cursor itself is changed on the main
// thread, in the order of the calls. Without a screen (SDL's dummy driver)
// cursors are still made and chosen, only nothing is shown.
#pragma once
#include <cstdint>

struct PlatCursor;

constexpr int32_t kPlatStockCursorCount = 14;  // numbers 0..13
constexpr int32_t kPlatCursorMaxSide = 256;    // largest colour cursor

// The stock cursor of a number: 0 arrow, 1 text beam, 2 wait, 3 cross,
// 4 up arrow, 5 to 8 the four sizing arrows (NW-SE, NE-SW, W-E, N-S), 9 move,
// 10 forbidden, 11 hand, 12 arrow with wait, 13 help; any other number the
// arrow. Kept for the whole run: never destroyed by the caller.
PlatCursor* PlatCursor_Stock(int32_t number);
// A colour cursor of w x h top-down BGRA pixels (alpha in the top byte);
// null when a side is outside 1..kPlatCursorMaxSide or the hot spot is
// outside the picture. The caller destroys it.
PlatCursor* PlatCursor_CreateColor(const uint32_t* bgra, int32_t w, int32_t h, int32_t hotX,
                                   int32_t hotY);
// Destroys a colour cursor (stock cursors are left alone). The current
// cursor must not be destroyed: choose another first.
void PlatCursor_Destroy(PlatCursor* c);
// Makes `c` the cursor of the engine's windows.
void PlatCursor_Set(PlatCursor* c);

// What is current and what lives, for the engine's checks and its tests.
PlatCursor* PlatCursor_Current();                   // null before the first choice
int32_t PlatCursor_StockNumber(const PlatCursor* c);  // -1 for a colour cursor
bool PlatCursor_IsLive(const PlatCursor* c);          // made and not destroyed
// Whether the shape reached the screen (false without one).
bool PlatCursor_OnScreen(const PlatCursor* c);
// Video is going down: SDL frees its cursors, so every shape is made again
// on the next choice.
void PlatCursor_ForgetScreen();
