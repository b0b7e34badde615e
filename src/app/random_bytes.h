// Fills a buffer with random bytes from the process-wide random source, byte for byte the
// same as one draw(256) a byte, in order, only faster.
//
// draw(256) steps the state once and yields its top 8 bits. The fill runs several copies of
// the generator ("lanes"), each a fixed number of steps ahead of the one before, so that
// independent multiplications run side by side in vector registers; afterwards the
// source's state is the state after the last byte, exactly as if every byte had been drawn
// one by one.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/random_source.h"

namespace brimwell {

// Writes `count` bytes, each what draw(256) would have given at its turn, with the fastest
// kernel the processor offers.
void fillRandomBytes(RandomSource& random, std::uint8_t* out, std::size_t count);

// The kernels behind the fill; all give the same bytes. Tests and benchmarks pick one.
enum class FillKernel { Portable, Sse2, Avx2 };
bool fillKernelAvailable(FillKernel kernel);
// As above with the given kernel, which must be available.
void fillRandomBytes(RandomSource& random, std::uint8_t* out, std::size_t count, FillKernel kernel);

}  // namespace brimwell
