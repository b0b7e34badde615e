// The "a) Build file system" handler: checks the template, then runs the folder, file and
// size steps with both lists' repainting suspended, and orders the file list once.
#include "fileset/builder.h"

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "app/cell_number.h"
#include "fileset/build_steps.h"

namespace brimwell::fileset {
namespace {

constexpr std::string_view kNoTemplate =
    "Please analyse disk or load prepared file-sizes preset first!";

void announce(Feedback& feedback, std::string_view status) {
  feedback.setStatus(status);
  feedback.setProgress(0);
  feedback.pump();
}

// The counts' sum as a 32-bit signed number; wraps on overflow, as 32-bit addition does.
std::int32_t countSum(const TextTable& sizes) {
  std::uint32_t sum = 0;
  for (std::size_t row = 0; row < sizes.rowCount(); ++row) {
    sum += static_cast<std::uint32_t>(parseInt32Cell(sizes.subCell(row, kCountCell)));
  }
  return static_cast<std::int32_t>(sum);
}

std::vector<std::uint32_t> inverse(const std::vector<std::uint32_t>& order) {
  std::vector<std::uint32_t> inverted(order.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) inverted[order[i]] = i;
  return inverted;
}

// Puts the entries in the collation order of their captions, ties in creation order.
// `layout` is the order they stand in (as creation indices), most likely the right one,
// which the collation then confirms without sorting.
void orderByCaption(Collation& collation, const std::vector<std::uint32_t>& rowOfFile,
                    const std::vector<std::uint32_t>& layout, TextTable& files) {
  const auto byCreation = [&](std::size_t file) { return files.caption(rowOfFile[file]); };
  const std::vector<std::uint32_t> sorted =
      collation.orderFromGuess(files.rowCount(), byCreation, layout);
  if (sorted == layout) return;
  std::vector<std::uint32_t> rows(sorted.size());
  for (std::size_t p = 0; p < sorted.size(); ++p) rows[p] = rowOfFile[sorted[p]];
  files.reorder(rows);
}

}  // namespace

Outcome build(Context& context) {
  TextTable& sizes = context.lists.sizes;
  if (sizes.empty()) {
    context.feedback.notice(kNoTemplate);
    return Outcome::Stopped;
  }
  const std::int32_t sum = countSum(sizes);
  if (sum == 0) {
    context.feedback.notice(kNoTemplate);
    return Outcome::Stopped;
  }
  const double scale =
      static_cast<double>(context.fields.value(SpinField::SpinEdit1)) / static_cast<double>(sum);

  TextTable& folders = context.lists.files;
  TextTable& files = context.lists.files1;
  folders.clear();
  files.clear();
  {
    // Ends both batches also when a failure unwinds, so both lists are shown again.
    const TableBatch folderBatch(folders);
    const TableBatch fileBatch(files);

    announce(context.feedback, "Buliding folder structure...");
    drawFolderPaths(context, folders);

    announce(context.feedback, "Buliding file structure...");
    // The entries are laid out in their likely final order from the start; rowOfFile
    // says where the file made i-th stands.
    std::vector<std::uint32_t> layout;
    {
      const std::vector<std::uint32_t> folderOfFile =
          drawFileFolders(context, static_cast<std::uint32_t>(folders.rowCount()));
      layout = likelyFileOrder(context.collation, folders, context.fields.text(EditField::id),
                               folderOfFile);
      addFileEntries(context, folders, folderOfFile, layout, files);
    }
    const std::vector<std::uint32_t> rowOfFile = inverse(layout);

    folders.clear();
    announce(context.feedback, "Calculating file sizes...");
    try {
      drawFileSizes(context, scale, rowOfFile, files);
    } catch (...) {
      // A failed build leaves the list unsorted: in the order the entries were made.
      files.reorder(rowOfFile);
      throw;
    }
    orderByCaption(context.collation, rowOfFile, layout, files);
  }
  context.feedback.setProgress(0);
  context.feedback.setStatus("Done.");
  context.feedback.pump();
  return Outcome::Done;
}

}  // namespace brimwell::fileset
