// Maths command, the engine's one random number generator (MT19937), and
// the string, variable information and array formula commands.
#pragma once
#include <cstdint>
#include <string>

constexpr int kRandStateWords = 624;

// The variable of a reference argument that is missing or names no
// variable: no record has it, so the setters store nothing.
constexpr uint32_t kNoVarRef = UINT32_MAX;

// Generator state: 624 words and the index of the next word to temper.
// The index is kRandStateWords + 1 until the generator is seeded.
extern uint32_t g_RandState[kRandStateWords];
extern uint32_t g_RandIndex;

// Seeds the generator (the start-up passes the millisecond clock).
void Rand_Seed(uint32_t seed);
// The next 32-bit draw. A generator that was never seeded is seeded with
// 5489 first, the generator's customary default, so that it never runs on
// an all-zero state (which would yield only zeros).
uint32_t Rand_NextU32();

// Command 61.
int32_t Cmd_Math();

// Argument ids of command 61, shared by the handler, its schema entry and
// the tests' fixtures.
namespace matharg {
constexpr uint8_t kTarget = 0, kA = 1, kB = 2, kText = 3;
constexpr uint8_t kSin = 4, kAsin = 5, kSinh = 6, kCos = 7, kAcos = 8, kCosh = 9, kTan = 10,
                  kAtan = 11, kAtan2 = 12, kTanh = 13, kSqrt = 14, kAbs = 15, kExp = 16, kLog = 17,
                  kLog10 = 18, kPow = 19, kRand = 20, kCrc = 21;
constexpr uint8_t kCount = 22;
}  // namespace matharg

// Command 101: facts about a variable into a target element.
int32_t Cmd_VarInfo();
// Command 62: the fixed formula over an int64 and a double array.
int32_t Cmd_ArrayFormula();

namespace varinfoarg {
constexpr uint8_t kSource = 0, kTarget = 1, kType = 2, kCharWidth = 3, kDimCount = 4,
                  kDim1 = 5, kDim8 = 12, kLength = 13, kSearch = 14, kKeyInt = 15, kKeyDouble = 16,
                  kKeyText = 17, kStart = 18;
constexpr uint8_t kCount = 19;
}  // namespace varinfoarg

namespace formulaarg {
constexpr uint8_t kInts = 0, kDoubles = 1;
constexpr uint8_t kCount = 2;
}  // namespace formulaarg

// Command 100: string edits, number/text conversion, one-dimensional array
// edits and the reset of variables by group.
int32_t Cmd_StrArray();

namespace strarg {
constexpr uint8_t kSource = 0, kTarget = 1, kRemove = 2, kSub = 3, kStart = 4, kLength = 5,
                  kConvert = 6, kUpper = 7, kUpperMb = 8, kLower = 9, kLowerMb = 10, kToFull = 11,
                  kToHalf = 12, kResize = 13, kInsert = 14, kDelete = 15, kReset = 16,
                  kResetFirst = 17, kResetLast = 28;
constexpr uint8_t kCount = 29;
}  // namespace strarg

// Pieces of command 100 shared between its files.
// Width conversion of a whole text (no length limit).
std::string StrArr_ToFullWidth(const char* s);
std::string StrArr_ToHalfWidth(const char* s);
// The array edits and the group reset; 0, or -1 after a message box or an
// error.
int32_t StrArr_Resize(uint32_t var, uint8_t op, int64_t v);
int32_t StrArr_Insert(uint32_t var, int64_t q);
int32_t StrArr_Delete(uint32_t var, int64_t q);
int32_t StrArr_ResetGroups();
