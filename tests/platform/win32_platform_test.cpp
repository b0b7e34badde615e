// What only the Windows backend does: lstrcmpA's order of the file list, the locale's
// decimal separator, the clock seed, and listing entries of every attribute.
#ifdef _WIN32

#include <windows.h>

#include <gtest/gtest.h>
#include <algorithm>
#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/collation.h"
#include "platform/locale_info.h"
#include "platform/native_file_system.h"
#include "support/temp_dir.h"

namespace brimwell {
namespace {

using testing::TempDir;

std::vector<std::uint32_t> lstrcmpOrder(const std::vector<std::string>& texts) {
  std::vector<std::uint32_t> positions(texts.size());
  std::iota(positions.begin(), positions.end(), 0u);
  std::stable_sort(positions.begin(), positions.end(), [&](std::uint32_t a, std::uint32_t b) {
    return lstrcmpA(texts[a].c_str(), texts[b].c_str()) < 0;
  });
  return positions;
}

std::vector<std::uint32_t> collationOrder(const std::vector<std::string>& texts) {
  const std::vector<std::string_view> views(texts.begin(), texts.end());
  return userCollation()->order(views);
}

TEST(Win32Collation, OrdersLikeLstrcmpWithEqualTextsInTheirOriginalOrder) {
  std::vector<std::string> texts = {
      "d:\\Windows emul\\a9.DAT",    "d:\\Windows emul\\a10.DAT",
      "d:\\windows emul\\a9.DAT",    "d:\\Windows emul\\b.DAT",
      "d:\\Windows emul\\B.DAT",     "d:\\Windows emul\\co-op",
      "d:\\Windows emul\\coop",      "d:\\Windows emul\\co'op",
      "d:\\Windows emul\\a b",       "d:\\Windows emul\\a_b",
      "d:\\Windows emul\\\xe9t\xe9", "d:\\Windows emul\\ete",
      "d:\\Windows emul\\zz",        "",
      "d:\\Windows emul\\a9.DAT",    "D:\\RECYCLED emul\\x",
      "d:\\My Downloads emul\\",     "d:\\Windows emul\\~tilde",
  };
  // Random texts from a small alphabet, so that near-ties and word-sort cases (hyphens,
  // apostrophes, case) meet often.
  const std::string alphabet = "aAbB09-' .\\_";
  std::uint32_t state = 12345;
  for (int i = 0; i < 2000; ++i) {
    std::string text = "d:\\";
    state = state * 134775813u + 1;
    const std::size_t length = 1 + (state >> 24) % 8;
    for (std::size_t c = 0; c < length; ++c) {
      state = state * 134775813u + 1;
      text += alphabet[(state >> 16) % alphabet.size()];
    }
    texts.push_back(text);
  }
  EXPECT_EQ(collationOrder(texts), lstrcmpOrder(texts));
}

TEST(Win32Collation, DigitsCompareAsCharactersAndCaseCounts) {
  const std::vector<std::string> texts = {"x9", "x10", "B", "b", "a"};
  const auto order = collationOrder(texts);
  std::vector<std::string> sorted;
  for (const auto position : order) sorted.push_back(texts[position]);
  EXPECT_LT(std::find(sorted.begin(), sorted.end(), "x10"),
            std::find(sorted.begin(), sorted.end(), "x9"));
  EXPECT_LT(std::find(sorted.begin(), sorted.end(), "a"),
            std::find(sorted.begin(), sorted.end(), "B"));
  EXPECT_NE(lstrcmpA("B", "b"), 0);
  EXPECT_TRUE(collationOrder({}).empty());
}

TEST(Win32Locale, DecimalSeparatorIsTheUserLocales) {
  char expected[8] = {};
  ASSERT_GT(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, expected, sizeof expected), 0);
  EXPECT_EQ(userDecimalSeparator(), std::string(expected));
}

TEST(Win32Clock, SeedsFollowThePerformanceCounter) {
  LARGE_INTEGER before;
  ASSERT_TRUE(QueryPerformanceCounter(&before));
  const std::uint32_t first = seedClockValue();
  Sleep(2);
  EXPECT_NE(seedClockValue(), first);
}

TEST(Win32FileSystem, HiddenAndSystemFilesAreListedLikeAnyOther) {
  TempDir dir;
  dir.writeFile("hidden.dat", "123");
  dir.writeFile("system.dat", "4567");
  const std::string hidden = dir.path() + "\\hidden.dat";
  const std::string system = dir.path() + "\\system.dat";
  ASSERT_TRUE(SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(SetFileAttributesA(system.c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN));
  auto fs = makeNativeFileSystem();
  auto listing = fs->listFolder(dir.path(), true);
  ASSERT_TRUE(listing);
  std::set<std::string> seen;
  DirEntry entry;
  while (listing->next(entry)) {
    seen.insert(entry.name + ":" + std::to_string(entry.size));
  }
  EXPECT_EQ(seen, (std::set<std::string>{".:0", "..:0", "hidden.dat:3", "system.dat:4"}));
  SetFileAttributesA(system.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(Win32FileSystem, FolderLinksAreListedAsForeignFolders) {
  TempDir dir;
  dir.writeFile("real/inner.dat", "x");
  const std::string link = dir.path() + "\\link";
  const std::string real = dir.path() + "\\real";
  // Wine reports success without making the link, so look for it.
  if (!CreateSymbolicLinkA(link.c_str(), real.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) ||
      GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES) {
    GTEST_SKIP() << "folder links cannot be made here";
  }
  auto fs = makeNativeFileSystem();
  auto listing = fs->listFolder(dir.path(), false);
  ASSERT_TRUE(listing);
  DirEntry entry;
  bool sawLink = false;
  while (listing->next(entry)) {
    if (entry.name == "link") {
      sawLink = true;
      EXPECT_TRUE(entry.isDirectory);
      EXPECT_TRUE(entry.isForeignDirectory);
    } else if (entry.name == "real") {
      EXPECT_FALSE(entry.isForeignDirectory);
    }
  }
  EXPECT_TRUE(sawLink);
  RemoveDirectoryA(link.c_str());
}

TEST(Win32FileSystem, ADriveRootIsListedWithAndWithoutItsSeparator) {
  auto fs = makeNativeFileSystem();
  auto count = [&](const std::string& path) {
    auto listing = fs->listFolder(path, false);
    int entries = 0;
    DirEntry entry;
    while (listing && listing->next(entry)) ++entries;
    return listing ? entries : -1;
  };
  EXPECT_GT(count("c:\\"), 0);
  EXPECT_EQ(count("c:"), count("c:\\"));
}

}  // namespace
}  // namespace brimwell

#endif  // _WIN32
