// An array of plain values that only grows, for the per-file records a measurement keeps of
// every file on a large tree. It grows with realloc, which moves a large block's pages instead
// of copying them into fresh ones, so each record is written once and each page is touched
// once however many times the array grows (a std::vector copies all it holds at each doubling).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <span>
#include <type_traits>

namespace brimwell::measure {

template <typename T>
class GrowingArray {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

 public:
  GrowingArray() = default;
  GrowingArray(const GrowingArray&) = delete;
  GrowingArray& operator=(const GrowingArray&) = delete;
  ~GrowingArray() { std::free(data_); }

  void push_back(const T& value) {
    if (size_ == capacity_) grow(size_ + 1);
    data_[size_++] = value;
  }
  void append(std::span<const T> values) {
    if (values.empty()) return;
    if (size_ + values.size() > capacity_) grow(size_ + values.size());
    std::copy(values.begin(), values.end(), data_ + size_);
    size_ += values.size();
  }
  void clear() { size_ = 0; }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const T& operator[](std::size_t i) const { return data_[i]; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }
  std::span<const T> view() const { return {data_, size_}; }

 private:
  void grow(std::size_t needed) {
    std::size_t capacity = capacity_ == 0 ? 256 : capacity_ * 2;
    while (capacity < needed) capacity *= 2;
    void* grown = std::realloc(data_, capacity * sizeof(T));
    if (grown == nullptr) throw std::bad_alloc();
    data_ = static_cast<T*>(grown);
    capacity_ = capacity;
  }

  T* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace brimwell::measure
