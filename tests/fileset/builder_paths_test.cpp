// Where the builder puts its files: roots, depths, the target path and the serials.
#include <gtest/gtest.h>

#include <set>

#include "build_fixture.h"
#include "fileset/builder.h"

namespace brimwell::testing {
namespace {

const std::vector<std::string> kDefaultRoots{"Windows emul", "Program Files emul",
                                             "Documents and Settings emul", "My Downloads emul",
                                             "RECYCLED emul"};

// The folder part of a file path: everything before the id prefix "001-".
std::string folderOf(const std::string& path) { return path.substr(0, path.rfind("001-")); }

TEST(BuilderPaths, DepthZeroMakesEveryFolderARootFolder) {
  BuildFixture fixture;
  fixture.setTemplate({{"4096", "10"}});
  fixture.setDepths(0);
  fixture.fields.setValue(SpinField::SpinEdit1, 400);
  auto context = fixture.context();
  ASSERT_EQ(fileset::build(context), Outcome::Done);

  std::set<std::string> allowed;
  for (const auto& root : kDefaultRoots) allowed.insert("d:\\" + root + "\\");
  std::set<std::string> seen;
  for (const auto& [path, size] : fixture.fileRows()) seen.insert(folderOf(path));
  EXPECT_EQ(seen, allowed);  // 400 files reach all five roots
}

TEST(BuilderPaths, EmptyRootNamesPutFilesStraightIntoTheTarget) {
  BuildFixture fixture;
  fixture.setTemplate({{"4096", "10"}});
  fixture.setDepths(0);
  fixture.setRootNames("");
  fixture.fields.setValue(SpinField::SpinEdit1, 3);
  auto context = fixture.context();
  ASSERT_EQ(fileset::build(context), Outcome::Done);
  const auto rows = fixture.fileRows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].first, "d:\\001-00000001.DAT");
  EXPECT_EQ(rows[2].first, "d:\\001-00000003.DAT");

  // With no target either, the folder is the empty text and the names stand alone.
  fixture.fields.setText(EditField::reprodpath, "");
  ASSERT_EQ(fileset::build(context), Outcome::Done);
  EXPECT_EQ(fixture.fileRows()[0].first, "001-00000001.DAT");
}

TEST(BuilderPaths, TargetWithoutSeparatorRunsIntoTheRootName) {
  BuildFixture fixture;
  fixture.setTemplate({{"4096", "10"}});
  fixture.setDepths(0);
  fixture.setRootNames("Windows emul");
  fixture.fields.setText(EditField::reprodpath, "d:\\data");
  fixture.fields.setValue(SpinField::SpinEdit1, 2);
  auto context = fixture.context();
  ASSERT_EQ(fileset::build(context), Outcome::Done);
  EXPECT_EQ(fixture.fileRows()[0].first, "d:\\dataWindows emul\\001-00000001.DAT");

  // A root name that ends in either separator gets no second one.
  fixture.fields.setText(EditField::reprodpath, "d:\\");
  fixture.setRootNames("top/");
  ASSERT_EQ(fileset::build(context), Outcome::Done);
  EXPECT_EQ(fixture.fileRows()[0].first, "d:\\top/001-00000001.DAT");
}

TEST(BuilderPaths, SerialsRunFromOneToTheLargestCountInEightDigits) {
  BuildFixture fixture;
  fixture.setTemplate({{"4096", "1"}});
  fixture.setDepths(0);
  fixture.setRootNames("W");
  fixture.fields.setValue(SpinField::SpinEdit2, 1);
  fixture.fields.setValue(SpinField::SpinEdit1, 1000000);
  auto context = fixture.context();
  ASSERT_EQ(fileset::build(context), Outcome::Done);
  const TextTable& files = fixture.lists.files1;
  ASSERT_EQ(files.rowCount(), 1000000u);
  EXPECT_EQ(files.caption(0), "d:\\W\\001-00000001.DAT");  // byte order: serial order
  EXPECT_EQ(files.caption(999999), "d:\\W\\001-01000000.DAT");
}

}  // namespace
}  // namespace brimwell::testing
