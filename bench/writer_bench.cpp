// The writer's content fill: 2048 random bytes a block, one draw(256) a byte against the
// laned fill that gives the same bytes.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>

#include "app/random_bytes.h"
#include "app/random_source.h"

namespace {

void BM_FillOneDrawAByte(benchmark::State& state) {
  brimwell::RandomSource random(1);
  std::array<std::uint8_t, 2048> buffer{};
  for (auto _ : state) {
    for (auto& byte : buffer) byte = static_cast<std::uint8_t>(random.draw(256));
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 2048);
}
BENCHMARK(BM_FillOneDrawAByte);

void BM_FillLaned(benchmark::State& state, brimwell::FillKernel kernel) {
  if (!brimwell::fillKernelAvailable(kernel)) {
    state.SkipWithError("kernel not available on this processor");
    return;
  }
  brimwell::RandomSource random(1);
  std::array<std::uint8_t, 2048> buffer{};
  for (auto _ : state) {
    brimwell::fillRandomBytes(random, buffer.data(), buffer.size(), kernel);
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 2048);
}
BENCHMARK_CAPTURE(BM_FillLaned, portable, brimwell::FillKernel::Portable);
BENCHMARK_CAPTURE(BM_FillLaned, sse2, brimwell::FillKernel::Sse2);
BENCHMARK_CAPTURE(BM_FillLaned, avx2, brimwell::FillKernel::Avx2);

}  // namespace

BENCHMARK_MAIN();
