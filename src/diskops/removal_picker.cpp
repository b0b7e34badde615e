#include "diskops/removal_picker.h"

#include <cstdint>
#include <stdexcept>

namespace brimwell::diskops {

namespace {

// A Fenwick tree over "still present" flags, all present at the start.
class PresentEntries {
 public:
  explicit PresentEntries(std::size_t count) : tree_(count + 1) {
    // With every flag set, node i covers (i & -i) entries.
    for (std::size_t i = 1; i <= count; ++i) tree_[i] = static_cast<std::uint32_t>(i & (~i + 1));
    highestStep_ = 1;
    while (highestStep_ * 2 <= count) highestStep_ *= 2;
  }

  // The index of the present entry at position `rank` (0-based) among those present.
  std::size_t find(std::size_t rank) const {
    const std::size_t count = tree_.size() - 1;
    std::size_t node = 0;
    auto remaining = static_cast<std::uint32_t>(rank + 1);
    for (std::size_t step = highestStep_; step != 0; step /= 2) {
      const std::size_t next = node + step;
      if (next <= count && tree_[next] < remaining) {
        node = next;
        remaining -= tree_[next];
      }
    }
    return node;  // the 1-based node after it is the entry itself
  }

  void remove(std::size_t index) {
    for (std::size_t i = index + 1; i < tree_.size(); i += i & (~i + 1)) --tree_[i];
  }

 private:
  std::vector<std::uint32_t> tree_;
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
    const std::size_t index = present.find(random.draw(static_cast<std::uint32_t>(left)));
    removed[index] = true;
    present.remove(index);
  }
  return removed;
}

}  // namespace brimwell::diskops
