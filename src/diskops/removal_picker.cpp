#include "diskops/removal_picker.h"

#include <array>
#include <bit>
#include <cstdint>
#include <stdexcept>

namespace brimwell::diskops {

namespace {

// The count of set bits of each byte value (a table: the processor's own count is not in
// the baseline instruction set).
constexpr std::array<std::uint8_t, 256> kOnesInByte = [] {
  std::array<std::uint8_t, 256> ones{};
  for (std::size_t b = 0; b < ones.size(); ++b)
    ones[b] = static_cast<std::uint8_t>(std::popcount(b));
  return ones;
}();

// The k-th (0-based) set bit of `word`, which holds more than k set bits.
unsigned nthSetBit(std::uint64_t word, unsigned k) {
  unsigned shift = 0;
  for (;;) {
    const unsigned ones = kOnesInByte[word & 0xffu];
    if (k < ones) break;
    k -= ones;
    word >>= 8;
    shift += 8;
  }
  for (; k != 0; --k) word &= word - 1;
  return shift + static_cast<unsigned>(std::countr_zero(word));
}

// "Still present" flags, 64 to a word, with a Fenwick tree over the words' counts: small
// enough to stay in the processor's caches for a list of millions of entries.
class PresentEntries {
 public:
  explicit PresentEntries(std::size_t count) : words_((count + 63) / 64, ~std::uint64_t(0)) {
    if (count % 64 != 0) words_.back() = (std::uint64_t(1) << (count % 64)) - 1;
    tree_.assign(words_.size() + 1, 0);
    for (std::size_t i = 1; i < tree_.size(); ++i) {
      tree_[i] += static_cast<std::uint32_t>(std::popcount(words_[i - 1]));
      const std::size_t parent = i + (i & (~i + 1));
      if (parent < tree_.size()) tree_[parent] += tree_[i];
    }
    highestStep_ = 1;
    while (highestStep_ * 2 < tree_.size()) highestStep_ *= 2;
  }

  // Removes the present entry at position `rank` (0-based) among those present; returns
  // its index.
  std::size_t take(std::size_t rank) {
    std::size_t word = 0;
    auto remaining = static_cast<std::uint32_t>(rank + 1);
    for (std::size_t step = highestStep_; step != 0; step /= 2) {
      const std::size_t next = word + step;
      if (next < tree_.size() && tree_[next] < remaining) {
        word = next;
        remaining -= tree_[next];
      }
    }
    const unsigned bit = nthSetBit(words_[word], remaining - 1);
    words_[word] &= ~(std::uint64_t(1) << bit);
    for (std::size_t i = word + 1; i < tree_.size(); i += i & (~i + 1)) --tree_[i];
    return word * 64 + bit;
  }

 private:
  std::vector<std::uint64_t> words_;
  std::vector<std::uint32_t> tree_;  // 1-based: node i counts words i - (i & -i) to i - 1
  std::size_t highestStep_ = 0;
};

}  // namespace

std::vector<bool> pickRemovals(std::size_t count, std::size_t removals, RandomSource& random) {
  if (removals > count) throw std::invalid_argument("pickRemovals: more removals than entries");
  if (count > UINT32_MAX) throw std::length_error("pickRemovals: list too long");
  std::vector<bool> removed(count, false);
  PresentEntries present(count);
  std::size_t left = count;
  for (std::size_t turn = 0; turn < removals; ++turn, --left) {
    removed[present.take(random.draw(static_cast<std::uint32_t>(left)))] = true;
  }
  return removed;
}

}  // namespace brimwell::diskops
