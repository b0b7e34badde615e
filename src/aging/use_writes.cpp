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

void shuffle(std::vector<UseWrite>& writes, RandomSource& random) {
  for (std::size_t i = writes.size(); i > 1; --i) {
    std::swap(writes[i - 1], writes[random.draw(static_cast<std::uint32_t>(i))]);
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
  if (!writing.write(*file, bytes) || !writing.close(*file)) {
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

std::vector<UseWrite> planUse(const TextTable& onDisk, RandomSource& random) {
  const std::size_t count = onDisk.rowCount();
  const std::size_t replaced = shareOf(count, kReplacedPercent);
  const std::size_t grown = shareOf(count, kGrownPercent);
  const std::vector<bool> picked = diskops::pickRemovals(count, replaced + grown, random);
  std::vector<UseWrite> writes;
  writes.reserve(replaced + grown);
  for (std::size_t row = 0; row < count; ++row) {
    if (picked[row]) writes.push_back({static_cast<std::uint32_t>(row), UseWrite::Kind::MoveIn});
  }
  // The first `grown` of the drawn order grow, the rest are replaced.
  shuffle(writes, random);
  for (std::size_t i = 0; i < grown; ++i) {
    UseWrite& write = writes[i];
    const std::int32_t size = diskops::plannedFileSize(onDisk, write.row);
    const auto most =
        std::min<std::int64_t>(size / 2 + 1, std::numeric_limits<std::int32_t>::max() - size);
    write.kind = UseWrite::Kind::Grow;
    write.bytes = 1 + static_cast<std::int32_t>(random.draw(static_cast<std::uint32_t>(most)));
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
  std::string path;
  for (std::size_t i = 0; i < writes.size(); ++i) {
    const UseWrite& write = writes[i];
    path.assign(files.caption(write.row));
    const std::int32_t size = diskops::listedFileSize(files, write.row);
    if (write.kind == UseWrite::Kind::MoveIn) {
      const std::string staged = stagedName(stem, i);
      if (!moveIn(context, writing, staged, path, size)) return writing.failed(staged);
    } else {
      if (!grow(context, writing, path, write.bytes)) return writing.failed(path);
      files.setSubCell(write.row, kSizeCell, std::to_string(size + write.bytes));
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
