// The census: counting and classifying walks of a location, and the "Analyse" handler.
#include "census/census.h"

#include <optional>

#include "app/cell_number.h"
#include "census/census_walk.h"
#include "census/size_rows.h"
#include "census/size_template.h"
#include "census/walk_prefetch.h"

namespace brimwell::census {

Outcome analyse(Context& context) {
  Census census(context);
  return census.analyseClick();
}

Outcome Census::analyseClick() {
  TextTable& sizes = context_.lists.sizes;
  Feedback& feedback = context_.feedback;
  if (sizes.empty()) {
    feedback.notice("Load a file-size template first!");
    return Outcome::Stopped;
  }
  if (context_.fields.text(EditField::scanpath).empty()) {
    feedback.notice("Enter file path to scan (or disk drive letter)");
    return Outcome::Stopped;
  }

  feedback.setStatus("Please wait, counting files - this may take several minutes...");
  TotalFiles = 0;
  TotalFolders = 0;
  ScanPass = 0;
  const std::string counted = context_.fields.text(EditField::scanpath);
  // The classifying walk's listings are read on the other core meanwhile.
  std::optional<WalkPrefetch> prefetch;
  if (context_.fs.allowsConcurrentListing()) {
    prefetch.emplace(context_.fs, folderPath(counted), context_.style.separator());
  }
  ScanFolder(counted);
  if (TotalFiles == 0) {
    prefetch.reset();
    feedback.notice("No files to process.");
    return Outcome::Stopped;
  }

  feedback.setStatus("Analyzing the location...");
  TableBatch batch(sizes);
  for (std::size_t row = 0; row < sizes.rowCount(); ++row) {
    sizes.setSubCell(row, kCountCell, "0");
    sizes.setSubCell(row, kPercentCell, "0");
  }
  TotalSize = 0;
  ScanPass = 1;
  FilesDone = 0;
  shownProgress_ = -1;
  const std::string classified = context_.fields.text(EditField::scanpath);
  if (prefetch && classified == counted) {
    classifyPrefetched(*prefetch);
  } else {
    // The location was changed during the counting walk: what was read ahead is not it.
    prefetch.reset();
    ScanFolder(classified);
  }
  UpdatePercentages(sizes, context_.decimalSeparator);
  feedback.setStatus(summary());
  feedback.setProgress(0);
  return Outcome::Done;
}

void Census::ScanFolder(const std::string& path) {
  std::string folder = folderPath(path);
  walk(folder);
}

std::string Census::folderPath(const std::string& path) const {
  std::string folder = path;
  if (!PathStyle::endsWithSeparator(folder)) folder += context_.style.separator();
  return folder;
}

void Census::walk(std::string& folder) {
  const auto listing = context_.fs.listFolder(folder, ScanPass == 1);
  if (!listing) return;
  const std::size_t folderLength = folder.size();
  DirEntry entry;
  while (listing->next(entry)) {
    context_.feedback.pump();
    if (entry.isDirectory) {
      if (entry.name == "." || entry.name == "..") continue;
      if (ScanPass == 0) ++TotalFolders;
      // A folder of another file system is counted but not entered.
      if (entry.isForeignDirectory) continue;
      folder.append(entry.name);
      folder += context_.style.separator();
      walk(folder);
      folder.resize(folderLength);
    } else if (ScanPass == 0) {
      ++TotalFiles;
    } else {
      classify(entry.size);
    }
  }
}

void Census::classifyPrefetched(WalkPrefetch& prefetch) {
  WalkPrefetch::Chunk records;
  while (prefetch.take(records)) {
    for (const std::uint64_t record : records) {
      context_.feedback.pump();
      if (record != WalkPrefetch::kNotAFile) classify(record);
    }
  }
}

void Census::classify(std::uint64_t listedSize) {
  // Sizes of 2 GiB and more are taken whole: every threshold is a 32-bit number, so such
  // a file lands in the last row, and the total stays true.
  const auto size = static_cast<std::int64_t>(listedSize);
  TotalSize += size;
  TextTable& sizes = context_.lists.sizes;
  const std::size_t row = rowFor(size);
  const std::int64_t count = parseInt32Cell(sizes.subCell(row, kCountCell));
  sizes.setSubCell(row, kCountCell, formatInteger(count + 1));

  ++FilesDone;
  const std::int64_t percent = static_cast<std::int64_t>(FilesDone) * 100 / TotalFiles;
  const int progress = percent > 100 ? 100 : static_cast<int>(percent);
  if (progress != shownProgress_) {
    shownProgress_ = progress;
    context_.feedback.setProgress(progress);
  }
}

std::size_t Census::rowFor(std::int64_t size) const {
  // Parsed afresh for each file, and only up to the row found: a threshold edited during
  // the walk counts for the following files, and one that does not parse fails only when
  // a file reaches it.
  return censusRow(context_.lists.sizes, size);
}

std::string Census::summary() const {
  return "Total files: " + formatInteger(TotalFiles) +
         ", total folders: " + formatInteger(TotalFolders) +
         ", total size: " + formatInteger(TotalSize) +
         ", avg size: " + formatInteger(TotalSize / TotalFiles) + ".";
}

}  // namespace brimwell::census
