// Picks the entries that the sort-out removes, exactly as removing them one at a time
// would: each turn removes the entry at position draw(number of entries left), counted
// among the entries still present, and the turns run in order.
//
// Removing from the middle of a list one entry at a time moves the rest of the list every
// turn; here the positions are found in a tree of counts (the k-th present entry in
// O(log n)) and the list is compacted once by the caller.
#pragma once

#include <cstddef>
#include <vector>

#include "app/random_source.h"

namespace brimwell::diskops {

// One flag for each of `count` entries: true for the `removals` entries picked.
// `removals` must not exceed `count`.
std::vector<bool> pickRemovals(std::size_t count, std::size_t removals, RandomSource& random);

}  // namespace brimwell::diskops
