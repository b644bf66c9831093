// Argument ids of the media commands, fixed here for the engine and the
// fixture writer (a game's command table names them its own way).
#pragma once
#include <cstdint>

// Command 12 (E-mote) and command 13 (E-mote query) share the layer ids.
namespace emotearg {
enum : uint8_t {
  kPath = 0, kNumber = 1, kFlag = 2, kTarget = 3, kCall212 = 4, kParamA = 5, kParamB = 6,
  kParamC = 7, kFive = 8, kFive0 = 9, kFive1 = 10, kFive2 = 11, kFive3 = 12, kFive4 = 13,
  kCall253 = 14, kMotion = 15, kApply = 16, kStop = 17, kTime = 18, kRatio = 19,
  kVarNames = 20, kVarValues = 21, kVarCount = 22, kState = 23,
  kCount = 24,
};
// Command 13: id 2 is the name asked about, 3 the answer's element, 4-7 the
// questions.
enum : uint8_t {
  kQueryName = 2, kQueryPlaying = 4, kQueryMotion = 5, kQuery244 = 6, kQueryTimelines = 7,
  kQueryCount = 8,
};
}  // namespace emotearg

// Commands 23 (open), 24 (close) and 25 (query) of the Flash host.
namespace flasharg {
enum : uint8_t {
  kFile = 0, kOpen = 1, kX = 2, kY = 3, kWidth = 4, kHeight = 5, kUser = 6,
  kCount = 7,
};
enum : uint8_t {
  kQPlaying = 0, kQVariable = 1, kQX = 2, kQY = 3, kQWidth = 4, kQHeight = 5, kQFrame = 6,
  kQUser = 7, kQFrames = 8, kQTarget = 9,
  kQCount = 10,
};
}  // namespace flasharg
