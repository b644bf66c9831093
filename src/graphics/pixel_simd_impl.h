// Vector bodies of the pixel-span routines, written once over a small set of
// width-specific helpers (V, kBytes, Load, Store, VOP, the weight loaders,
// AlphaPairs and the alpha block tests) that the including file defines:
// pixel_sse2.cpp with 16-byte vectors, pixel_avx2.cpp with 32-byte ones. Both give exactly the bytes of
// pixel_formulas.h, which also runs each row's remainder.
//
// Unpacking bytes to 16-bit lanes works within 16-byte lanes, so the weight
// loaders place per-pixel weights in the same order as the unpacked pixels.

static inline V Lo16(V x) { return VOP(unpacklo_epi8)(x, Zero()); }
static inline V Hi16(V x) { return VOP(unpackhi_epi8)(x, Zero()); }
static inline V Pack(V lo, V hi) { return VOP(packus_epi16)(lo, hi); }
// (d * 256 + (s - d) * w) >> 8 on 16-bit lanes, w in 0..256. The true sum
// lies in 0..65280, so the wrapping 16-bit arithmetic gives it exactly with
// one multiply.
static inline V Mix16(V d, V s, V w) {
  V sum = VOP(add_epi16)(VOP(slli_epi16)(d, 8), VOP(mullo_epi16)(VOP(sub_epi16)(s, d), w));
  return VOP(srli_epi16)(sum, 8);
}
static inline V Div255_16(V x) { return VOP(srli_epi16)(VOP(mulhi_epu16)(x, Set1_16(0x8081)), 7); }
// Full-frame layers come from the last-level cache, not L1: asking for the
// lines a few blocks ahead keeps more of them in flight than the hardware
// stream detector alone (about 1.15 times the rate on 1920x1080 frames). A
// prefetch never faults, so the address may lie past the row.
constexpr uintptr_t kPrefetchBytes = 256;
static inline void PrefetchAhead(const uint8_t* p) {
  _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<uintptr_t>(p) + kPrefetchBytes), _MM_HINT_T0);
}

static void NormalOp(uint8_t* d, const uint8_t* s, int op, size_t n) {
  size_t i = 0;
  if (op == 128) {
    for (; i + kBytes <= n; i += kBytes) Store(d + i, VOP(avg_epu8)(Load(d + i), Load(s + i)));
  } else {
    V w = Set1_16(op);
    for (; i + kBytes <= n; i += kBytes) {
      V dv = Load(d + i), sv = Load(s + i);
      Store(d + i, Pack(Mix16(Lo16(dv), Lo16(sv), w), Mix16(Hi16(dv), Hi16(sv), w)));
    }
  }
  for (; i < n; i++) d[i] = pixf::Lerp(d[i], s[i], uint32_t(op));
}

static void CrossFade(uint8_t* d, const uint8_t* a, const uint8_t* b, int op, size_t n) {
  size_t i = 0;
  if (op == 128) {
    for (; i + kBytes <= n; i += kBytes) Store(d + i, VOP(avg_epu8)(Load(a + i), Load(b + i)));
  } else {
    V w = Set1_16(op);
    for (; i + kBytes <= n; i += kBytes) {
      V av = Load(a + i), bv = Load(b + i);
      Store(d + i, Pack(Mix16(Lo16(av), Lo16(bv), w), Mix16(Hi16(av), Hi16(bv), w)));
    }
  }
  for (; i < n; i++) d[i] = pixf::Lerp(a[i], b[i], uint32_t(op));
}

// The step's constants, built once per row. The empty asm makes each an
// opaque register value: otherwise the compiler rebuilds some of them from
// a general register inside the loop, two extra instructions per block.
struct AlphaConsts {
  V one = Set1_16(1), op;
  V lowBytes = Set1_32(0x00FF00FF), highBytes = Set1_32(0xFF00FF00), lowLane = Set1_32(0x0000FFFF);
  explicit AlphaConsts(int opacity) : op(Set1_16(opacity)) {
    __asm__("" : "+x"(one), "+x"(op), "+x"(lowBytes), "+x"(highBytes), "+x"(lowLane));
  }
};

