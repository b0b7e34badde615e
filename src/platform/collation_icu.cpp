// The user locale's collation through ICU: one sort key per text, computed once, then one
// sort of the keys.
#include <unicode/ucol.h>
#include <unicode/uloc.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "platform/collation.h"

namespace brimwell {
namespace {

class IcuCollation : public Collation {
 public:
  IcuCollation() {
    UErrorCode status = U_ZERO_ERROR;
    collator_ = ucol_open(uloc_getDefault(), &status);
    if (U_FAILURE(status)) {
      status = U_ZERO_ERROR;
      collator_ = ucol_open("", &status);
    }
    if (U_FAILURE(status)) throw std::runtime_error("The locale's collation is not available");
    ucol_setStrength(collator_, UCOL_TERTIARY);
  }
  ~IcuCollation() override { ucol_close(collator_); }

  std::vector<std::uint32_t> order(const std::vector<std::string_view>& texts) override {
    // All keys live in one buffer; a key is found by its offset.
    std::string keys;
    std::vector<std::uint64_t> offsets(texts.size() + 1);
    std::vector<UChar> wide;
    for (std::size_t i = 0; i < texts.size(); ++i) {
      offsets[i] = keys.size();
      appendKey(texts[i], wide, keys);
    }
    offsets[texts.size()] = keys.size();
    std::vector<std::uint32_t> positions(texts.size());
    for (std::size_t i = 0; i < positions.size(); ++i) {
      positions[i] = static_cast<std::uint32_t>(i);
    }
    const char* base = keys.data();
    std::stable_sort(positions.begin(), positions.end(), [&](std::uint32_t a, std::uint32_t b) {
      return std::strcmp(base + offsets[a], base + offsets[b]) < 0;
    });
    return positions;
  }

 private:
  // Bytes are taken as Latin-1, so every 8-bit path has a key.
  void appendKey(std::string_view text, std::vector<UChar>& wide, std::string& keys) {
    wide.resize(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
      wide[i] = static_cast<unsigned char>(text[i]);
    }
    const auto length = static_cast<int32_t>(wide.size());
    const std::size_t start = keys.size();
    keys.resize(start + text.size() * 4 + 16);
    int32_t needed = ucol_getSortKey(collator_, wide.data(), length,
                                     reinterpret_cast<uint8_t*>(keys.data() + start),
                                     static_cast<int32_t>(keys.size() - start));
    if (static_cast<std::size_t>(needed) > keys.size() - start) {
      keys.resize(start + static_cast<std::size_t>(needed));
      needed = ucol_getSortKey(collator_, wide.data(), length,
                               reinterpret_cast<uint8_t*>(keys.data() + start), needed);
    }
    // The key's own terminating zero stays as the separator.
    keys.resize(start + static_cast<std::size_t>(needed));
  }

  UCollator* collator_ = nullptr;
};

}  // namespace

std::unique_ptr<Collation> userCollation() { return std::make_unique<IcuCollation>(); }

}  // namespace brimwell
