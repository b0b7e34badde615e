// What every collation shares.
#include "platform/collation.h"

namespace brimwell {

std::vector<std::uint32_t> Collation::orderAt(std::size_t count, const TextAt& textAt) {
  std::vector<std::string_view> texts;
  texts.reserve(count);
  for (std::size_t i = 0; i < count; ++i) texts.push_back(textAt(i));
  return order(texts);
}

std::vector<std::uint32_t> Collation::orderFromGuess(std::size_t count, const TextAt& textAt,
                                                     std::vector<std::uint32_t> /*guess*/) {
  return orderAt(count, textAt);
}

}  // namespace brimwell
