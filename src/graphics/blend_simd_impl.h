// Vector rows of the blend modes for every kind, written once over the
// width-specific helpers of pixel_simd_impl.h and three more that the
// including file defines: WithMaskWeights (runs a block loop with a source
// of the g_MaskWeights entry of each pixel's mask byte, one 32-bit lane per
// pixel), TableModeBytes<mode,
// channels> (the value of a table mode for the first 3 or all 4 bytes of
// each pixel, the others 0, byte for byte the entry of the mode's table at
// s * 256 + d) and kEveryLane (the byte-mask value of a vector whose lanes
// all hold). The rows give exactly the bytes
// of the scalar rows of blend_rows.cpp, which also run each row's last
// pixels.
//
// Layout: a vector of pixels is split by byte position, not unpacked. The
// even bytes (blue, red) stay in the low halves of the 16-bit lanes under a
// mask, the odd ones (green, alpha) are shifted down, so the mode formulas
// run on 16-bit lanes of 0..255 and each pixel's weight is a 32-bit lane
// value copied into both of its 16-bit lanes, without byte shuffles.

// Modes whose result needs a division or a root per pixel: each set gives
// them its own way (TableModeBytes).
constexpr bool BlendTableMode(int mode) {
  return mode == 4 || mode == 11 || mode == 12 || mode == 15 || mode == 16;
}
// Modes computed on whole bytes (saturating byte instructions or a table);
// the others on 16-bit lanes.
constexpr bool BlendByteMode(int mode) {
  return mode <= 2 || mode == 6 || mode == 7 || mode == 8 || mode == 10 || mode == 13 || mode == 14 ||
         mode == 18 || BlendTableMode(mode);
}

static inline V AllOnes() { return VOP(cmpeq_epi8)(Zero(), Zero()); }

// The masks of the split and the overlay's byte constants, built once per
// row (opaque to the compiler, as AlphaConsts explains).
struct SplitConsts {
  V lowBytes = Set1_32(0x00FF00FF), highBytes = Set1_32(0xFF00FF00), lowLane = Set1_32(0x0000FFFF);
  V alpha = Set1_32(int(0xFF000000u)), one = Set1_16(1);
  V bytes80 = Set1_16(0x8080), bytes01 = Set1_16(0x0101), recip255 = Set1_16(0x8081);
  SplitConsts() {
    __asm__("" : "+x"(lowBytes), "+x"(highBytes), "+x"(lowLane), "+x"(alpha), "+x"(one));
    __asm__("" : "+x"(bytes80), "+x"(bytes01), "+x"(recip255));
  }
};

// Overlay with the roles named: b < 128: a * 2b / 255; b = 128: a; b > 128:
// 2b - 257 + a * (512 - 2b) / 255. Hard light is the same with s and d
// swapped. All three sides are one form, p + o with p = a * c / 255, where
// the factor c is 2b below 128, 255 at 128 (p = a) and 512 - 2b above, and
// the offset o is max(2b - 257, 0). Both come from saturating byte
// arithmetic: c = min(sat(2b), sat(2(256 - b))) (each side saturates to
// 255 where the other applies, and both at 128), o = sat(2 sat(b - 128)) - 1
// floored at 0. Only the product needs 16-bit lanes; the sum p + o is the
// mode's value, at most 255, so it never carries between bytes.
static inline V OverlayBytes(V a, V b, const SplitConsts& k) {
  V negB = VOP(sub_epi8)(Zero(), b);
  V c = VOP(min_epu8)(VOP(adds_epu8)(b, b), VOP(adds_epu8)(negB, negB));
  V t = VOP(subs_epu8)(b, k.bytes80);
  V o = VOP(subs_epu8)(VOP(adds_epu8)(t, t), k.bytes01);
  V pE = VOP(mullo_epi16)(And(a, k.lowBytes), And(c, k.lowBytes));
  V pO = VOP(mullo_epi16)(VOP(srli_epi16)(a, 8), VOP(srli_epi16)(c, 8));
  pE = VOP(srli_epi16)(VOP(mulhi_epu16)(pE, k.recip255), 7);
  pO = And(VOP(slli_epi16)(VOP(mulhi_epu16)(pO, k.recip255), 1), k.highBytes);
  return VOP(add_epi8)(Or(pE, pO), o);
}

