// The user locale's order of texts, used to sort the file list once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace brimwell {

class Collation {
 public:
  // The text of item i, for i from 0 to count-1.
  using TextAt = std::function<std::string_view(std::size_t)>;

  virtual ~Collation() = default;
  // The positions of `texts` in ascending collation order (a stable order for ties).
  virtual std::vector<std::uint32_t> order(const std::vector<std::string_view>& texts) = 0;
  // The same for `count` texts read one at a time through `textAt`, so a caller holding
  // its texts elsewhere (a table of a million rows) needs no list of them. `textAt` is
  // called once for each item, in ascending order. The default gathers the texts and
  // calls order(texts); an implementation may do better.
  virtual std::vector<std::uint32_t> orderAt(std::size_t count, const TextAt& textAt);
  // The same, given a likely answer: `guess` is taken when it is right (a permutation in
  // which every text is in order with the next, ties by position), which costs one
  // comparison a neighbour; otherwise the texts are sorted as orderAt sorts them. The
  // default does not check and always sorts.
  virtual std::vector<std::uint32_t> orderFromGuess(std::size_t count, const TextAt& textAt,
                                                    std::vector<std::uint32_t> guess);
};

// The user locale's collation: case-sensitive, digits compared as characters.
std::unique_ptr<Collation> userCollation();

}  // namespace brimwell
