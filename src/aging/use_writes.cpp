#include "aging/use_writes.h"

#include <algorithm>
#include <limits>

#include "app/failure.h"
#include "diskops/list_writing.h"
#include "diskops/percent.h"
#include "diskops/removal_picker.h"
#include "diskops/writer.h"

namespace brimwell::aging {
namespace {

// A drawn order: each place from the last down takes one of those not yet placed.
template <typename Item>
void shuffle(std::vector<Item>& items, RandomSource& random) {
  for (std::size_t i = items.size(); i > 1; --i) {
    std::swap(items[i - 1], items[random.draw(static_cast<std::uint32_t>(i))]);
  }
}

std::size_t shareOf(std::size_t count, int percent) {
  return count * static_cast<std::size_t>(percent) / 100;
}

// Writes the file's new content under its staged name and renames it over `path`.
bool moveIn(Context& context, diskops::ListWriting& writing, const std::string& staged,
            const std::string& path, std::int32_t size) {
  auto file = writing.create(staged);
  if (!writing.write(*file, size) || !writing.close(*file)) {
    file->close();
    return false;
  }
  writing.makeFoldersOf(path);
  if (const int error = context.fs.renameFile(staged, path); error != 0) {
    throw Failure("The file '" + staged + "' could not be moved to '" + path +
                  "': " + ioErrorMessage(error) + ".");
  }
  return true;
}

bool grow(Context& context, diskops::ListWriting& writing, const std::string& path,
          std::int32_t bytes) {
  int error = 0;
  auto file = context.fs.appendToFile(path, error);
  if (!file) {
    throw Failure("The file '" + path + "' could not be opened to grow: " + ioErrorMessage(error) +
                  ".");
  }
  // Written out before the close, the appended block is placed now, and the volume keeps no
  // room reserved past the file's end for appends to come (XFS keeps it for a file closed
  // with data still unplaced).
  if (!writing.write(*file, bytes) || !writing.writtenOut(*file) || !writing.close(*file)) {
    file->close();
    return false;
  }
  return true;
}

}  // namespace

std::vector<UseWrite> planMovesIn(const TextTable& batch, RandomSource& random) {
  std::vector<UseWrite> writes(batch.rowCount());
  for (std::size_t row = 0; row < writes.size(); ++row) {
    writes[row].row = static_cast<std::uint32_t>(row);
  }
  shuffle(writes, random);
  return writes;
}

std::vector<UseWrite> planUse(const TextTable& onDisk, std::int32_t blockBytes,
                              std::uint64_t growBytes, RandomSource& random) {
  const std::size_t count = onDisk.rowCount();
  const std::size_t replaced = shareOf(count, kReplacedPercent);
  const std::size_t grown = shareOf(count, kGrownPercent);
  const std::vector<bool> picked = diskops::pickRemovals(count, replaced + grown, random);
  std::vector<std::uint32_t> rows;
  rows.reserve(replaced + grown);
  for (std::size_t row = 0; row < count; ++row) {
    if (picked[row]) rows.push_back(static_cast<std::uint32_t>(row));
  }
  // The first `grown` of a drawn order grow, the rest are replaced.
  shuffle(rows, random);
  std::vector<UseWrite> writes;
  writes.reserve(replaced + grown * kMostAppends);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i >= grown) {
      writes.push_back({rows[i], UseWrite::Kind::MoveIn, 0});
      continue;
    }
    // A size past 32 bits is not grown further: the list could not hold it.
    const std::int32_t size = diskops::plannedFileSize(onDisk, rows[i]);
    const auto appends = 1 + static_cast<std::int64_t>(random.draw(kMostAppends));
    const std::int64_t room = std::numeric_limits<std::int32_t>::max() - std::int64_t{size};
    for (std::int64_t n = 0; n < appends && (n + 1) * blockBytes <= room; ++n) {
      if (growBytes < static_cast<std::uint64_t>(blockBytes)) break;
      growBytes -= static_cast<std::uint64_t>(blockBytes);
      writes.push_back({rows[i], UseWrite::Kind::Grow, blockBytes});
    }
  }
  shuffle(writes, random);
  return writes;
}

std::string stagedName(const std::string& stem, std::size_t index) {
  return stem + std::to_string(index);
}

void addStagedNames(const TextTable& files, const std::vector<UseWrite>& writes,
                    const std::string& stem, TextTable& list) {
  for (std::size_t i = 0; i < writes.size(); ++i) {
    if (writes[i].kind != UseWrite::Kind::MoveIn) continue;
    const std::size_t added = list.addRow(stagedName(stem, i));
    list.addSubCell(added, files.cellText(writes[i].row, 1 + kSizeCell));
  }
}

Outcome writeInUse(Context& context, TextTable& files, const std::vector<UseWrite>& writes,
                   const std::string& stem) {
  Feedback& feedback = context.feedback;
  feedback.setStatus("Writing files in the staging folder and moving them into place...");
  feedback.setProgress(0);
  feedback.pump();
  diskops::ListWriting writing(context);
  const std::string target = context.fields.text(EditField::reprodpath);
  std::string path;
  for (std::size_t i = 0; i < writes.size(); ++i) {
    if (i > 0 && i % kSettleEvery == 0) context.volume.settle(target);
    const UseWrite& write = writes[i];
    path.assign(files.caption(write.row));
    const std::int32_t size = diskops::listedFileSize(files, write.row);
    if (write.kind == UseWrite::Kind::MoveIn) {
      const std::string staged = stagedName(stem, i);
      if (!moveIn(context, writing, staged, path, size)) return writing.failed(staged);
    } else {
      if (!grow(context, writing, path, write.bytes)) return writing.failed(path);
      files.setSubCell(write.row, kSizeCell, std::to_string(std::int64_t{size} + write.bytes));
    }
    feedback.setProgress(diskops::percentOf(i + 1, writes.size()));
    if (!feedback.carryOn()) return diskops::stoppedByUser(feedback);
  }
  feedback.setProgress(0);
  feedback.setStatus("Done.");
  feedback.pump();
  return Outcome::Done;
}

}  // namespace brimwell::aging