// Slots 5 and 11 (full) and 6 and 12 (partial): colour moved toward f (the
// source, or the saturated sum) by a weight from the source alpha.
//
// The bytes are split by position instead of unpacked: the even bytes of
// each pixel (blue, red) stay in place under a mask, the odd ones (green,
// alpha) are shifted down, so the step runs without byte shuffles, the
// scarce resource here. The odd half's weight is 0 in the alpha lane, which
// keeps the destination's alpha. Each 16-bit sum d * 256 + (f - d) * w lies
// in 0..65280, exact in wrapping lanes.
template <bool kAdd, int kWeightForm>
static inline V AlphaStep(V dv, V sv, const AlphaConsts& k) {
  V f = kAdd ? VOP(adds_epu8)(dv, sv) : sv;
  V aa = AlphaPairs(sv);  // sA in both 16-bit lanes of each pixel
  V wEven;
  if (kWeightForm == 0) wEven = VOP(add_epi16)(aa, k.one);                                 // sA + 1
  else if (kWeightForm == 1)                                                                 // ((sA*op)>>8)+1
    wEven = VOP(add_epi16)(VOP(srli_epi16)(VOP(mullo_epi16)(aa, k.op), 8), k.one);
  else                                                                                       // (op*(sA+1))>>8
    wEven = VOP(srli_epi16)(VOP(mullo_epi16)(VOP(add_epi16)(aa, k.one), k.op), 8);
  V wOdd = And(wEven, k.lowLane);
  V dEven = And(dv, k.lowBytes), fEven = And(f, k.lowBytes);
  V sumEven = VOP(add_epi16)(VOP(slli_epi16)(dv, 8), VOP(mullo_epi16)(VOP(sub_epi16)(fEven, dEven), wEven));
  V dOdd = VOP(srli_epi16)(dv, 8), fOdd = VOP(srli_epi16)(f, 8);
  V sumOdd = VOP(add_epi16)(And(dv, k.highBytes), VOP(mullo_epi16)(VOP(sub_epi16)(fOdd, dOdd), wOdd));
  return Or(VOP(srli_epi16)(sumEven, 8), And(sumOdd, k.highBytes));
}

// A block whose source alphas are all 0 or all 255 has a short exact form.
// Returns false when the block is mixed and needs the full step.
//   all 0: the weight is 1 (forms 0, 1), so d moves down by one where s < d
//          and the sum rows (f >= d) stay; form 2 has weight 0 and stays.
//   all 255 (form 0): the weight is 256, so the colour becomes f's.
template <bool kAdd, int kWeightForm>
static inline bool AlphaBlockShortcut(uint8_t* d, V dv, V sv) {
  if (AllAlphaZero(sv)) {
    if (kAdd || kWeightForm == 2) return true;
    const V ones = Set1_32(0x00010101);
    Store(d, VOP(subs_epu8)(dv, VOP(min_epu8)(VOP(subs_epu8)(dv, sv), ones)));
    return true;
  }
  if (kWeightForm == 0 && AllAlphaFull(sv)) {
    V f = kAdd ? VOP(adds_epu8)(dv, sv) : sv;
    const V alpha = Set1_32(int(0xFF000000u));
    Store(d, Or(And(dv, alpha), AndNot(alpha, f)));
    return true;
  }
  return false;
}

template <bool kAdd, int kWeightForm>
static void AlphaRow(uint8_t* d, const uint8_t* s, int op, size_t n) {
  // (op * (sA + 1)) >> 8 at op 256 is sA + 1, whose product would not fit a
  // 16-bit lane.
  if (kWeightForm == 2 && op >= 256) return AlphaRow<kAdd, 0>(d, s, op, n);
  const AlphaConsts k(op);
  size_t i = 0;
  for (; i + kBytes <= n; i += kBytes) {
    PrefetchAhead(s + i);
    PrefetchAhead(d + i);
    V dv = Load(d + i), sv = Load(s + i);
    // Only a block whose first alpha is 0 or 255 can take a shortcut; the
    // byte test keeps the vector test off the common path.
    if (uint8_t(s[i + 3] + 1) <= 1 && AlphaBlockShortcut<kAdd, kWeightForm>(d + i, dv, sv)) continue;
    Store(d + i, AlphaStep<kAdd, kWeightForm>(dv, sv, k));
  }
  for (; i + 4 <= n; i += 4) {
    uint32_t sA = s[i + 3];
    uint32_t w = kWeightForm == 0 ? sA + 1
                 : kWeightForm == 1 ? ((sA * uint32_t(op)) >> 8) + 1
                                    : (uint32_t(op) * (sA + 1)) >> 8;
    if (kAdd) pixf::AddAlphaPx(d + i, s + i, w);
    else pixf::MixPixelBgr(d + i, s + i, w);
  }
}

static inline bool NoLane(V m) { return VOP(movemask_epi8)(m) == 0; }
static inline bool EveryLane(V m) { return unsigned(VOP(movemask_epi8)(m)) == kEveryLane; }

