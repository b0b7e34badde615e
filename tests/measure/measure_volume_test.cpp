// brimwell-cli measure on real file systems: its figures agree with filefrag and e2freefrag
// on an ext4 image, with filefrag on ntfs-3g, with the extent tree on Btrfs, a tmpfs gives fill and
// fit and names the rest unavailable, the fit puts each file on the row the builder draws it for,
// and bad input is refused.
#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <numeric>
#include <sstream>
#include <string>

#include "nlohmann/json.hpp"
#include "support/cli_runner.h"
#include "support/contains.h"
#include "support/measure_json.h"
#include "support/scratch_volume.h"
#include "support/source_templates.h"
#include "support/temp_dir.h"

namespace brimwell::testing {
namespace {

const std::string kTemplate = sourceTemplate("default");

// A batch of files; a later batch joins the earlier ones in the list beside the target.
CliRun runFiles(const std::string& target, const std::string& files, const std::string& prefix,
                const std::string& seed, const std::vector<std::string>& more = {}) {
  std::vector<std::string> arguments{
      "run", "--template", kTemplate, "--target", target + "/", "--files",
      files, "--folders",  "40",      "--prefix", prefix,       "--percent",
      "40",  "--seed",     seed,      "--append", "--yes"};
  arguments.insert(arguments.end(), more.begin(), more.end());
  return runCli(arguments);
}

struct FilefragTotals {
  std::int64_t files = 0;
  std::int64_t extents = 0;
  std::int64_t fragmented = 0;
  std::int64_t unmapped = 0;  // files of no extent
};

// filefrag, file by file: "PATH: N extents found" (or "1 extent found").
FilefragTotals filefragTotals(const std::string& folder) {
  std::istringstream frag(shellOutput("find '" + folder + "' -type f -exec filefrag {} +"));
  FilefragTotals totals;
  for (std::string line; std::getline(frag, line);) {
    std::size_t at = line.rfind(": ");
    const std::int64_t count = numberAfter(line, ": ", at);
    if (count < 0 || line.compare(at, 7, " extent") != 0) continue;
    ++totals.files;
    totals.extents += count;
    if (count > 1) ++totals.fragmented;
    if (count == 0) ++totals.unmapped;
  }
  return totals;
}

// The free ranges inside Btrfs's data block groups, by the extent tree as btrfs-progs prints
// it from the unmounted image: "key (START BLOCK_GROUP_ITEM LENGTH)" with its flags on the
// next line, "key (START EXTENT_ITEM LENGTH)", "key (START METADATA_ITEM LEVEL)". Lengths.
std::vector<std::uint64_t> btrfsFreeRanges(const std::string& image) {
  std::istringstream tree(
      shellOutput("btrfs inspect-internal dump-tree -t extent '" + image + "' 2>/dev/null"));
  std::map<std::uint64_t, std::uint64_t> groups, taken;  // start -> length
  for (std::string line; std::getline(tree, line);) {
    const std::size_t key = line.find(" key (");
    if (key == std::string::npos) continue;
    std::istringstream item(line.substr(key + 6));
    std::uint64_t start = 0, length = 0;
    std::string type;
    item >> start >> type >> length;
    if (type == "EXTENT_ITEM") taken[start] = length;
    if (type == "METADATA_ITEM") taken[start] = 16384;  // the default node size
    if (type != "BLOCK_GROUP_ITEM" || !std::getline(tree, line)) continue;
    if (line.find(" flags DATA") != std::string::npos) groups[start] = length;
  }
  std::vector<std::uint64_t> free;
  std::uint64_t lastEnd = 0;
  for (const auto& [start, length] : groups) {
    std::uint64_t cursor = start;
    const auto close = [&](std::uint64_t end) {
      if (end <= cursor) return;
      if (cursor == lastEnd && !free.empty()) {
        free.back() += end - cursor;  // continues the range of the group before
      } else {
        free.push_back(end - cursor);
      }
      lastEnd = end;
    };
    for (auto at = taken.lower_bound(start); at != taken.end() && at->first < start + length;
         ++at) {
      close(at->first);
      cursor = std::max(cursor, at->first + at->second);
    }
    close(start + length);
  }
  return free;
}

TEST(MeasureVolume, BtrfsFreeExtentsAgreeWithTheExtentTree) {
  const std::string skip = ScratchVolume::skipReason(ScratchVolume::Kind::Btrfs);
  if (!skip.empty()) GTEST_SKIP() << skip;
  ScratchVolume volume(ScratchVolume::Kind::Btrfs, 256);
  const std::string& mnt = volume.mountPoint();
  ASSERT_EQ(runFiles(mnt, "800", "001-", "5").exitCode, 0);
  ASSERT_EQ(runFiles(mnt, "600", "002-", "6").exitCode, 0);
  volume.unmount();
  volume.mount();
  const CliRun measured = runCli({"measure", mnt, "--json"});
  ASSERT_EQ(measured.exitCode, 0) << measured.err;
  const std::string& json = measured.out;
  ASSERT_TRUE(jsonKnown(json, "free_space")) << json;
  EXPECT_GT(jsonNumber(json, "free_space", "unallocated_bytes"), 0);
  const CliRun table = runCli({"measure", mnt});
  EXPECT_TRUE(contains(table.out, "Btrfs holds for metadata")) << table.out;
  EXPECT_FALSE(contains(table.out, "reserved for root")) << table.out;

  volume.unmount();
  const std::vector<std::uint64_t> free = btrfsFreeRanges(volume.image());
  EXPECT_GT(free.size(), 2U) << "the deletions should leave holes in the data groups";
  EXPECT_EQ(jsonNumber(json, "free_space", "extents"), static_cast<double>(free.size()));
  EXPECT_EQ(jsonNumber(json, "free_space", "free_bytes"),
            static_cast<double>(std::accumulate(free.begin(), free.end(), std::uint64_t{0})));
  EXPECT_EQ(jsonNumber(json, "free_space", "largest_bytes"),
            static_cast<double>(*std::max_element(free.begin(), free.end())));
}

TEST(MeasureVolume, FiguresAgreeWithFilefragAndE2freefragOnExt4) {
  const std::string skip = ScratchVolume::skipReason(ScratchVolume::Kind::Ext4);
  if (!skip.empty()) GTEST_SKIP() << skip;
  ScratchVolume volume(ScratchVolume::Kind::Ext4, 64);
  const std::string& mnt = volume.mountPoint();
  // Two batches, the second into the holes the first left, for free space in pieces. The
  // second is cut as it is written: whether the allocator splits any file of a plain batch
  // depends on when the volume writes it out.
  ASSERT_EQ(runFiles(mnt, "1200", "001-", "5").exitCode, 0);
  ASSERT_EQ(runFiles(mnt, "900", "002-", "6", {"--layout", "0.9"}).exitCode, 0);

  // Mounted afresh, the allocator holds no space in reserve for the files just written, so
  // its free space is what the bitmaps on disk say.
  volume.unmount();
  volume.mount();
  const CliRun measured = runCli({"measure", mnt, "--template", kTemplate, "--json"});
  ASSERT_EQ(measured.exitCode, 0) << measured.err;
  const std::string& json = measured.out;
  for (const char* group : {"fill", "fit", "file_fragmentation", "free_space"}) {
    EXPECT_TRUE(jsonKnown(json, group)) << group << "\n" << json;
  }

  const FilefragTotals frag = filefragTotals(mnt);
  EXPECT_EQ(jsonNumber(json, "file_fragmentation", "files"), frag.files);
  EXPECT_EQ(jsonNumber(json, "file_fragmentation", "extents"), frag.extents);
  EXPECT_EQ(jsonNumber(json, "file_fragmentation", "fragmented_files"), frag.fragmented);
  EXPECT_GT(frag.fragmented, 0) << "the second batch should be cut";

  // e2freefrag reads the image's bitmaps, which are whole once unmounted.
  volume.unmount();
  const std::string free = shellOutput("e2freefrag '" + volume.image() + "'");
  std::size_t at = 0;
  const std::int64_t freeExtents = numberAfter(free, "Num. free extent: ", at);
  EXPECT_EQ(jsonNumber(json, "free_space", "extents"), freeExtents) << free;
  EXPECT_GT(freeExtents, 1) << free;
  at = 0;
  const std::int64_t largestKb = numberAfter(free, "Max. free extent: ", at);
  ASSERT_EQ(free.compare(at, 3, " KB"), 0) << free;
  EXPECT_EQ(jsonNumber(json, "free_space", "largest_bytes"), largestKb * 1024);

  volume.mount();
  // The used share as df shows it, beside the report's own.
  const CliRun table = runCli({"measure", mnt});
  std::string dfShare = shellOutput("df --output=pcent '" + mnt + "' | tail -n 1");
  dfShare.erase(0, dfShare.find_first_not_of(' '));
  EXPECT_TRUE(
      contains(table.out, "df shows " + dfShare.substr(0, dfShare.find('%')) + " %, leaving out "))
      << table.out << dfShare;

  const CliRun probed = runCli({"measure", mnt, "--probe", "4M", "--json"});
  EXPECT_TRUE(jsonKnown(probed.out, "probe")) << probed.out;
  EXPECT_GE(jsonNumber(probed.out, "probe", "extents"), 1);
  EXPECT_EQ(jsonNumber(probed.out, "fill", "files"), frag.files);
}

// Files that own no block or one are answered from their stat; data kept inline in the inode
// must still count as the one extent filefrag reports, and a single block that is not the
// data (attributes too large for the inode, a block kept beyond the end) as filefrag says.
TEST(MeasureVolume, BlocklessAndInlineFilesCountAsFilefragSays) {
  const std::string skip = ScratchVolume::skipReason(ScratchVolume::Kind::Ext4);
  if (!skip.empty()) GTEST_SKIP() << skip;
  for (const std::string options : {"", "-O inline_data"}) {
    SCOPED_TRACE("mkfs.ext4 " + options);
    ScratchVolume volume(ScratchVolume::Kind::Ext4, 16, options);
    const std::filesystem::path mnt = volume.mountPoint();
    std::ofstream(mnt / "empty").flush();
    std::ofstream(mnt / "ten-bytes") << "ten bytes.";
    std::ofstream(mnt / "hole-small").flush();
    std::filesystem::resize_file(mnt / "hole-small", 100);
    std::ofstream(mnt / "hole-large").flush();
    std::filesystem::resize_file(mnt / "hole-large", 1 << 20);
    std::ofstream tail(mnt / "hole-then-data");
    tail.seekp(1 << 20);
    tail << "data";
    tail.close();
    // Holes of 100 bytes with attributes too large for the inode, a block past the end, both.
    const std::string note(1000, 'n');
    for (const char* name : {"attributes", "block-past-end", "attributes-and-block-past-end"}) {
      const std::filesystem::path file = mnt / name;
      std::ofstream(file).flush();
      std::filesystem::resize_file(file, 100);
      if (std::string(name).starts_with("attributes")) {
        ASSERT_EQ(::setxattr(file.c_str(), "user.note", note.data(), note.size(), 0), 0);
      }
      if (std::string(name).ends_with("past-end")) {
        shellOutput("fallocate -n -o 8192 -l 4096 '" + file.string() + "'");
      }
    }

    const CliRun measured = runCli({"measure", mnt.string(), "--json"});
    ASSERT_EQ(measured.exitCode, 0) << measured.err;
    const FilefragTotals frag = filefragTotals(mnt.string());
    EXPECT_EQ(frag.files, 8);
    EXPECT_EQ(frag.extents, 4) << "the ten bytes, inline or not, the tail, the blocks past the end";
    EXPECT_EQ(jsonNumber(measured.out, "file_fragmentation", "files"), frag.files);
    EXPECT_EQ(jsonNumber(measured.out, "file_fragmentation", "extents"), frag.extents);
  }
}

// ntfs-3g maps no file whole, so the extents are read one block at a time as filefrag reads
// them; a file kept inside its record maps nowhere and is named so, never counted as a hole.
TEST(MeasureVolume, NtfsExtentsReadBlockByBlockAgreeWithFilefrag) {
  const std::string skip = ScratchVolume::skipReason(ScratchVolume::Kind::Ntfs);
  if (!skip.empty()) GTEST_SKIP() << skip;
  ScratchVolume volume(ScratchVolume::Kind::Ntfs, 96);
  const std::filesystem::path mnt = volume.mountPoint();
  ASSERT_EQ(runFiles(mnt.string(), "500", "001-", "5").exitCode, 0);
  ASSERT_EQ(runFiles(mnt.string(), "400", "002-", "6").exitCode, 0);
  std::ofstream(mnt / "resident") << "kept inside its file record";
  std::ofstream holes(mnt / "holes");  // data, a hole of 256 KiB, data
  holes << std::string(65536, 'a');
  holes.seekp(327680);
  holes << std::string(65536, 'b');
  holes.close();

  const CliRun measured = runCli({"measure", mnt.string(), "--json"});
  ASSERT_EQ(measured.exitCode, 0) << measured.err;
  const std::string& json = measured.out;
  ASSERT_TRUE(jsonKnown(json, "file_fragmentation")) << json;
  const FilefragTotals frag = filefragTotals(mnt.string());
  const auto resident =
      static_cast<std::int64_t>(jsonNumber(json, "file_fragmentation", "resident"));
  const std::int64_t empty = std::stoll(shellOutput("find '" + mnt.string() + "' -empty | wc -l"));
  EXPECT_EQ(resident, frag.unmapped - empty) << "filefrag maps no block of a resident file";
  EXPECT_GE(resident, 1);
  EXPECT_EQ(jsonNumber(json, "file_fragmentation", "files"),
            static_cast<double>(frag.files - resident));
  EXPECT_EQ(jsonNumber(json, "file_fragmentation", "extents"), frag.extents);
  EXPECT_EQ(jsonNumber(json, "file_fragmentation", "fragmented_files"), frag.fragmented);
  EXPECT_GE(frag.fragmented, 1) << "the hole splits its file";
  EXPECT_TRUE(contains(runCli({"measure", mnt.string()}).out,
                       std::to_string(resident) + " kept inside their file records"));
}

// Mounted from the image file, ntfs-3g has no block device, and FUSE then answers block 0
// for every block: no extents, and the reason, rather than every file counted unplaced.
TEST(MeasureVolume, FuseWithoutADeviceNamesWhyItsExtentsAreUnavailable) {
  const std::string skip = ScratchVolume::skipReason(ScratchVolume::Kind::NtfsFile);
  if (!skip.empty()) GTEST_SKIP() << skip;
  ScratchVolume volume(ScratchVolume::Kind::NtfsFile, 16);
  std::ofstream(volume.mountPoint() + "/file") << std::string(65536, 'x');
  const CliRun measured = runCli({"measure", volume.mountPoint()});
  EXPECT_EQ(measured.exitCode, 0) << measured.err;
  EXPECT_TRUE(contains(measured.out,
                       "File fragmentation\n  unavailable: a FUSE file system "
                       "without a block device does not tell where files lie"))
      << measured.out;
}

TEST(MeasureVolume, TmpfsGivesFillAndFitAndNamesTheRestUnavailable) {
  const std::string skip = ScratchVolume::skipReason(ScratchVolume::Kind::Tmpfs);
  if (!skip.empty()) GTEST_SKIP() << skip;
  ScratchVolume volume(ScratchVolume::Kind::Tmpfs, 16);
  ASSERT_EQ(runFiles(volume.mountPoint(), "60", "001-", "3").exitCode, 0);
  const std::string svg = volume.mountPoint() + "/../drive.svg";

  const CliRun json = runCli({"measure", volume.mountPoint(), "--template", kTemplate, "--json",
                              "--svg", svg, "--probe", "1M"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  EXPECT_TRUE(jsonKnown(json.out, "fill"));
  EXPECT_TRUE(jsonKnown(json.out, "fit"));
  EXPECT_FALSE(jsonKnown(json.out, "file_fragmentation"));
  EXPECT_FALSE(jsonKnown(json.out, "free_space"));
  EXPECT_FALSE(jsonKnown(json.out, "probe"));
  EXPECT_TRUE(contains(json.out, "the file system does not report file extents")) << json.out;
  // The probe was deleted again.
  EXPECT_EQ(jsonNumber(json.out, "fill", "files"), 36);

  std::ifstream picture(svg);
  std::stringstream text;
  text << picture.rdbuf();
  EXPECT_EQ(text.str().rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
  EXPECT_TRUE(contains(text.str(), "Free extents unavailable: the file system does not report"));
  EXPECT_TRUE(contains(text.str(), "file system tmpfs, "));
  EXPECT_TRUE(contains(text.str(), "probe unavailable: "));
  EXPECT_TRUE(contains(text.str(), ">below 512<"));
  EXPECT_TRUE(contains(text.str(), "</svg>\n"));

  const CliRun table = runCli({"measure", volume.mountPoint()});
  ASSERT_EQ(table.exitCode, 0) << table.err;
  EXPECT_TRUE(contains(table.out, "under the target    36 files of ")) << table.out;
  EXPECT_TRUE(contains(table.out, "Fit to the template")) << table.out;
  EXPECT_TRUE(contains(table.out, "  unavailable: no template given (--template)"));
  EXPECT_TRUE(contains(table.out, "  unavailable: the file system does not report free-space"));
}

// Three files of the largest size a file may have, sparse: the total passes 64 bits, so the
// JSON leaves the number out and says why, and the table gives it whole; two still fit.
TEST(MeasureVolume, ByteTotalsBeyondSixtyFourBitsAreExactOrLeftOut) {
  REQUIRE_SCRATCH_VOLUME(ScratchVolume::Kind::Tmpfs);
  ScratchVolume volume(ScratchVolume::Kind::Tmpfs, 8);
  const std::filesystem::path mnt = volume.mountPoint();
  for (const char* name : {"a", "b"}) {
    std::ofstream(mnt / name).close();
    std::filesystem::resize_file(mnt / name, std::numeric_limits<std::int64_t>::max());
  }
  // (Whether the extents of such a file can be read is another matter: the exit code is not
  // looked at here.)
  const CliRun two = runCli({"measure", mnt.string(), "--json"});
  EXPECT_TRUE(contains(two.out, "\"bytes\": 18446744073709551614,")) << two.out;

  std::ofstream(mnt / "c").close();
  std::filesystem::resize_file(mnt / "c", std::numeric_limits<std::int64_t>::max());
  const CliRun three = runCli({"measure", mnt.string(), "--json"});
  EXPECT_FALSE(contains(three.out, "\"bytes\":")) << three.out;
  EXPECT_TRUE(
      contains(three.out, "\"bytes_why\": \"more than 2^64 - 1 bytes: 27670116110564327421\""))
      << three.out;
  const CliRun table = runCli({"measure", mnt.string()});
  EXPECT_TRUE(contains(table.out, "3 files of 27670116110564327421 bytes")) << table.out;
}

// The builder draws a row's sizes below its threshold; the fit counts them there, where the
// census itself would count a file of exactly the previous threshold one row lower.
TEST(MeasureFit, EachFileCountsOnTheRowItsSizeIsDrawnFor) {
  TempDir dir;
  dir.writeFile("small.fs", "512\t10\r\n4096\t30\r\n65536\t20\r\n");
  for (const auto& [name, size] : std::vector<std::pair<std::string, std::size_t>>{
           {"a", 0}, {"b", 511}, {"c", 512}, {"d", 4095}, {"e", 4096}}) {
    dir.writeFile("tree/sub/" + name, std::string(size, 'x'));
  }
  const CliRun run = runCli({"measure", dir / "tree", "--template", dir / "small.fs", "--json"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  using nlohmann::json;
  const json rows = json::parse(run.out)["fit"]["rows"];
  ASSERT_EQ(rows.size(), 3u) << run.out;
  EXPECT_EQ(rows[0], (json{{"threshold", "512"},
                           {"template_percent", 16.667},
                           {"files", 2},
                           {"achieved_percent", 40.0},
                           {"difference", 23.333}}));
  EXPECT_EQ(rows[1]["threshold"], "4096");
  EXPECT_EQ(rows[1]["template_percent"], 50.0);
  EXPECT_EQ(rows[1]["files"], 2);
  EXPECT_EQ(rows[2]["threshold"], "65536");
  EXPECT_EQ(rows[2]["template_percent"], 33.333);
  EXPECT_EQ(rows[2]["files"], 1);
  EXPECT_EQ(jsonNumber(run.out, "fill", "files"), 5);
  EXPECT_EQ(jsonNumber(run.out, "fill", "bytes"), 511 + 512 + 4095 + 4096);
  EXPECT_EQ(jsonNumber(run.out, "fill", "folders"), 1);
  EXPECT_EQ(jsonNumber(run.out, "fit", "largest_difference"), 23.333);
}

TEST(MeasureFit, BadInputIsRefusedClearlyAndNothingIsWritten) {
  TempDir dir;
  dir.writeFile("tree/a", "abc");
  dir.writeFile("bad.fs", "512\t10\r\nabc\t30\r\n");
  const CliRun missing = runCli({"measure", dir / "nowhere"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(contains(missing.err, "is not a folder that can be measured")) << missing.err;
  const CliRun badTemplate = runCli({"measure", dir / "tree", "--template", dir / "bad.fs"});
  EXPECT_EQ(badTemplate.exitCode, 1);
  EXPECT_TRUE(contains(badTemplate.err, "'abc' is not a valid integer value")) << badTemplate.err;
  const CliRun badProbe = runCli({"measure", dir / "tree", "--probe", "12X"});
  EXPECT_EQ(badProbe.exitCode, 2);
  EXPECT_TRUE(contains(badProbe.err, "--probe: '12X' is not a size in bytes")) << badProbe.err;
  const CliRun badSvg = runCli({"measure", dir / "tree", "--svg", dir / "no/such/folder/x.svg"});
  EXPECT_EQ(badSvg.exitCode, 1);
  EXPECT_TRUE(contains(badSvg.err, "Cannot write the picture")) << badSvg.err;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "tree"), {}), 1);
}

}  // namespace
}  // namespace brimwell::testing
