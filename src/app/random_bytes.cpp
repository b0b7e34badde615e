#include "app/random_bytes.h"

#include <array>
#include <stdexcept>

#if defined(__x86_64__) || defined(_M_X64)
#define BRIMWELL_FILL_SSE2 1
#include <emmintrin.h>
#endif
#if BRIMWELL_FILL_SSE2 && defined(__GNUC__)
#define BRIMWELL_FILL_AVX2 1
#include <immintrin.h>
#endif

namespace brimwell {

namespace {

// draw(256) is the high 32 bits of state*256, that is the state's top byte.
inline std::uint8_t topByte(std::uint32_t state) { return static_cast<std::uint8_t>(state >> 24); }

// Lane j starts j+1 steps after the current state: its start is multipliers[j] * state +
// increments[j], so the lanes start without stepping the generator one lane at a time.
template <std::size_t lanes>
struct LaneStarts {
  alignas(64) std::array<std::uint32_t, lanes> multipliers{};
  alignas(64) std::array<std::uint32_t, lanes> increments{};
};

template <std::size_t lanes>
constexpr LaneStarts<lanes> laneStartsOf() {
  LaneStarts<lanes> starts;
  for (std::size_t j = 0; j < lanes; ++j) {
    const RandomSource::Jump jump = RandomSource::jumpOf(j + 1);
    starts.multipliers[j] = jump.multiplier;
    starts.increments[j] = jump.increment;
  }
  return starts;
}

// Each kernel writes `groups` (at least 1) groups of its lane count of bytes, starting after
// `state`, and returns the state after the last byte.

constexpr std::size_t kPortableLanes = 8;

std::uint32_t fillPortable(std::uint32_t state, std::uint8_t* out, std::size_t groups) {
  constexpr RandomSource::Jump jump = RandomSource::jumpOf(kPortableLanes);
  static constexpr auto starts = laneStartsOf<kPortableLanes>();
  std::array<std::uint32_t, kPortableLanes> lanes;
  for (std::size_t j = 0; j < kPortableLanes; ++j) {
    lanes[j] = starts.multipliers[j] * state + starts.increments[j];
  }
  for (std::size_t group = 1;; ++group, out += kPortableLanes) {
    for (std::size_t j = 0; j < kPortableLanes; ++j) out[j] = topByte(lanes[j]);
    if (group == groups) return lanes[kPortableLanes - 1];
    for (auto& lane : lanes) lane = lane * jump.multiplier + jump.increment;
  }
}

#if BRIMWELL_FILL_SSE2
// 32 lanes in eight registers of four: enough independent multiplications to keep the
// multiplier busy.
constexpr std::size_t kSse2Vectors = 8;
constexpr std::size_t kSse2Lanes = 4 * kSse2Vectors;

// The low 32 bits of each lane's product (SSE2 multiplies only lanes 0 and 2 at a time).
inline __m128i multiplyLanes(__m128i a, __m128i m) {
  const __m128i even = _mm_mul_epu32(a, m);
  const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), m);
  return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                            _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}

std::uint32_t fillSse2(std::uint32_t state, std::uint8_t* out, std::size_t groups) {
  constexpr RandomSource::Jump jump = RandomSource::jumpOf(kSse2Lanes);
  static constexpr auto starts = laneStartsOf<kSse2Lanes>();
  const __m128i start = _mm_set1_epi32(static_cast<int>(state));
  __m128i lanes[kSse2Vectors];
  for (std::size_t v = 0; v < kSse2Vectors; ++v) {
    lanes[v] = _mm_add_epi32(
        multiplyLanes(_mm_load_si128(reinterpret_cast<const __m128i*>(&starts.multipliers[4 * v])),
                      start),
        _mm_load_si128(reinterpret_cast<const __m128i*>(&starts.increments[4 * v])));
  }
  const __m128i multiplier = _mm_set1_epi32(static_cast<int>(jump.multiplier));
  const __m128i increment = _mm_set1_epi32(static_cast<int>(jump.increment));
  for (std::size_t group = 1;; ++group, out += kSse2Lanes) {
    for (std::size_t v = 0; v < kSse2Vectors; v += 4) {
      // Top bytes (0 to 255) narrowed 32 -> 16 -> 8 bits; the values never saturate.
      const __m128i low =
          _mm_packs_epi32(_mm_srli_epi32(lanes[v], 24), _mm_srli_epi32(lanes[v + 1], 24));
      const __m128i high =
          _mm_packs_epi32(_mm_srli_epi32(lanes[v + 2], 24), _mm_srli_epi32(lanes[v + 3], 24));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * v), _mm_packus_epi16(low, high));
    }
    if (group == groups) {
      return static_cast<std::uint32_t>(
          _mm_cvtsi128_si32(_mm_shuffle_epi32(lanes[kSse2Vectors - 1], _MM_SHUFFLE(3, 3, 3, 3))));
    }
    for (auto& lane : lanes) lane = _mm_add_epi32(multiplyLanes(lane, multiplier), increment);
  }
}
#endif

