// The builder against a plain, slow reading of the build recipe, written here on its own:
// for a given random state both must give the identical file list, entry by entry.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "app/cell_number.h"
#include "build_fixture.h"
#include "fileset/builder.h"
#ifndef _WIN32
#include "platform/collation_icu.h"
#endif

namespace brimwell::testing {
namespace {

struct Recipe {
  PathStyle style = PathStyle::windows();
  std::int32_t files = 300;
  std::int32_t folders = 40;
  std::vector<std::string> roots{"Windows emul", "Program Files emul",
                                 "Documents and Settings emul", "My Downloads emul",
                                 "RECYCLED emul"};
  std::vector<std::int32_t> depths{3, 6, 8, 0, 1};
  std::string id = "001-";
  std::string target = "d:\\";
  std::vector<std::pair<std::string, std::string>> rows;
};

struct Lcg {
  std::uint32_t state;
  std::uint32_t draw(std::uint32_t n) {
    state = state * 134775813u + 1u;
    return static_cast<std::uint32_t>((std::uint64_t{state} * n) >> 32);
  }
};

// The recipe followed step by step with plain strings.
std::vector<FileRow> referenceBuild(const Recipe& recipe, std::uint32_t seed, Collation& order,
                                    std::uint32_t& endState) {
  Lcg random{seed};
  const char separator = recipe.style.separator();
  std::int64_t sum = 0;
  for (const auto& row : recipe.rows) sum += parseInt32Cell(row.second);
  const double scale = static_cast<double>(recipe.files) / static_cast<double>(sum);

  std::vector<std::string> folders;
  for (int k = 1; k <= recipe.folders; ++k) {
    const std::uint32_t r = random.draw(5);
    std::string path = recipe.target + recipe.roots[r];
    const std::uint32_t levels = random.draw(static_cast<std::uint32_t>(recipe.depths[r] + 1));
    for (std::uint32_t level = 0; level < levels; ++level) {
      path += separator;
      for (int c = 0; c < 8; ++c) path += static_cast<char>('a' + random.draw(26));
    }
    if (!path.empty() && path.back() != '\\' && path.back() != '/') path += separator;
    folders.push_back(path);
  }

  std::vector<std::string> paths;
  for (int n = 1; n <= recipe.files; ++n) {
    const std::string folder = folders[random.draw(static_cast<std::uint32_t>(folders.size()))];
    char serial[16];
    std::snprintf(serial, sizeof serial, "%08d", n);
    paths.push_back(folder + recipe.id + serial + ".DAT");
  }

  std::vector<std::string> sizes(paths.size(), "1024");
  std::size_t next = 0;
  std::int64_t lower = 0;
  for (const auto& [threshold, countText] : recipe.rows) {
    const std::int64_t upper = parseInt64Cell(threshold);
    const long double product =
        static_cast<long double>(parseInt32Cell(countText)) * static_cast<long double>(scale);
    const auto many = static_cast<std::int64_t>(std::nearbyintl(product));
    for (std::int64_t m = 0; m < many; ++m) {
      const auto drawn = static_cast<std::int32_t>(
          random.draw(static_cast<std::uint32_t>(static_cast<std::uint64_t>(upper - lower))));
      if (next < sizes.size()) sizes[next] = std::to_string(lower + drawn);
      ++next;
    }
    lower = upper;
  }
  endState = random.state;

  const std::vector<std::string_view> views(paths.begin(), paths.end());
  std::vector<FileRow> result;
  for (const std::uint32_t i : order.order(views)) result.emplace_back(paths[i], sizes[i]);
  return result;
}

void runBoth(const Recipe& recipe, Collation& order) {
  for (const std::uint32_t seed : {0u, 1u, 0x9E3779B9u, 0xFFFFFFFFu}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::uint32_t expectedEnd = 0;
    const auto expected = referenceBuild(recipe, seed, order, expectedEnd);

    BuildFixture fixture;
    fixture.style = recipe.style;
    fixture.fields.setValue(SpinField::SpinEdit1, recipe.files);
    fixture.fields.setValue(SpinField::SpinEdit2, recipe.folders);
    for (int r = 0; r < 5; ++r) {
      fixture.fields.setText(rootNameField(r), recipe.roots[static_cast<std::size_t>(r)]);
      fixture.fields.setValue(rootDepthField(r), recipe.depths[static_cast<std::size_t>(r)]);
    }
    fixture.fields.setText(EditField::id, recipe.id);
    fixture.fields.setText(EditField::reprodpath, recipe.target);
    fixture.setTemplate(recipe.rows);
    fixture.random.setState(seed);
    Context context{fixture.lists,  fixture.fields, fixture.feedback, fixture.fs,
                    fixture.random, order,          recipe.style,     "."};

    ASSERT_EQ(fileset::build(context), Outcome::Done);
    EXPECT_EQ(fixture.fileRows(), expected);
    EXPECT_EQ(fixture.random.state(), expectedEnd) << "a different number of draws";
    EXPECT_TRUE(fixture.lists.files.empty());
  }
}

Recipe defaultsRecipe() {
  Recipe recipe;
  recipe.rows = {{"512", "40"}, {"4096", "120"}, {"65536", "33"}, {"1048576", "7"}};
  return recipe;
}

Recipe posixRecipe() {
  Recipe recipe;
  recipe.style = PathStyle::posix();
  recipe.files = 500;
  recipe.folders = 7;
  recipe.roots = {"home", "", "Srv Data", "b\\mixed", "x"};
  recipe.depths = {0, 5, 2, 1, 12};
  recipe.id = "f_";
  recipe.target = "/srv/target";
  // Hexadecimal and blank-led cells, a repeated threshold and rows that round up past
  // the number of files.
  recipe.rows = {{"$400", " 7"}, {"1024", "3"}, {"0x2000", "9"}, {"9000", "x1"}};
  return recipe;
}

Recipe oddRecipe() {
  Recipe recipe;
  recipe.files = 257;
  recipe.folders = 1;
  recipe.target = "";
  recipe.depths = {0, 0, 0, 0, 0};
  recipe.roots = {"", "", "", "", ""};
  // Thresholds that fall (a wrapped gap), a zero count, a negative count, and counts
  // that scale to fewer files than asked for.
  recipe.rows = {{"100000", "5"}, {"300", "2"}, {"70000", "0"}, {"80000", "-1"}, {"90000", "3"}};
  return recipe;
}

// Roots that differ only in case or punctuation and no id: files of different folders
// interleave in the locale order, so the list is far from grouped by folder.
Recipe interleavedRecipe() {
  Recipe recipe;
  recipe.files = 400;
  recipe.folders = 12;
  recipe.roots = {"Data", "data", "DATA", "da-ta", "data0"};
  recipe.depths = {1, 0, 1, 0, 0};
  recipe.id = "";
  recipe.rows = {{"4096", "1"}};
  return recipe;
}

TEST(BuilderReference, SameFileListAsThePlainReadingInByteOrder) {
  ByteOrderCollation byteOrder;
  runBoth(defaultsRecipe(), byteOrder);
  runBoth(posixRecipe(), byteOrder);
  runBoth(oddRecipe(), byteOrder);
  runBoth(interleavedRecipe(), byteOrder);
  Recipe posixDefaults = defaultsRecipe();
  posixDefaults.style = PathStyle::posix();
  runBoth(posixDefaults, byteOrder);
}

TEST(BuilderReference, SameFileListAsThePlainReadingInTheLocaleOrder) {
  std::vector<std::unique_ptr<Collation>> locales;
  locales.push_back(userCollation());
#ifndef _WIN32
  locales.push_back(icuCollation("en_US"));
  locales.push_back(icuCollation("sv_SE"));
#endif
  for (const auto& locale : locales) {
    runBoth(defaultsRecipe(), *locale);
    runBoth(posixRecipe(), *locale);
    runBoth(oddRecipe(), *locale);
    runBoth(interleavedRecipe(), *locale);
  }
}

}  // namespace
}  // namespace brimwell::testing