// f(s, d) on whole bytes; kColour: the alpha bytes are not needed (a table
// mode then leaves them 0).
template <int kMode, bool kColour = false>
static inline V ModeBytes(V s, V d, const SplitConsts& k) {
  if constexpr (kMode == 0) return s;
  else if constexpr (kMode == 1) return VOP(adds_epu8)(s, d);
  else if constexpr (kMode == 2) return VOP(subs_epu8)(s, d);
  else if constexpr (kMode == 6) return VOP(max_epu8)(s, d);
  else if constexpr (kMode == 7) return VOP(min_epu8)(s, d);
  else if constexpr (kMode == 8) return Or(VOP(subs_epu8)(s, d), VOP(subs_epu8)(d, s));
  else if constexpr (kMode == 10) return OverlayBytes(s, d, k);
  else if constexpr (kMode == 14) return OverlayBytes(d, s, k);
  else if constexpr (kMode == 13) return VOP(subs_epu8)(s, Xor(d, AllOnes()));  // s - (255 - d)
  else if constexpr (kMode == 18) {
    // s < 128: min(d, 2s); else max(d, 2s - 255). The saturating doubling is
    // 255 for s >= 128 (no limit), s - (255 - s) is 0 for s < 128 (no floor).
    V twice = VOP(adds_epu8)(s, s), floor = VOP(subs_epu8)(s, Xor(s, AllOnes()));
    return VOP(max_epu8)(VOP(min_epu8)(d, twice), floor);
  } else {
    static_assert(BlendTableMode(kMode), "a byte mode without a byte form");
    return TableModeBytes<kMode, kColour ? 3 : 4>(s, d);
  }
}

// f(s, d) on 16-bit lanes holding 0..255.
template <int kMode>
static inline V ModeLanes(V s, V d) {
  if constexpr (kMode == 3) return Div255_16(VOP(mullo_epi16)(s, d));
  else if constexpr (kMode == 5) return Screen16(d, s);
  else if constexpr (kMode == 9) {
    V p = Div255_16(VOP(mullo_epi16)(s, d));
    return VOP(sub_epi16)(VOP(add_epi16)(s, d), VOP(add_epi16)(p, p));
  } else {
    static_assert(kMode == 17, "a lane mode without a lane form");
    V v = VOP(sub_epi16)(VOP(add_epi16)(d, VOP(add_epi16)(s, s)), Set1_16(256));
    return VOP(min_epi16)(VOP(max_epi16)(v, Zero()), Set1_16(255));
  }
}

// f of every byte, whole (kColour: as ModeBytes).
template <int kMode, bool kColour = false>
static inline V ModeWhole(V sv, V dv, const SplitConsts& k) {
  if constexpr (BlendByteMode(kMode)) return ModeBytes<kMode, kColour>(sv, dv, k);
  else {
    V even = ModeLanes<kMode>(And(sv, k.lowBytes), And(dv, k.lowBytes));
    V odd = ModeLanes<kMode>(VOP(srli_epi16)(sv, 8), VOP(srli_epi16)(dv, 8));
    return Or(even, VOP(slli_epi16)(odd, 8));
  }
}

// f split: even bytes in fE, odd bytes in fO, each in the low half of its
// lane (kColour: as ModeBytes).
template <int kMode, bool kColour = false>
static inline void ModeSplit(V sv, V dv, const SplitConsts& k, V& fE, V& fO) {
  if constexpr (BlendByteMode(kMode)) {
    V f = ModeBytes<kMode, kColour>(sv, dv, k);
    fE = And(f, k.lowBytes);
    fO = VOP(srli_epi16)(f, 8);
  } else {
    fE = ModeLanes<kMode>(And(sv, k.lowBytes), And(dv, k.lowBytes));
    fO = ModeLanes<kMode>(VOP(srli_epi16)(sv, 8), VOP(srli_epi16)(dv, 8));
  }
}

// d + (((f - d) * w) >> 8) for weights 0..256 (wE for the even bytes, wO for
// the odd): d * 256 + (f - d) * w lies in 0..65280, exact in wrapping lanes.
// The odd sum keeps its result in the high byte, where it belongs.
static inline V StepBy(V dv, V fE, V fO, V wE, V wO, const SplitConsts& k) {
  V dE = And(dv, k.lowBytes), dO = VOP(srli_epi16)(dv, 8);
  V sumE = VOP(add_epi16)(VOP(slli_epi16)(dv, 8), VOP(mullo_epi16)(VOP(sub_epi16)(fE, dE), wE));
  V sumO = VOP(add_epi16)(And(dv, k.highBytes), VOP(mullo_epi16)(VOP(sub_epi16)(fO, dO), wO));
  return Or(VOP(srli_epi16)(sumE, 8), And(sumO, k.highBytes));
}

