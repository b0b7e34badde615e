// A figure that a call may not be able to give: the figure, or the Failure that says why not.
//
// For calls whose caller must look at the answer and may go on without the figure (a volume
// that does not report its free extents); a caller that cannot go on calls value(), which
// throws the failure.
#pragma once

#include <utility>
#include <variant>

#include "platform/failure.h"

namespace brimwell {

template <class T>
class [[nodiscard]] Expected {
 public:
  Expected(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Expected(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}

  // Whether the figure is there.
  bool known() const { return state_.index() == 0; }
  explicit operator bool() const { return known(); }

  // The figure; only when known().
  const T& operator*() const { return std::get<0>(state_); }
  T& operator*() { return std::get<0>(state_); }
  const T* operator->() const { return &std::get<0>(state_); }
  T* operator->() { return &std::get<0>(state_); }
  // The figure, or the failure thrown.
  const T& value() const {
    if (!known()) throw std::get<1>(state_);
    return std::get<0>(state_);
  }
  // Why the figure is not there; only when !known().
  const Failure& failure() const { return std::get<1>(state_); }

 private:
  std::variant<T, Failure> state_;
};

}  // namespace brimwell
