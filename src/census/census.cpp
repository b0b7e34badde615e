// The census: counting and classifying walks of a location, and the "Analyse" handler.
#include "census/census.h"

#include <optional>
#include <system_error>
#include <utility>

#include "app/cell_number.h"
#include "census/census_walk.h"
#include "census/size_template.h"
#include "walk/ordered_walk.h"

namespace brimwell::census {

Outcome analyse(Context& context) {
  walk::UnreadPaths unread;
  return analyse(context, unread);
}

Outcome analyse(Context& context, walk::UnreadPaths& unread) {
  Census census(context);
  const Outcome outcome = census.analyseClick();
  unread = std::move(census.unread);
  return outcome;
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
  unread = walk::UnreadPaths();
  ScanPass = 0;
  const std::string counted = context_.fields.text(EditField::scanpath);
  // Listed on the pool's threads, and kept for the classifying walk.
  std::optional<walk::OrderedWalk> ahead;
  if (context_.fs.allowsConcurrentListing()) {
    try {
      ahead.emplace(context_.fs, folderPath(counted), context_.style.separator());
    } catch (const std::system_error&) {
      // No thread to be had: each walk lists on this one.
    }
  }
  std::vector<std::uint64_t> kept;
  bool keptAll = false;
  if (ahead) {
    keptAll = countWalked(*ahead, kept);
    ahead.reset();
  } else {
    ScanFolder(counted);
  }
  if (TotalFiles == 0) {
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
  // What the classifying walk missed is what its counts miss; the counting walk's misses
  // stand only when it read more.
  walk::UnreadPaths countingMissed = std::exchange(unread, walk::UnreadPaths());
  shownProgress_ = -1;
  const std::string classified = context_.fields.text(EditField::scanpath);
  if (keptAll && classified == counted) {
    classifyKept(kept);  // what the walk missed, the counting walk's misses below
  } else {
    // Too many entries to keep, or the location was changed during the counting walk (what
    // was kept is not it).
    kept = std::vector<std::uint64_t>();
    ScanFolder(classified);
  }
  if (unread.empty()) unread = std::move(countingMissed);
  UpdatePercentages(sizes, context_.decimalSeparator);
  feedback.setStatus(summary());
  feedback.setProgress(0);
  return Outcome::Done;
}

void Census::ScanFolder(const std::string& path) {
  std::string folder = folderPath(path);
  walk(folder, true);
}

std::string Census::folderPath(const std::string& path) const {
  std::string folder = path;
  if (!PathStyle::endsWithSeparator(folder)) folder += context_.style.separator();
  return folder;
}

void Census::walk(std::string& folder, bool root) {
  int error = 0;
  const auto listing = context_.fs.listFolder(folder, ScanPass == 1, error);
  if (!listing) {
    if (root) {
      unread.addFolder(folder, error);
    } else {
      unread.addMetFolder(folder, error);
    }
    return;
  }
  const std::size_t folderLength = folder.size();
  DirEntry entry;
  while (listing->next(entry)) {
    context_.feedback.pump();
    if (entry.isDirectory) {
      if (entry.name == "." || entry.name == "..") continue;
      if (ScanPass == 0) ++TotalFolders;
      // A folder of another file system is counted but not entered, as is one the walk is
      // already inside.
      if (entry.isRepeatedDirectory) unread.addRepeatedFolder(folder + entry.name);
      if (entry.isForeignDirectory) continue;
      folder.append(entry.name);
      folder += context_.style.separator();
      walk(folder, false);
      folder.resize(folderLength);
    } else if (ScanPass == 0) {
      ++TotalFiles;
    } else {
      if (entry.error != 0) unread.addFile(folder + entry.name, entry.error);
      classify(entry.size);
    }
  }
  unread.addFolder(folder, listing->error());
}

bool Census::countWalked(walk::OrderedWalk& walk, std::vector<std::uint64_t>& kept) {
  bool keeping = true;
  for (walk::WalkEntry entry; walk.next(entry);) {
    context_.feedback.pump();
    const bool file = entry.kind == walk::WalkEntry::Kind::File;
    if (file) {
      ++TotalFiles;
    } else if (entry.kind == walk::WalkEntry::Kind::Folder || entry.foreign) {
      ++TotalFolders;  // "." and ".." are not counted; a folder not entered is
    }
    if (!keeping) continue;
    if (kept.size() == kMaxKeptEntries) {
      keeping = false;
      kept = std::vector<std::uint64_t>();
      continue;
    }
    kept.push_back(file ? entry.size : kNotAFile);
  }
  unread = walk.unread();
  return keeping;
}

void Census::classifyKept(const std::vector<std::uint64_t>& kept) {
  for (const std::uint64_t size : kept) {
    context_.feedback.pump();
    if (size != kNotAFile) classify(size);
  }
}

void Census::classify(std::uint64_t listedSize) {
  // Sizes of 2 GiB and more are taken whole: every threshold is a 32-bit number, so such
  // a file lands in the last row, and the total stays true.
  const auto size = static_cast<std::int64_t>(listedSize);
  TotalSize += listedSize;
  TextTable& sizes = context_.lists.sizes;
  const std::size_t row = rowFor(size);
  Threshold& threshold = thresholds_[row];
  if (!threshold.countKnown) {
    threshold.count = parseInt32Cell(sizes.subCell(row, kCountCell));
    threshold.countKnown = true;
  }
  ++threshold.count;
  sizes.setSubCell(row, kCountCell, formatInteger(threshold.count));
  sizesSeen_ = sizes.changeCount();

  ++FilesDone;
  const std::int64_t percent = static_cast<std::int64_t>(FilesDone) * 100 / TotalFiles;
  const int progress = percent > 100 ? 100 : static_cast<int>(percent);
  if (progress != shownProgress_) {
    shownProgress_ = progress;
    context_.feedback.setProgress(progress);
  }
}

std::size_t Census::rowFor(std::int64_t size) {
  // Read afresh for each file, and only up to the row found: a threshold edited during
  // the walk counts for the following files, and one that does not parse fails only when
  // a file reaches it. A caption is parsed again only when its text changed, and its text
  // is compared only when the table changed since the census last wrote a count.
  const TextTable& sizes = context_.lists.sizes;
  const bool unchanged = sizesSeen_ == sizes.changeCount();
  if (!unchanged) {
    for (Threshold& threshold : thresholds_) threshold.countKnown = false;
  }
  if (thresholds_.size() < sizes.rowCount()) thresholds_.resize(sizes.rowCount());
  for (std::size_t row = 0; row < sizes.rowCount(); ++row) {
    Threshold& threshold = thresholds_[row];
    if (threshold.parsed && unchanged) {
      if (threshold.value >= size) return row;
      continue;
    }
    const std::string_view caption = sizes.caption(row);
    if (!threshold.parsed || threshold.text != caption) {
      threshold.value = parseInt32Cell(caption);
      threshold.text.assign(caption);
      threshold.parsed = true;
    }
    if (threshold.value >= size) return row;
  }
  return sizes.rowCount() - 1;
}

std::string Census::summary() const {
  return "Total files: " + formatInteger(TotalFiles) +
         ", total folders: " + formatInteger(TotalFolders) +
         ", total size: " + decimalText(TotalSize) +
         ", avg size: " + decimalText(TotalSize / static_cast<unsigned>(TotalFiles)) + "." +
         (unread.empty() ? std::string() : " " + unread.summary() + ".");
}

}  // namespace brimwell::census