#if BRIMWELL_FILL_AVX2
// 128 lanes in sixteen registers of eight: a multiplication takes longer than issuing
// eight, so fewer registers would leave the multiplier waiting. (A 512-bit kernel fills faster on
// its own, but the wider registers cost the rest of the writer more than the fill gains: whole runs
// were slower with it.)
constexpr std::size_t kAvx2Vectors = 16;
constexpr std::size_t kAvx2Lanes = 8 * kAvx2Vectors;

[[gnu::hot]] __attribute__((target("avx2"))) std::uint32_t fillAvx2(std::uint32_t state,
                                                                    std::uint8_t* out,
                                                                    std::size_t groups) {
  constexpr RandomSource::Jump jump = RandomSource::jumpOf(kAvx2Lanes);
  static constexpr auto starts = laneStartsOf<kAvx2Lanes>();
  const __m256i start = _mm256_set1_epi32(static_cast<int>(state));
  __m256i lanes[kAvx2Vectors];
  for (std::size_t v = 0; v < kAvx2Vectors; ++v) {
    lanes[v] = _mm256_add_epi32(
        _mm256_mullo_epi32(
            _mm256_load_si256(reinterpret_cast<const __m256i*>(&starts.multipliers[8 * v])), start),
        _mm256_load_si256(reinterpret_cast<const __m256i*>(&starts.increments[8 * v])));
  }
  const __m256i multiplier = _mm256_set1_epi32(static_cast<int>(jump.multiplier));
  const __m256i increment = _mm256_set1_epi32(static_cast<int>(jump.increment));
  // The packs work within each 128-bit half, leaving the four-byte groups of registers
  // a, b, c, d as a0 b0 c0 d0 a1 b1 c1 d1; this puts them back in order.
  const __m256i inOrder = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
  for (std::size_t group = 1;; ++group, out += kAvx2Lanes) {
    for (std::size_t v = 0; v < kAvx2Vectors; v += 4) {
      const __m256i ab =
          _mm256_packs_epi32(_mm256_srli_epi32(lanes[v], 24), _mm256_srli_epi32(lanes[v + 1], 24));
      const __m256i cd = _mm256_packs_epi32(_mm256_srli_epi32(lanes[v + 2], 24),
                                            _mm256_srli_epi32(lanes[v + 3], 24));
      const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_packus_epi16(ab, cd), inOrder);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 8 * v), bytes);
    }
    if (group == groups) {
      return static_cast<std::uint32_t>(_mm256_extract_epi32(lanes[kAvx2Vectors - 1], 7));
    }
    for (auto& lane : lanes) {
      lane = _mm256_add_epi32(_mm256_mullo_epi32(lane, multiplier), increment);
    }
  }
}
#endif

std::size_t lanesOf(FillKernel kernel) {
  switch (kernel) {
#if BRIMWELL_FILL_AVX2
    case FillKernel::Avx2:
      return kAvx2Lanes;
#endif
#if BRIMWELL_FILL_SSE2
    case FillKernel::Sse2:
      return kSse2Lanes;
#endif
    default:
      return kPortableLanes;
  }
}

FillKernel bestKernel() {
#if BRIMWELL_FILL_AVX2
  if (__builtin_cpu_supports("avx2")) return FillKernel::Avx2;
#endif
#if BRIMWELL_FILL_SSE2
  return FillKernel::Sse2;
#else
  return FillKernel::Portable;
#endif
}

}  // namespace

bool fillKernelAvailable(FillKernel kernel) {
  switch (kernel) {
    case FillKernel::Portable:
      return true;
    case FillKernel::Sse2:
#if BRIMWELL_FILL_SSE2
      return true;
#else
      return false;
#endif
    case FillKernel::Avx2:
#if BRIMWELL_FILL_AVX2
      return __builtin_cpu_supports("avx2");
#else
      return false;
#endif
  }
  return false;
}

namespace {

// The fill with a kernel known to be available (the check reads the processor's features
// afresh, which the fill of every block need not).
[[gnu::hot]] void fillWith(RandomSource& random, std::uint8_t* out, std::size_t count,
                           FillKernel kernel) {
  const std::size_t lanes = lanesOf(kernel);
  const std::size_t groups = count / lanes;
  if (groups != 0) {
    std::uint32_t state = random.state();
    switch (kernel) {
#if BRIMWELL_FILL_AVX2
      case FillKernel::Avx2:
        state = fillAvx2(state, out, groups);
        break;
#endif
#if BRIMWELL_FILL_SSE2
      case FillKernel::Sse2:
        state = fillSse2(state, out, groups);
        break;
#endif
      default:
        state = fillPortable(state, out, groups);
        break;
    }
    random.setState(state);
  }
  for (std::size_t i = groups * lanes; i < count; ++i) {
    out[i] = static_cast<std::uint8_t>(random.draw(256));
  }
}

}  // namespace

void fillRandomBytes(RandomSource& random, std::uint8_t* out, std::size_t count,
                     FillKernel kernel) {
  if (!fillKernelAvailable(kernel)) throw std::invalid_argument("fill kernel not available");
  fillWith(random, out, count, kernel);
}

// Hot, like the writer's block loop it serves: see ListWriting::write.
[[gnu::hot]] void fillRandomBytes(RandomSource& random, std::uint8_t* out, std::size_t count) {
  static const FillKernel best = bestKernel();
  fillWith(random, out, count, best);
}

}  // namespace brimwell
