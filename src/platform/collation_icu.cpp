// The user locale's collation through ICU.
//
// Order: ICU's collator for the locale of the collation category (LC_ALL, then
// LC_COLLATE, then LANG, as the C library reads them; not ICU's own default, which follows
// LC_MESSAGES), at tertiary strength (case-sensitive), with numeric collation off, so
// digits are compared one by one as characters. Punctuation such as "-" and "'" weighs
// like any other character. Under the C and POSIX locales (and C.UTF-8) the order is plain
// byte order, as the C library's own comparison gives there.
//
// A text that is valid UTF-8 is read as UTF-8; any other text is read byte by byte as
// Latin-1, so every path has a place in the order.
//
// Speed: one sort key per text, computed once into large shared blocks, then one sort of
// the keys; ties (equal keys) keep their original order. When the caller has a likely
// order (the builder knows its paths' folders), checking each neighbour pair is enough
// and no key is made.
#include <unicode/ucol.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/collation.h"
#include "platform/collation_icu.h"
#include "platform/failure.h"
#include "platform/sort_key_order.h"

namespace brimwell {
namespace {

// `text` as UTF-16: decoded as UTF-8 when it is valid UTF-8, else byte by byte as Latin-1.
void widen(std::string_view text, std::vector<UChar>& wide) {
  wide.clear();
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(text.size());
  std::int32_t at = 0;
  while (at < length) {
    UChar32 c = bytes[at];
    if (c < 0x80) {
      wide.push_back(static_cast<UChar>(c));
      ++at;
      continue;
    }
    U8_NEXT(bytes, at, length, c);
    if (c < 0) {
      wide.clear();
      for (std::int32_t i = 0; i < length; ++i) wide.push_back(bytes[i]);
      return;
    }
    if (c <= 0xFFFF) {
      wide.push_back(static_cast<UChar>(c));
    } else {
      wide.push_back(U16_LEAD(c));
      wide.push_back(U16_TRAIL(c));
    }
  }
}

// A sort key of the bytes themselves: byte order, with 0 and 1 written as two bytes so
// the key holds no zero before its end and keeps the order.
std::size_t byteKey(std::string_view text, std::uint8_t* buffer, std::size_t capacity) {
  std::size_t length = 1;
  for (const char c : text) length += static_cast<std::uint8_t>(c) <= 1 ? 2 : 1;
  if (length > capacity) return length;
  for (const char c : text) {
    const auto byte = static_cast<std::uint8_t>(c);
    if (byte <= 1) *buffer++ = 1;
    *buffer++ = byte <= 1 ? static_cast<std::uint8_t>(byte + 1) : byte;
  }
  *buffer = 0;
  return length;
}

class IcuCollation : public Collation {
 public:
  // A null `locale` gives byte order, without ICU.
  explicit IcuCollation(const char* locale) {
    if (locale == nullptr) return;
    UErrorCode status = U_ZERO_ERROR;
    collator_ = ucol_open(locale, &status);
    if (U_FAILURE(status)) {
      status = U_ZERO_ERROR;
      collator_ = ucol_open("", &status);
    }
    if (U_FAILURE(status)) throw Failure("The locale's collation is not available");
    ucol_setStrength(collator_, UCOL_TERTIARY);
    ucol_setAttribute(collator_, UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
    if (U_FAILURE(status)) throw Failure("The locale's collation is not available");
  }
  ~IcuCollation() override {
    if (collator_ != nullptr) ucol_close(collator_);
  }
  IcuCollation(const IcuCollation&) = delete;
  IcuCollation& operator=(const IcuCollation&) = delete;

  std::vector<std::uint32_t> order(const std::vector<std::string_view>& texts) override {
    return orderAt(texts.size(), [&texts](std::size_t i) { return texts[i]; });
  }

  std::vector<std::uint32_t> orderAt(std::size_t count, const TextAt& textAt) override {
    SortKeys keys(count);
    std::vector<UChar> wide;
    for (std::size_t i = 0; i < count; ++i) {
      if (collator_ == nullptr) {
        const std::string_view text = textAt(i);
        keys.add([&](std::uint8_t* buffer, std::size_t capacity) {
          return byteKey(text, buffer, capacity);
        });
        continue;
      }
      widen(textAt(i), wide);
      const auto length = static_cast<std::int32_t>(wide.size());
      keys.add([&](std::uint8_t* buffer, std::size_t capacity) {
        return static_cast<std::size_t>(
            ucol_getSortKey(collator_, wide.data(), length, buffer,
                            static_cast<std::int32_t>(std::min<std::size_t>(capacity, INT32_MAX))));
      });
    }
    return keys.ascendingOrder();
  }

  std::vector<std::uint32_t> orderFromGuess(std::size_t count, const TextAt& textAt,
                                            std::vector<std::uint32_t> guess) override {
    if (isPermutation(guess, count) && inOrder(guess, textAt)) return guess;
    return orderAt(count, textAt);
  }

 private:
  static bool isPermutation(const std::vector<std::uint32_t>& positions, std::size_t count) {
    if (positions.size() != count) return false;
    std::vector<bool> seen(count);
    for (const std::uint32_t position : positions) {
      if (position >= count || seen[position]) return false;
      seen[position] = true;
    }
    return true;
  }

  // Whether each text of `positions` collates before the next, or equal with a lower
  // position. ucol_strcoll skips the beginning two texts share, so neighbours in a sorted
  // list of paths compare quickly.
  bool inOrder(const std::vector<std::uint32_t>& positions, const TextAt& textAt) const {
    if (collator_ == nullptr) {
      std::string previousText;
      for (std::size_t k = 0; k < positions.size(); ++k) {
        const std::string_view text = textAt(positions[k]);
        if (k > 0) {
          const int result = std::string_view(previousText).compare(text);
          if (result > 0 || (result == 0 && positions[k - 1] > positions[k])) return false;
        }
        previousText.assign(text);
      }
      return true;
    }
    std::vector<UChar> previous;
    std::vector<UChar> current;
    for (std::size_t k = 0; k < positions.size(); ++k) {
      widen(textAt(positions[k]), current);
      if (k > 0) {
        const UCollationResult result =
            ucol_strcoll(collator_, previous.data(), static_cast<std::int32_t>(previous.size()),
                         current.data(), static_cast<std::int32_t>(current.size()));
        if (result == UCOL_GREATER) return false;
        if (result == UCOL_EQUAL && positions[k - 1] > positions[k]) return false;
      }
      previous.swap(current);
    }
    return true;
  }

  UCollator* collator_ = nullptr;
};

}  // namespace

std::unique_ptr<Collation> icuCollation(const char* locale) {
  return std::make_unique<IcuCollation>(locale);
}

std::string collationLocaleName() {
  for (const char* name : {"LC_ALL", "LC_COLLATE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') continue;
    // "de_DE.UTF-8@euro" names the ICU locale "de_DE".
    const std::string locale(value, std::strcspn(value, ".@"));
    if (locale == "C" || locale == "POSIX") return {};
    return locale;
  }
  return {};
}

std::unique_ptr<Collation> userCollation() {
  const std::string locale = collationLocaleName();
  return std::make_unique<IcuCollation>(locale.empty() ? nullptr : locale.c_str());
}

}  // namespace brimwell
