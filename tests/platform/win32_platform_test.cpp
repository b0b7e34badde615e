// What only the Windows backend does: lstrcmpA's order of the file list, the locale's
// decimal separator, the clock seed, and listing entries of every attribute.
#ifdef _WIN32

#include <windows.h>

#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/collation.h"
#include "platform/locale_info.h"
#include "platform/native_file_system.h"
#include "platform/win32_file_system.h"
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
  // The seed is the counter's low 32 bits, read between these two readings.
  LARGE_INTEGER before;
  LARGE_INTEGER after;
  ASSERT_TRUE(QueryPerformanceCounter(&before));
  const std::uint32_t first = seedClockValue();
  ASSERT_TRUE(QueryPerformanceCounter(&after));
  const auto low = [](const LARGE_INTEGER& value) {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(value.QuadPart));
  };
  EXPECT_LE(first - low(before), low(after) - low(before));
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
  int listError = 0;
  auto listing = fs->listFolder(dir.path(), true, listError);
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
  int listError = 0;
  auto listing = fs->listFolder(dir.path(), false, listError);
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

TEST(Win32FileSystem, OnlyLinkReparsePointsAreNotEntered) {
  // Which folders carry which reparse tag cannot be set up here (Wine makes no cloud
  // placeholders), so the find data is made by hand.
  WIN32_FIND_DATAA found{};
  std::strcpy(found.cFileName, "folder");
  found.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
  const auto notEntered = [&](DWORD tag) {
    found.dwReserved0 = tag;
    DirEntry entry;
    fillEntryFromFindData(found, true, entry);
    EXPECT_TRUE(entry.isDirectory);
    return entry.isForeignDirectory;
  };
  EXPECT_TRUE(notEntered(IO_REPARSE_TAG_MOUNT_POINT));
  EXPECT_TRUE(notEntered(IO_REPARSE_TAG_SYMLINK));
  // A cloud placeholder, a deduplicated folder, a projected one: real files inside.
  EXPECT_FALSE(notEntered(0x9000001AL));  // IO_REPARSE_TAG_CLOUD_1
  EXPECT_FALSE(notEntered(0x80000013L));  // IO_REPARSE_TAG_DEDUP
  EXPECT_FALSE(notEntered(0x9000001CL));  // IO_REPARSE_TAG_PROJFS
  found.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
  EXPECT_FALSE(notEntered(IO_REPARSE_TAG_SYMLINK)) << "the tag counts only with the attribute";
}

TEST(Win32Locale, TheWindowsTextReachesTheFileSystemInTheAnsiCodePage) {
  ASSERT_EQ(GetACP(), 1252u) << "the expected bytes below are those of code page 1252";
  // "Données Ünï" as the window hands them over (UTF-8), and in code page 1252.
  const std::string utf8 =
      "Donn\xC3\xA9"
      "es \xC3\x9Cn\xC3\xAF";
  const std::string ansi =
      "Donn\xE9"
      "es \xDCn\xEF";
  EXPECT_EQ(systemTextFromUtf8(utf8), ansi);
  EXPECT_EQ(utf8FromSystemText(ansi), utf8);
  EXPECT_EQ(systemTextFromUtf8("plain"), "plain");

  TempDir dir;
  auto fs = makeNativeFileSystem();
  const std::string folder = dir.path() + "\\" + systemTextFromUtf8(utf8);
  ASSERT_EQ(fs->createFolder(folder), 0);
  int error = 0;
  auto file = fs->createFile(folder + "\\" + systemTextFromUtf8("caf\xC3\xA9.DAT"), error);
  ASSERT_TRUE(file) << error;
  file->close();
  // On disk the names are the ones the user typed, as Unicode sees them.
  const std::wstring wideFolder(dir.path().begin(), dir.path().end());
  EXPECT_NE(
      GetFileAttributesW((wideFolder + L"\\Donn\u00e9es \u00dcn\u00ef\\caf\u00e9.DAT").c_str()),
      INVALID_FILE_ATTRIBUTES);
  // The listing gives the name back, which the window shows as it was typed.
  int listError = 0;
  auto listing = fs->listFolder(dir.path(), false, listError);
  ASSERT_TRUE(listing);
  DirEntry entry;
  std::set<std::string> shown;
  while (listing->next(entry)) shown.insert(utf8FromSystemText(entry.name));
  EXPECT_TRUE(shown.count(utf8)) << "the folder is listed as typed";
  // A character the code page lacks fails the name rather than naming another file.
  EXPECT_EQ(systemTextFromUtf8("\xCE\xA9"), "?");
  EXPECT_EQ(fs->createFolder(dir.path() + "\\" + systemTextFromUtf8("\xCE\xA9")),
            ERROR_INVALID_NAME);
  EXPECT_EQ(fs->deleteFile(folder + "\\" + systemTextFromUtf8("caf\xC3\xA9.DAT")), 0);
}

TEST(Win32FileSystem, ADriveRootIsListedWithAndWithoutItsSeparator) {
  auto fs = makeNativeFileSystem();
  auto count = [&](const std::string& path) {
    int listError = 0;
    auto listing = fs->listFolder(path, false, listError);
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
