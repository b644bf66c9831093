// Built-in texts of the error reporter (Shift-JIS, converted once).
#pragma once
#include <cstdint>

constexpr int kErrBuiltInCount = 15;

// The built-in text of `number`, or null when it has none.
const char* Err_BuiltInText(int32_t number);
// "[内部エラー]..." for a number that has no text anywhere.
const char* Err_InternalText();
// The place prefix: a format taking the scene file name and the line.
const char* Err_PlacePrefix();