// d + (((f - d) * W) >> 16) for W = 0..65536 given as its low 16 bits (wE,
// wO) and a mask of the lanes where W >= 32768 (cE, cO). The signed high
// product of x and the low bits is floor(x * W / 65536) there less x, and
// exactly it elsewhere; W = 65536 has low bits 0 and the mask set.
static inline V StepWide(V dv, V fE, V fO, V wE, V wO, V cE, V cO, const SplitConsts& k) {
  V dE = And(dv, k.lowBytes), dO = VOP(srli_epi16)(dv, 8);
  V xE = VOP(sub_epi16)(fE, dE), xO = VOP(sub_epi16)(fO, dO);
  V rE = VOP(add_epi16)(dE, VOP(add_epi16)(VOP(mulhi_epi16)(xE, wE), And(xE, cE)));
  V rO = VOP(add_epi16)(dO, VOP(add_epi16)(VOP(mulhi_epi16)(xO, wO), And(xO, cO)));
  return Or(rE, VOP(slli_epi16)(rO, 8));
}

// The colour of f with d's alpha: the step at weight 256.
static inline V KeepAlpha(V dv, V f, const SplitConsts& k) { return Or(And(dv, k.alpha), AndNot(k.alpha, f)); }

inline size_t BlendEntry(int kind, int mode, int variant) { return size_t(kind * 40 + mode * 2 + variant); }

template <int kMode>
static void PlainFullRow(uint8_t* d, const uint8_t* s, int op, size_t n) {
  const SplitConsts k;
  size_t i = 0;
  for (; i + kBytes <= n; i += kBytes) Store(d + i, ModeWhole<kMode>(Load(s + i), Load(d + i), k));
  if (i < n) Blend_ScalarRows[BlendEntry(0, kMode, 1)].plain(d + i, s + i, op, n - i);
}

template <int kMode>
static void PlainPartialRow(uint8_t* d, const uint8_t* s, int op, size_t n) {
  const SplitConsts k;
  V w = Set1_16(op);
  __asm__("" : "+x"(w));
  size_t i = 0;
  for (; i + kBytes <= n; i += kBytes) {
    V dv = Load(d + i), sv = Load(s + i), fE, fO;
    ModeSplit<kMode>(sv, dv, k, fE, fO);
    Store(d + i, StepBy(dv, fE, fO, w, w, k));
  }
  if (i < n) Blend_ScalarRows[BlendEntry(0, kMode, 0)].plain(d + i, s + i, op, n - i);
}

// Weight sA + 1 (full) or (op * (sA + 1)) >> 8 (partial). A block of clear
// sources has weight 1 (full: d drops by one where f < d) or 0 (partial:
// untouched); a block of opaque sources at full opacity takes f's colour.
template <int kMode, bool kFull>
static void AlphaKindRow(uint8_t* d, const uint8_t* s, int op, size_t n) {
  // op * (sA + 1) at op 256 would not fit a 16-bit lane; the weight is then
  // the full one.
  if (!kFull && op >= 256) return AlphaKindRow<kMode, true>(d, s, op, n);
  const SplitConsts k;
  V opv = Set1_16(op);
  __asm__("" : "+x"(opv));
  size_t i = 0;
  for (; i + kBytes <= n; i += kBytes) {
    PrefetchAhead(s + i);
    PrefetchAhead(d + i);
    V dv = Load(d + i), sv = Load(s + i);
    if (uint8_t(s[i + 3] + 1) <= 1) {
      if (AllAlphaZero(sv)) {
        if (!kFull) continue;
        V f = ModeWhole<kMode, true>(sv, dv, k);
        Store(d + i, VOP(subs_epu8)(dv, VOP(min_epu8)(VOP(subs_epu8)(dv, f), Set1_32(0x00010101))));
        continue;
      }
      if (kFull && AllAlphaFull(sv)) {
        Store(d + i, KeepAlpha(dv, ModeWhole<kMode, true>(sv, dv, k), k));
        continue;
      }
    }
    V a1 = VOP(add_epi16)(AlphaPairs(sv), k.one);
    V wE = kFull ? a1 : VOP(srli_epi16)(VOP(mullo_epi16)(a1, opv), 8);
    V fE, fO;
    ModeSplit<kMode, true>(sv, dv, k, fE, fO);
    Store(d + i, StepBy(dv, fE, fO, wE, And(wE, k.lowLane), k));
  }
  if (i < n) Blend_ScalarRows[BlendEntry(1, kMode, kFull ? 1 : 0)].plain(d + i, s + i, op, n - i);
}

