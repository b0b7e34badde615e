#include "diskops/list_writing.h"

#include <algorithm>

#include "app/cell_number.h"
#include "app/failure.h"
#include "app/message_text.h"
#include "app/random_bytes.h"
#include "diskops/file_failure.h"
#include "platform/windows_errors.h"

namespace brimwell::diskops {
namespace {

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
    throw FolderIoFailure(error, path, folders.refusal().folder, folders.refusal().error,
                          folders.refusal().why);
  }
  if (!file) throw FileIoFailure(error, path);
  return file;
}

}  // namespace

std::int32_t listedFileSize(const TextTable& list, std::size_t row) {
  return std::max<std::int32_t>(0, parseInt32Cell(list.subCell(row, kSizeCell)));
}

std::int32_t plannedFileSize(std::string_view sizeCell) {
  return std::max<std::int32_t>(0, tryParseInt32(sizeCell).value_or(0));
}

std::int32_t plannedFileSize(const TextTable& list, std::size_t row) {
  return plannedFileSize(list.cellText(row, 1 + kSizeCell));
}

bool confirmListTotal(Context& context) {
  const TextTable& list = context.lists.files1;
  std::int64_t total = 0;
  for (std::size_t row = 0; row < list.rowCount(); ++row) total += listedFileSize(list, row);
  return context.feedback.confirm(
      "Total " + formatInteger(total) +
      " bytes are going to be written. Please make sure that destination "
      "location has enough space to fit all data. Proceed now?");
}

ListWriting::ListWriting(Context& context)
    : context_(context), confinement_(context), folders_(context.fs, context.style) {}

std::unique_ptr<WritableFile> ListWriting::create(const std::string& path) {
  // The failures of the folder chain name the file too.
  try {
    return createWithFolders(context_.fs, context_.style, folders_, path);
  } catch (const FileIoFailure&) {
    throw;
  } catch (const Failure& failure) {
    throw FileFailure(failure.what(), path);
  }
}

// Hot, with the fill and the file's write: the compiler puts all three side by side. Where a
// system call empties the processor's address cache (page-table isolation without PCID),
// every page the loop touches between two writes costs a page walk again.
[[gnu::hot]] bool ListWriting::write(WritableFile& file, std::int64_t size) {
  std::int64_t written = 0;
  do {
    const auto block = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(kBlockSize), size - written));
    fillRandomBytes(context_.random, buffer_.data(), buffer_.size());
    std::size_t count = 0;
    if (const int error = file.write(buffer_.data(), block, count); error != 0) {
      error_ = error;
      return false;
    }
    written += static_cast<std::int64_t>(count);
    if (count < block) break;
  } while (written < size);
  return true;
}

std::uint64_t ListWriting::drawsToWrite(const TextTable& list) {
  // write() fills the whole buffer for each block, the last one short, and once for an empty
  // file.
  std::uint64_t blocks = 0;
  for (std::size_t row = 0; row < list.rowCount(); ++row) {
    const auto size = static_cast<std::uint64_t>(listedFileSize(list, row));
    blocks += std::max<std::uint64_t>((size + kBlockSize - 1) / kBlockSize, 1);
  }
  return blocks * kBlockSize;
}

bool ListWriting::close(WritableFile& file) {
  error_ = file.close();
  return error_ == 0;
}

Outcome ListWriting::failed(const std::string& path) {
  Feedback& feedback = context_.feedback;
  feedback.notice("Write error, possibly not enough space. Operation canceled.");
  const std::string reason = error_ == winerr::kDiskFull ? std::string("the volume is full")
                             : error_ != 0               ? ioErrorMessage(error_)
                                                         : std::string("the write was refused");
  feedback.explain("The file '" + quotedCell(path) + "' could not be written: " + reason + ".");
  feedback.setProgress(0);
  feedback.setStatus("Error.");
  feedback.pump();
  return Outcome::Failed;
}

}  // namespace brimwell::diskops
