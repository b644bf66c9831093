// Fixed limits of the layer graphics, checked where data enters (decoders,
// the layer allocator, command 1) and nowhere in the pixel loops.
#pragma once
#include <cstdint>

constexpr int32_t kImageMaxSide = 8192;      // widest and tallest layer image
constexpr int kWorkerMax = 4;                 // pixel worker threads at most
constexpr int kGifFrameMax = 8192;           // frame table entries per record
constexpr int kLayerPathMax = 261;           // mask path, GPU name, file name
constexpr int kCgPathMax = 1024;             // command 1's path buffers
constexpr int kCompMaxDepth = 256;           // nested group layers composed
constexpr int kBlendModeCount = 19;          // blend modes 0..18
constexpr int kBlendKindCount = 4;           // plain, alpha, mask, mask+alpha
constexpr int32_t kOpacityFull = 256;        // opacity and mask level "opaque"
constexpr int kTextureTileMax = 256;         // GPU tiles per layer record
constexpr uint32_t kQcgHeaderSize = 56;      // bytes before the QCG pixel data
constexpr int kGifCodeMax = 4096;            // LZW string table entries