// The weights of the mask block at m (one 32-bit lane per pixel) from
// `weightsOf`, those of 1 or less made 0; false when every pixel of the
// block is left, so that its pixels need not be read. The block's lines are
// asked for ahead, as the alpha rows do.
template <class Weights>
static inline bool MaskBlockWeights(const Weights& weightsOf, const uint8_t* d, const uint8_t* s,
                                    const uint8_t* m, V one32, V& w) {
  PrefetchAhead(m);
  PrefetchAhead(s);
  PrefetchAhead(d);
  V raw = weightsOf(m);
  V live = VOP(cmpgt_epi32)(raw, one32);
  if (NoLane(live)) return false;
  w = And(raw, live);
  return true;
}

// Slot 7: per-pixel weights from g_MaskWeights (the weight source of
// WithMaskWeights, one 32-bit lane per pixel, defined by the including
// file); weights of 1 or less become 0, so that (d * 256 + 255) >> 8 leaves
// the pixel as it is. The bytes are split by position as in AlphaStep; the
// alpha lane's weight is 0. d * 256 + (s - d) * w + 255 lies in 0..65535:
// exact in wrapping lanes. Blocks where every pixel is left are skipped
// before their pixels are read; blocks of weight 256 take the source's
// colour.
static void MaskFull(uint8_t* d, const uint8_t* s, const uint8_t* m, int, int, size_t n) {
  const AlphaConsts k(255);
  const V one32 = Set1_32(1), full32 = Set1_32(256);
  const V alpha = Set1_32(int(0xFF000000u));
  size_t i = 0;
  WithMaskWeights([&](const auto& weightsOf) {
    for (; i + kBytes <= n; i += kBytes) {
      V w;
      if (!MaskBlockWeights(weightsOf, d + i, s + i, m + i, one32, w)) continue;
      V dv = Load(d + i), sv = Load(s + i);
      if (EveryLane(VOP(cmpeq_epi32)(w, full32))) {
        Store(d + i, Or(And(dv, alpha), AndNot(alpha, sv)));
        continue;
      }
      V wEven = Or(w, VOP(slli_epi32)(w, 16));
      V dEven = And(dv, k.lowBytes), sEven = And(sv, k.lowBytes);
      V sumEven = VOP(add_epi16)(VOP(add_epi16)(VOP(slli_epi16)(dv, 8), k.op),
                                 VOP(mullo_epi16)(VOP(sub_epi16)(sEven, dEven), wEven));
      V dOdd = VOP(srli_epi16)(dv, 8), sOdd = VOP(srli_epi16)(sv, 8);
      V sumOdd = VOP(add_epi16)(VOP(add_epi16)(And(dv, k.highBytes), k.op),
                                VOP(mullo_epi16)(VOP(sub_epi16)(sOdd, dOdd), w));
      Store(d + i, Or(VOP(srli_epi16)(sumEven, 8), And(sumOdd, k.highBytes)));
    }
  });
  for (; i + 4 <= n; i += 4) pixf::MaskPx(d + i, s + i, g_MaskWeights[m[i]]);
}

