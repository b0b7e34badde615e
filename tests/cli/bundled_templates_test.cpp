// The bundled templates: how a template is described, how a folder of them is listed, and
// how --template finds one by name (from the build folder: the source tree's templates).
#include <filesystem>
#include <string>

#include "census/bundled_templates.h"
#include "census/size_template.h"
#include "cli/cli_fixture.h"
#include "platform/native_file_system.h"
#include "support/contains.h"

namespace brimwell::testing {
namespace {

std::string describe(const std::string& bytes) {
  TextTable sizes(4);
  census::readTemplate(bytes, sizes);
  return census::templateDescription(sizes);
}

TEST(BundledTemplates, ADescriptionIsTheTailEveryRowSharesOrElseTheFirstOne) {
  EXPECT_EQ(
      describe("512\t1\tup to 512 - census of /srv\r\n1024\t2\tup to 1 KiB - census of /srv\r\n"),
      "census of /srv");
  EXPECT_EQ(describe("512\t1\t\r\n1024\t2\tsmall - a\r\n2048\t3\tlarge - b\r\n"), "small - a");
  EXPECT_EQ(describe("512\t1\tup to 512 - x\r\n1024\t2\r\n"), "up to 512 - x");
  EXPECT_EQ(describe("512\t1\r\n1024\t2\r\n"), "");
  EXPECT_EQ(describe(""), "");
}

TEST(BundledTemplates, AFolderIsListedByNameWithItsFsFilesOnly) {
  TempDir folder;
  folder.writeFile("b.fs", "512\t10\tsmall - mine\r\n4096\tmany\tbig - mine\r\n");
  folder.writeFile("a.fs", "512\t3\r\n");
  folder.writeFile("notes.txt", "512\t3\r\n");
  folder.writeFile("c.fs/inside.fs", "512\t3\r\n");
  const auto listed = census::listBundledTemplates(*makeNativeFileSystem(), folder.path());
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].name, "a");
  EXPECT_EQ(listed[0].files, 3);
  EXPECT_EQ(listed[1].name, "b");
  EXPECT_EQ(listed[1].description, "mine");
  EXPECT_EQ(listed[1].sizeClasses, 2u);
  EXPECT_EQ(listed[1].files, 10);  // "many" is not a count
}

TEST_F(CliTest, TemplatesListsTheBundledOnesAndRunFindsThemByName) {
  const CliRun listing = runCli({"templates"});
  ASSERT_EQ(listing.exitCode, 0) << listing.err;
  EXPECT_TRUE(contains(listing.out, "default    census of Debian 12 /usr, ")) << listing.out;
  EXPECT_TRUE(contains(listing.out, "usr-share  census of Debian 12 /usr/share, ")) << listing.out;

  for (const std::string name : {"default", "default.fs"}) {
    // A target each: a second run would not replace the first one's list.
    const CliRun run = runCli({"run", "--template", name, "--target", path(name + "/"), "--files",
                               "40", "--seed", "1", "--yes"},
                              dir.path());
    EXPECT_EQ(run.exitCode, 0) << name << run.err;
    EXPECT_TRUE(contains(run.out, "Wrote 40 files")) << run.out;
  }
}

TEST_F(CliTest, ABareNameIsTheBundledTemplateAFileNeedsAPathAndAnUnknownNameIsRefused) {
  dir.writeFile("default", "8\t10\r\n");
  const CliRun bundled = runCli({"build", "--template", "default", "--list", "a.txt", "--target",
                                 target(), "--files", "30", "--seed", "1"},
                                dir.path());
  ASSERT_EQ(bundled.exitCode, 0) << bundled.err;
  EXPECT_TRUE(contains(bundled.err, "Template: the bundled 'default' (")) << bundled.err;
  EXPECT_TRUE(contains(bundled.err, "not the file ./default (write ./default")) << bundled.err;
  bool larger = false;
  for (const std::string& line : entriesOf(read("a.txt"))) {
    larger = larger || std::stoll(line.substr(line.find('\t') + 1)) >= 8;
  }
  EXPECT_TRUE(larger);
  ASSERT_EQ(runCli({"build", "--template", "./default", "--list", "a.txt", "--target", target(),
                    "--files", "30", "--seed", "1"},
                   dir.path())
                .exitCode,
            0);
  for (const std::string& line : entriesOf(read("a.txt"))) {
    EXPECT_LT(std::stoll(line.substr(line.find('\t') + 1)), 8) << line;
  }

  const CliRun unknown = runCli({"build", "--template", "nothing-like-it", "--list", "b.txt",
                                 "--target", target(), "--seed", "1"},
                                dir.path());
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_TRUE(contains(unknown.err,
                       "--template: 'nothing-like-it' is neither a file nor a bundled template"))
      << unknown.err;
  EXPECT_FALSE(std::filesystem::exists(path("b.txt")));
}

}  // namespace
}  // namespace brimwell::testing
