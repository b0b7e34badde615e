// The reproduction writer: every file entry of the list, in list order, gets its folders
// and a file of its size, filled block by block with random bytes.
//
// Sizes: a size that does not fit a 32-bit cell fails with the cell's message before the
// question; a negative size (a template with descending thresholds can give one) writes an
// empty file and counts as 0 bytes, so the total asked about is what will be written.
// A file whose closing fails ends the run like a failed block write, since what was
// written may not have reached the disk.
//
// No link below the target is followed (Confinement): a link where a folder or a listed
// file should be refuses the file like a read-only one, and nothing is written through it.
#include "diskops/writer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "app/cell_number.h"
#include "app/failure.h"
#include "app/random_bytes.h"
#include "diskops/confinement.h"
#include "diskops/file_failure.h"
#include "diskops/folder_maker.h"
#include "diskops/percent.h"
#include "platform/windows_errors.h"

namespace brimwell::diskops {

namespace {

constexpr std::size_t kBlockSize = 2048;

std::int32_t fileSize(const TextTable& list, std::size_t row) {
  return std::max<std::int32_t>(0, parseInt32Cell(list.subCell(row, kSizeCell)));
}

std::int64_t byteTotal(const TextTable& list) {
  std::int64_t total = 0;
  for (std::size_t row = 0; row < list.rowCount(); ++row) total += fileSize(list, row);
  return total;
}

std::unique_ptr<WritableFile> createWithFolders(FileSystem& fs, PathStyle style,
                                                FolderMaker& folders, const std::string& path) {
  const std::string_view folder = style.folderPartOf(path);
  const bool remembered = folders.isRemembered(folder);
  folders.ensure(folder);
  int error = 0;
  auto file = fs.createFile(path, error);
  if (!file && error == winerr::kPathNotFound && remembered) {
    // The folder made earlier has gone since: make it again and try once more.
    folders.forget();
    folders.ensure(folder);
    file = fs.createFile(path, error);
  }
  if (!file && error == winerr::kPathNotFound && folders.refusal().error != 0) {
    throw FolderIoFailure(error, path, folders.refusal().folder, folders.refusal().error);
  }
  if (!file) throw FileIoFailure(error, path);
  return file;
}

// createWithFolders, with the failures of the folder chain naming the file too.
std::unique_ptr<WritableFile> createNamingFailures(FileSystem& fs, PathStyle style,
                                                   FolderMaker& folders, const std::string& path) {
  try {
    return createWithFolders(fs, style, folders, path);
  } catch (const FileIoFailure&) {
    throw;
  } catch (const Failure& failure) {
    throw FileFailure(failure.what(), path);
  }
}

enum class FileResult { Written, WriteFailed };

// Writes `size` random bytes in blocks; a short write ends the file early.
FileResult writeContent(WritableFile& file, std::int32_t size, RandomSource& random,
                        std::array<std::uint8_t, kBlockSize>& buffer) {
  std::int64_t written = 0;
  do {
    const auto block = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(kBlockSize), size - written));
    fillRandomBytes(random, buffer.data(), buffer.size());
    std::size_t count = 0;
    if (file.write(buffer.data(), block, count) != 0) return FileResult::WriteFailed;
    written += static_cast<std::int64_t>(count);
    if (count < block) break;
  } while (written < size);
  return FileResult::Written;
}

}  // namespace

Outcome stoppedByUser(Feedback& feedback) {
  feedback.setProgress(0);
  feedback.setStatus("Stopped.");
  feedback.pump();
  return Outcome::Stopped;
}

Outcome reproduce(Context& context) {
  TextTable& list = context.lists.files1;
  Feedback& feedback = context.feedback;

  const std::int64_t total = byteTotal(list);
  if (!feedback.confirm("Total " + formatInteger(total) +
                        " bytes are going to be written. Please make sure that destination "
                        "location has enough space to fit all data. Proceed now?")) {
    return Outcome::Declined;
  }
  feedback.setStatus("Reproducing folder structure...");
  feedback.setProgress(0);
  feedback.pump();

  const Confinement confinement(context);
  FolderMaker folders(context.fs, context.style);
  // Aligned to its size, the buffer never straddles a page: each write copies from one page.
  alignas(kBlockSize) std::array<std::uint8_t, kBlockSize> buffer{};
  std::string path;
  for (std::size_t row = 0; row < list.rowCount(); ++row) {
    path.assign(list.caption(row));
    auto file = createNamingFailures(context.fs, context.style, folders, path);
    const FileResult result = writeContent(*file, fileSize(list, row), context.random, buffer);
    if (result == FileResult::WriteFailed || file->close() != 0) {
      feedback.notice("Write error, possibly not enough space. Operation canceled.");
      feedback.setProgress(0);
      feedback.setStatus("Error.");
      feedback.pump();
      file->close();
      return Outcome::Failed;
    }
    feedback.setProgress(percentOf(row + 1, list.rowCount()));
    if (!feedback.carryOn()) return stoppedByUser(feedback);
  }
  feedback.setProgress(0);
  feedback.setStatus("Done.");
  feedback.pump();
  return Outcome::Done;
}

}  // namespace brimwell::diskops