static void AddFull(uint8_t* d, const uint8_t* s, size_t n) {
  size_t i = 0;
  for (; i + kBytes <= n; i += kBytes) Store(d + i, VOP(adds_epu8)(Load(d + i), Load(s + i)));
  for (; i < n; i++) d[i] = pixf::AddSat(d[i], s[i]);
}
static void AddOp(uint8_t* d, const uint8_t* s, int op, size_t n) {
  V w = Set1_16(op);
  size_t i = 0;
  for (; i + kBytes <= n; i += kBytes) {
    V sv = Load(s + i);
    V t = Pack(VOP(srli_epi16)(VOP(mullo_epi16)(Lo16(sv), w), 8),
               VOP(srli_epi16)(VOP(mullo_epi16)(Hi16(sv), w), 8));
    Store(d + i, VOP(adds_epu8)(Load(d + i), t));
  }
  for (; i < n; i++) d[i] = pixf::AddOp(d[i], s[i], uint32_t(op));
}
static void SubFull(uint8_t* d, const uint8_t* s, size_t n) {
  size_t i = 0;
  for (; i + kBytes <= n; i += kBytes) Store(d + i, VOP(subs_epu8)(Load(s + i), Load(d + i)));
  for (; i < n; i++) d[i] = s[i] > d[i] ? uint8_t(s[i] - d[i]) : 0;
}
static void MulFull(uint8_t* d, const uint8_t* s, size_t n) {
  size_t i = 0;
  for (; i + kBytes <= n; i += kBytes) {
    V dv = Load(d + i), sv = Load(s + i);
    Store(d + i, Pack(Div255_16(VOP(mullo_epi16)(Lo16(dv), Lo16(sv))),
                      Div255_16(VOP(mullo_epi16)(Hi16(dv), Hi16(sv)))));
  }
  for (; i < n; i++) d[i] = pixf::Div255(uint32_t(s[i]) * d[i]);
}
static inline V Screen16(V d16, V s16) {
  return VOP(sub_epi16)(VOP(add_epi16)(d16, s16), Div255_16(VOP(mullo_epi16)(d16, s16)));
}
static void ScreenFull(uint8_t* d, const uint8_t* s, size_t n) {
  size_t i = 0;
  for (; i + kBytes <= n; i += kBytes) {
    V dv = Load(d + i), sv = Load(s + i);
    Store(d + i, Pack(Screen16(Lo16(dv), Lo16(sv)), Screen16(Hi16(dv), Hi16(sv))));
  }
  for (; i < n; i++) d[i] = pixf::Screen(d[i], s[i]);
}
static void ScreenOp(uint8_t* d, const uint8_t* s, int op, size_t n) {
  V w = Set1_16(op);
  size_t i = 0;
  for (; i + kBytes <= n; i += kBytes) {
    V dv = Load(d + i), sv = Load(s + i);
    V dl = Lo16(dv), dh = Hi16(dv);
    Store(d + i, Pack(Mix16(dl, Screen16(dl, Lo16(sv)), w), Mix16(dh, Screen16(dh, Hi16(sv)), w)));
  }
  for (; i < n; i++) d[i] = pixf::Mix(d[i], pixf::Screen(d[i], s[i]), uint32_t(op));
}
static void LightenFull(uint8_t* d, const uint8_t* s, size_t n) {
  size_t i = 0;
  for (; i + kBytes <= n; i += kBytes) Store(d + i, VOP(max_epu8)(Load(d + i), Load(s + i)));
  for (; i < n; i++) d[i] = s[i] > d[i] ? s[i] : d[i];
}
static void DarkenFull(uint8_t* d, const uint8_t* s, size_t n) {
  size_t i = 0;
  for (; i + kBytes <= n; i += kBytes) Store(d + i, VOP(min_epu8)(Load(d + i), Load(s + i)));
  for (; i < n; i++) d[i] = s[i] < d[i] ? s[i] : d[i];
}
// max(s + d - 255, 0) = s minus (255 - d), saturating.
static void LinBurnFull(uint8_t* d, const uint8_t* s, size_t n) {
  size_t i = 0;
  V ones = VOP(cmpeq_epi8)(Zero(), Zero());
  for (; i + kBytes <= n; i += kBytes)
    Store(d + i, VOP(subs_epu8)(Load(s + i), Xor(Load(d + i), ones)));
  for (; i < n; i++) d[i] = pixf::Clamp255(int32_t(s[i]) + d[i] - 255);
}
static void LinLightFull(uint8_t* d, const uint8_t* s, size_t n) {
  size_t i = 0;
  V k = Set1_16(256);
  for (; i + kBytes <= n; i += kBytes) {
    V dv = Load(d + i), sv = Load(s + i);
    V lo = VOP(sub_epi16)(VOP(add_epi16)(Lo16(dv), VOP(add_epi16)(Lo16(sv), Lo16(sv))), k);
    V hi = VOP(sub_epi16)(VOP(add_epi16)(Hi16(dv), VOP(add_epi16)(Hi16(sv), Hi16(sv))), k);
    Store(d + i, Pack(lo, hi));
  }
  for (; i < n; i++) d[i] = pixf::Clamp255(int32_t(d[i]) + 2 * s[i] - 256);
}

static void FillSimdSet(PixelOps* o) {
  o->normalOp = NormalOp;
  o->alphaFull = AlphaRow<false, 0>;
  o->alphaOp = AlphaRow<false, 1>;
  o->maskFull = MaskFull;
  o->crossFade = CrossFade;
  o->addFull = AddFull;
  o->addOp = AddOp;
  o->addAlphaFull = AlphaRow<true, 0>;
  o->addAlphaOp = AlphaRow<true, 2>;
  o->subFull = SubFull;
  o->mulFull = MulFull;
  o->screenFull = ScreenFull;
  o->screenOp = ScreenOp;
  o->lightenFull = LightenFull;
  o->darkenFull = DarkenFull;
  o->linBurnFull = LinBurnFull;
  o->linLightFull = LinLightFull;
}
