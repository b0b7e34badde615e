// The file list's order on Windows is lstrcmpA's: the user locale's word sort,
// case-sensitive, digits compared as characters.
//
// Calling lstrcmpA for every comparison of a million-path sort is slow, so each text gets
// the locale's sort key once (LCMapStringA, the keys lstrcmpA's comparison is defined by)
// and the keys are sorted. The result is then checked against lstrcmpA itself, pair by
// neighbouring pair; should the keys ever disagree with it, the texts are sorted again
// with lstrcmpA as the comparison, so the order is lstrcmpA's in every case.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/collation.h"

namespace brimwell {
namespace {

class Win32Collation : public Collation {
 public:
  std::vector<std::uint32_t> order(const std::vector<std::string_view>& texts) override {
    const std::size_t count = texts.size();
    // NUL-terminated copies of all texts in one buffer, as lstrcmpA reads them.
    std::string chars;
    std::vector<std::size_t> textAt(count);
    for (std::size_t i = 0; i < count; ++i) {
      textAt[i] = chars.size();
      chars.append(texts[i]);
      chars += '\0';
    }
    std::vector<std::uint32_t> positions(count);
    for (std::size_t i = 0; i < count; ++i) positions[i] = static_cast<std::uint32_t>(i);
    const auto text = [&](std::uint32_t i) { return chars.c_str() + textAt[i]; };

    std::string keys;
    std::vector<std::size_t> keyAt(count + 1);
    if (makeKeys(count, text, keys, keyAt)) {
      const char* base = keys.data();
      std::stable_sort(positions.begin(), positions.end(), [&](std::uint32_t a, std::uint32_t b) {
        const std::size_t lengthA = keyAt[a + 1] - keyAt[a];
        const std::size_t lengthB = keyAt[b + 1] - keyAt[b];
        const int byBytes =
            std::memcmp(base + keyAt[a], base + keyAt[b], std::min(lengthA, lengthB));
        return byBytes != 0 ? byBytes < 0 : lengthA < lengthB;
      });
      if (agreesWithLstrcmp(positions, text)) return positions;
      for (std::size_t i = 0; i < count; ++i) positions[i] = static_cast<std::uint32_t>(i);
    }
    std::stable_sort(positions.begin(), positions.end(), [&](std::uint32_t a, std::uint32_t b) {
      return lstrcmpA(text(a), text(b)) < 0;
    });
    return positions;
  }

 private:
  template <typename TextOf>
  static bool makeKeys(std::size_t count, const TextOf& text, std::string& keys,
                       std::vector<std::size_t>& keyAt) {
    const LCID locale = GetThreadLocale();
    for (std::size_t i = 0; i < count; ++i) {
      const char* source = text(static_cast<std::uint32_t>(i));
      const std::size_t start = keys.size();
      keyAt[i] = start;
      // A key takes a few bytes per character; ask for the exact size only when that
      // guess is short.
      std::size_t room = std::strlen(source) * 6 + 32;
      keys.resize(start + room);
      int length = LCMapStringA(locale, LCMAP_SORTKEY, source, -1, keys.data() + start,
                                static_cast<int>(room));
      if (length == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        length = LCMapStringA(locale, LCMAP_SORTKEY, source, -1, nullptr, 0);
        if (length <= 0) return false;
        room = static_cast<std::size_t>(length);
        keys.resize(start + room);
        length = LCMapStringA(locale, LCMAP_SORTKEY, source, -1, keys.data() + start,
                              static_cast<int>(room));
      }
      if (length <= 0) return false;
      keys.resize(start + static_cast<std::size_t>(length));
    }
    keyAt[count] = keys.size();
    return true;
  }

  // True when every neighbouring pair is in lstrcmpA's order, equal texts keeping their
  // original order.
  template <typename TextOf>
  static bool agreesWithLstrcmp(const std::vector<std::uint32_t>& positions, const TextOf& text) {
    for (std::size_t i = 1; i < positions.size(); ++i) {
      const int compared = lstrcmpA(text(positions[i - 1]), text(positions[i]));
      if (compared > 0 || (compared == 0 && positions[i - 1] > positions[i])) return false;
    }
    return true;
  }
};

}  // namespace

std::unique_ptr<Collation> userCollation() { return std::make_unique<Win32Collation>(); }

}  // namespace brimwell
