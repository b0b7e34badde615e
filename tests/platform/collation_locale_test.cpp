// Which locale orders the file list: the collation category's (LC_ALL, LC_COLLATE, LANG),
// never the messages category's; C and POSIX give byte order.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/collation_icu.h"

namespace brimwell {
namespace {

// Sets the locale variables for one test and puts the old values back afterwards.
class LocaleVariables : public ::testing::Test {
 protected:
  static constexpr const char* kNames[] = {"LC_ALL", "LC_COLLATE", "LC_MESSAGES", "LANG"};

  void SetUp() override {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      saved_.push_back(value == nullptr ? std::nullopt : std::optional<std::string>(value));
      unsetenv(name);
    }
  }
  void TearDown() override {
    for (std::size_t i = 0; i < std::size(kNames); ++i) {
      if (saved_[i]) {
        setenv(kNames[i], saved_[i]->c_str(), 1);
      } else {
        unsetenv(kNames[i]);
      }
    }
  }

  // The user's order of texts that byte order and en_US order tell apart.
  static std::vector<std::string> userOrder() {
    const std::vector<std::string_view> texts{"B", "a", "_x", "\xC3\xA9", "f"};
    std::vector<std::string> sorted;
    for (const std::uint32_t i : userCollation()->order(texts)) sorted.emplace_back(texts[i]);
    return sorted;
  }

 private:
  std::vector<std::optional<std::string>> saved_;
};

const std::vector<std::string> kEnglish{"_x", "a", "B", "\xC3\xA9", "f"};
const std::vector<std::string> kBytes{"B", "_x", "a", "f", "\xC3\xA9"};

TEST_F(LocaleVariables, TheCollationCategoryChoosesTheOrder) {
  setenv("LANG", "C", 1);
  setenv("LC_COLLATE", "en_US.UTF-8", 1);
  EXPECT_EQ(collationLocaleName(), "en_US");
  EXPECT_EQ(userOrder(), kEnglish);

  setenv("LC_ALL", "POSIX", 1);
  EXPECT_EQ(collationLocaleName(), "");
  EXPECT_EQ(userOrder(), kBytes);

  setenv("LC_ALL", "", 1);  // an empty variable counts as unset
  setenv("LC_COLLATE", "de_DE.UTF-8@euro", 1);
  EXPECT_EQ(collationLocaleName(), "de_DE");
}

TEST_F(LocaleVariables, TheMessagesCategoryDoesNot) {
  setenv("LANG", "C", 1);
  setenv("LC_MESSAGES", "en_US.UTF-8", 1);
  EXPECT_EQ(userOrder(), kBytes);
  setenv("LANG", "C.UTF-8", 1);
  EXPECT_EQ(userOrder(), kBytes);
  setenv("LANG", "en_US.UTF-8", 1);
  EXPECT_EQ(userOrder(), kEnglish);
}

TEST_F(LocaleVariables, ByteOrderKeepsEqualTextsInPlaceAndTakesOnlyARightGuess) {
  // Bytes 0 and 1 inside a text, and texts that are prefixes of others.
  const std::vector<std::string> texts{"b", std::string("a\0b", 3), "a", "a\x01", "b", "ab"};
  const auto at = [&texts](std::size_t i) { return std::string_view(texts[i]); };
  const auto order = userCollation()->orderAt(texts.size(), at);
  EXPECT_EQ(order, (std::vector<std::uint32_t>{2, 1, 3, 5, 0, 4}));
  EXPECT_EQ(userCollation()->orderFromGuess(texts.size(), at, order), order);
  EXPECT_EQ(userCollation()->orderFromGuess(texts.size(), at, {2, 1, 3, 5, 4, 0}), order);
}

}  // namespace
}  // namespace brimwell

#endif
