// Sort keys kept in a few large blocks, and the ascending order of their texts.
//
// A sort key is a string of non-zero bytes ended by one zero byte (as ICU makes them);
// two texts compare as their keys compare byte by byte. Keys are stored back to back in
// blocks of several megabytes, with no allocation per key.
//
// The order is found by a most-significant-first sort that looks at eight key bytes at a
// time: items are sorted by the eight bytes after the prefix they all share, and each
// group that still ties is sorted again further on. Most key bytes are read once and in
// order, and comparisons are of plain 64-bit numbers, which is much faster for a million
// long keys with long common beginnings (paths) than comparing whole keys each time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/failure.h"

namespace brimwell {

class SortKeys {
 public:
  explicit SortKeys(std::size_t expected) { keys_.reserve(expected); }

  // Adds the next text's key. `write(buffer, capacity)` writes the key (its zero byte
  // included) when it fits and returns its length in either case, as ucol_getSortKey does.
  template <typename Write>
  void add(Write write) {
    std::size_t length = room_ == 0 ? 0 : write(next_, room_);
    if (length == 0 || length > room_) {
      newBlock(length);
      length = write(next_, room_);
      if (length == 0 || length > room_) throw Failure("No sort key for a text");
    }
    keys_.push_back(next_);
    next_ += length;
    room_ -= length;
  }

  std::size_t size() const { return keys_.size(); }
  // Positions of the keys in ascending key order; equal keys keep the order they were
  // added in.
  std::vector<std::uint32_t> ascendingOrder() const;

 private:
  void newBlock(std::size_t atLeast);

  std::vector<std::unique_ptr<std::uint8_t[]>> blocks_;
  std::vector<const std::uint8_t*> keys_;
  std::uint8_t* next_ = nullptr;
  std::size_t room_ = 0;
};

}  // namespace brimwell
