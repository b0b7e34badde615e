// The user locale's order of texts, used to sort the file list once.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace brimwell {

class Collation {
 public:
  virtual ~Collation() = default;
  // The positions of `texts` in ascending collation order (a stable order for ties).
  virtual std::vector<std::uint32_t> order(const std::vector<std::string_view>& texts) = 0;
};

// The user locale's collation: case-sensitive, digits compared as characters.
std::unique_ptr<Collation> userCollation();

}  // namespace brimwell
