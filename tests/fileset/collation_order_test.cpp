// The order the file list is sorted into on this platform: ICU's locale collation, and
// the sort of its keys. (Where the platform's own comparison replaces ICU, these do not
// apply.)
#ifndef _WIN32

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "platform/collation_icu.h"
#include "platform/sort_key_order.h"

namespace brimwell::testing {
namespace {

std::vector<std::string> sorted(Collation& collation, const std::vector<std::string>& texts) {
  const std::vector<std::string_view> views(texts.begin(), texts.end());
  std::vector<std::string> result;
  for (const std::uint32_t i : collation.order(views)) result.push_back(texts[i]);
  return result;
}

TEST(CollationOrder, DigitsAreCharactersAndCaseCounts) {
  const auto english = icuCollation("en_US");
  EXPECT_EQ(sorted(*english, {"d:\\x9\\a", "d:\\x10\\a"}),
            (std::vector<std::string>{"d:\\x10\\a", "d:\\x9\\a"}));
  EXPECT_EQ(sorted(*english, {"AB", "Ab", "ab", "aB"}),
            (std::vector<std::string>{"ab", "aB", "Ab", "AB"}));
  // The hyphen weighs as a character of its own, before letters and digits.
  EXPECT_EQ(sorted(*english, {"ab", "a-c"}), (std::vector<std::string>{"a-c", "ab"}));
}

TEST(CollationOrder, Utf8IsDecodedAndOtherBytesAreLatin1) {
  const auto english = icuCollation("en_US");
  // "é" as UTF-8, and as the single Latin-1 byte, both sort between e and f.
  EXPECT_EQ(sorted(*english, {"f", "\xC3\xA9", "e"}),
            (std::vector<std::string>{"e", "\xC3\xA9", "f"}));
  EXPECT_EQ(sorted(*english, {"f", "\xE9", "e", "\xFF\xFE"}),
            (std::vector<std::string>{"e", "\xE9", "f", "\xFF\xFE"}));
}

TEST(CollationOrder, PosixLocaleIsByteOrderForAscii) {
  const auto posix = icuCollation("en_US_POSIX");
  EXPECT_EQ(sorted(*posix, {"a", "_", "B", "Z", "1", " "}),
            (std::vector<std::string>{" ", "1", "B", "Z", "_", "a"}));
}

TEST(CollationOrder, EqualTextsKeepTheirPlaces) {
  const auto english = icuCollation("en_US");
  const std::vector<std::string_view> texts{"b", "a", "b", "a", "b"};
  EXPECT_EQ(english->order(texts), (std::vector<std::uint32_t>{1, 3, 0, 2, 4}));
}

TEST(CollationOrder, AGuessIsTakenOnlyWhenRight) {
  const auto english = icuCollation("en_US");
  const std::vector<std::string_view> texts{"d:\\b\\2", "d:\\a\\1", "d:\\B\\3", "d:\\a\\1"};
  // Which texts were read, in order: a guess that is taken is read in its own order, once
  // through, and no text is read again to sort.
  std::vector<std::size_t> reads;
  const auto at = [&](std::size_t i) {
    reads.push_back(i);
    return texts[i];
  };
  const std::vector<std::uint32_t> right = english->orderAt(texts.size(), at);
  EXPECT_EQ(right, (std::vector<std::uint32_t>{1, 3, 0, 2}));
  reads.clear();
  EXPECT_EQ(english->orderFromGuess(texts.size(), at, right), right);
  EXPECT_EQ(reads, (std::vector<std::size_t>{1, 3, 0, 2}));
  // Out of order, ties the wrong way round, a repeated position, the wrong size: each is
  // sorted, which reads every text in turn.
  for (const auto& guess : std::vector<std::vector<std::uint32_t>>{
           {1, 3, 2, 0}, {3, 1, 0, 2}, {1, 1, 0, 2}, {1, 3, 0}, {}}) {
    reads.clear();
    EXPECT_EQ(english->orderFromGuess(texts.size(), at, guess), right);
    ASSERT_GE(reads.size(), 4u);
    EXPECT_EQ(std::vector<std::size_t>(reads.end() - 4, reads.end()),
              (std::vector<std::size_t>{0, 1, 2, 3}));
  }
}

// Random byte strings without zeros, with long shared beginnings and repeats, as
// "keys"; the key sort must give std::stable_sort's order by strcmp.
TEST(SortKeyOrder, MatchesAStableSortOfTheKeys) {
  std::mt19937 random(42);
  for (const std::size_t count : {0u, 1u, 2u, 15u, 17u, 300u, 20000u}) {
    std::vector<std::string> keys;
    const std::string stems[] = {std::string(40, '\x05'), "abc", std::string(9, '\xFF'), ""};
    for (std::size_t i = 0; i < count; ++i) {
      std::string key = stems[random() % 4];
      const std::size_t tail = random() % 12;
      for (std::size_t c = 0; c < tail; ++c) key += static_cast<char>(1 + random() % 4);
      keys.push_back(key);
    }
    SortKeys sortKeys(count);
    for (const auto& key : keys) {
      sortKeys.add([&key](std::uint8_t* buffer, std::size_t capacity) {
        if (key.size() + 1 <= capacity) std::memcpy(buffer, key.c_str(), key.size() + 1);
        return key.size() + 1;
      });
    }
    std::vector<std::uint32_t> expected(count);
    for (std::uint32_t i = 0; i < count; ++i) expected[i] = i;
    std::stable_sort(expected.begin(), expected.end(),
                     [&keys](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
    EXPECT_EQ(sortKeys.ascendingOrder(), expected) << count;
  }
}

}  // namespace
}  // namespace brimwell::testing

#endif
