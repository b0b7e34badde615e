// The ascending order of sort keys, eight bytes at a time (see sort_key_order.h).
#include "platform/sort_key_order.h"

#include <algorithm>
#include <cstring>

namespace brimwell {
namespace {

constexpr std::size_t kBlockBytes = std::size_t{16} << 20;
// Groups this small are sorted by whole-key comparison rather than eight bytes a level.
constexpr std::size_t kSmallGroup = 16;

#pragma pack(push, 4)
struct Item {
  std::uint64_t head;  // eight key bytes from the group's depth on, big-endian, zero-padded
  std::uint32_t position;
};
#pragma pack(pop)

bool headFirst(const Item& a, const Item& b) {
  return a.head != b.head ? a.head < b.head : a.position < b.position;
}

// Eight bytes of `key` from `at`, as a big-endian number; bytes past the key's end are 0.
std::uint64_t headAt(const std::uint8_t* key, std::size_t at) {
  std::uint64_t head = 0;
  int shift = 56;
  for (const std::uint8_t* p = key + at; shift >= 0 && *p != 0; ++p, shift -= 8) {
    head |= static_cast<std::uint64_t>(*p) << shift;
  }
  return head;
}

class KeySorter {
 public:
  explicit KeySorter(const std::vector<const std::uint8_t*>& keys) : keys_(keys) {}

  // Sorts items [begin, end), whose keys agree on their first `depth` bytes.
  void sort(Item* begin, Item* end, std::size_t depth) {
    const auto count = static_cast<std::size_t>(end - begin);
    if (count < 2) return;
    if (count <= kSmallGroup) {
      std::sort(begin, end, [this, depth](const Item& a, const Item& b) {
        const int c = std::strcmp(text(a, depth), text(b, depth));
        return c != 0 ? c < 0 : a.position < b.position;
      });
      return;
    }
    depth += sharedPrefix(begin, end, depth);
    for (Item* item = begin; item != end; ++item) {
      item->head = headAt(keys_[item->position], depth);
    }
    std::sort(begin, end, headFirst);
    for (Item* run = begin; run != end;) {
      Item* runEnd = run + 1;
      while (runEnd != end && runEnd->head == run->head) ++runEnd;
      // A head whose last byte is 0 holds the keys' end: the run's keys are equal and
      // already in their original order.
      if ((run->head & 0xFFu) != 0) sort(run, runEnd, depth + 8);
      run = runEnd;
    }
  }

 private:
  const char* text(const Item& item, std::size_t depth) const {
    return reinterpret_cast<const char*>(keys_[item.position] + depth);
  }

  // How many bytes from `depth` on every key of [begin, end) shares with the first one.
  std::size_t sharedPrefix(const Item* begin, const Item* end, std::size_t depth) const {
    const std::uint8_t* first = keys_[begin->position] + depth;
    std::size_t shared = std::strlen(reinterpret_cast<const char*>(first));
    for (const Item* item = begin + 1; item != end && shared != 0; ++item) {
      const std::uint8_t* key = keys_[item->position] + depth;
      std::size_t same = 0;
      while (same < shared && key[same] == first[same]) ++same;
      shared = same;
    }
    return shared;
  }

  const std::vector<const std::uint8_t*>& keys_;
};

}  // namespace

void SortKeys::newBlock(std::size_t atLeast) {
  const std::size_t bytes = std::max(kBlockBytes, atLeast);
  blocks_.push_back(std::make_unique_for_overwrite<std::uint8_t[]>(bytes));
  next_ = blocks_.back().get();
  room_ = bytes;
}

std::vector<std::uint32_t> SortKeys::ascendingOrder() const {
  std::vector<Item> items(keys_.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    items[i] = Item{0, static_cast<std::uint32_t>(i)};
  }
  KeySorter(keys_).sort(items.data(), items.data() + items.size(), 0);
  std::vector<std::uint32_t> positions(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) positions[i] = items[i].position;
  return positions;
}

}  // namespace brimwell