// Weight g_MaskWeights[m]; weights of 1 or less leave the pixel (their lane
// weight becomes 0). Blocks where every pixel is left are skipped before
// their pixels are read; blocks of weight 256 take f's colour.
template <int kMode, int kVariant>
static void MaskKindRow(uint8_t* d, const uint8_t* s, const uint8_t* m, int level, int gradient,
                        size_t n) {
  const SplitConsts k;
  const V one32 = Set1_32(1), full32 = Set1_32(256);
  size_t i = 0;
  WithMaskWeights([&](const auto& weightsOf) {
    for (; i + kBytes <= n; i += kBytes) {
      V w;
      if (!MaskBlockWeights(weightsOf, d + i, s + i, m + i, one32, w)) continue;
      V dv = Load(d + i), sv = Load(s + i);
      if (EveryLane(VOP(cmpeq_epi32)(w, full32))) {
        Store(d + i, KeepAlpha(dv, ModeWhole<kMode, true>(sv, dv, k), k));
        continue;
      }
      V fE, fO;
      ModeSplit<kMode, true>(sv, dv, k, fE, fO);
      Store(d + i, StepBy(dv, fE, fO, Or(w, VOP(slli_epi32)(w, 16)), w, k));
    }
  });
  if (i < n) Blend_ScalarRows[BlendEntry(2, kMode, kVariant)].mask(d + i, s + i, m + i, level, gradient, n - i);
}

// Weight W = g_MaskWeights[m] * (sA + 1), shifted by 16; skips and full
// blocks as the mask rows (full: every W is 65536).
template <int kMode, int kVariant>
static void MaskAlphaKindRow(uint8_t* d, const uint8_t* s, const uint8_t* m, int level, int gradient,
                             size_t n) {
  const SplitConsts k;
  const V one32 = Set1_32(1), full32 = Set1_32(65536), half32 = Set1_32(32767);
  size_t i = 0;
  WithMaskWeights([&](const auto& weightsOf) {
    for (; i + kBytes <= n; i += kBytes) {
      V w;
      if (!MaskBlockWeights(weightsOf, d + i, s + i, m + i, one32, w)) continue;
      V dv = Load(d + i), sv = Load(s + i);
      // Both factors fit the low 16 bits of their lane: one multiply-add
      // gives the 32-bit product.
      V wide = VOP(madd_epi16)(w, VOP(add_epi32)(VOP(srli_epi32)(sv, 24), one32));
      if (EveryLane(VOP(cmpeq_epi32)(wide, full32))) {
        Store(d + i, KeepAlpha(dv, ModeWhole<kMode, true>(sv, dv, k), k));
        continue;
      }
      V lowBits = And(wide, k.lowLane);
      V carry = VOP(cmpgt_epi32)(wide, half32);
      V fE, fO;
      ModeSplit<kMode, true>(sv, dv, k, fE, fO);
      Store(d + i, StepWide(dv, fE, fO, Or(lowBits, VOP(slli_epi32)(lowBits, 16)), lowBits, carry,
                            And(carry, k.lowLane), k));
    }
  });
  if (i < n)
    Blend_ScalarRows[BlendEntry(3, kMode, kVariant)].mask(d + i, s + i, m + i, level, gradient, n - i);
}

template <int kMode>
static void FillBlendMode(BlendRow* t) {
  if constexpr (kMode != 0) {
    t[BlendEntry(0, kMode, 1)].plain = PlainFullRow<kMode>;
    t[BlendEntry(0, kMode, 0)].plain = PlainPartialRow<kMode>;
    t[BlendEntry(1, kMode, 1)].plain = AlphaKindRow<kMode, true>;
    t[BlendEntry(1, kMode, 0)].plain = AlphaKindRow<kMode, false>;
    t[BlendEntry(2, kMode, 1)].mask = MaskKindRow<kMode, 1>;
  }
  t[BlendEntry(2, kMode, 0)].mask = MaskKindRow<kMode, 0>;
  t[BlendEntry(3, kMode, 0)].mask = MaskAlphaKindRow<kMode, 0>;
  t[BlendEntry(3, kMode, 1)].mask = MaskAlphaKindRow<kMode, 1>;
  if constexpr (kMode + 1 < kBlendModeCount) FillBlendMode<kMode + 1>(t);
}
