// What writing the listed files takes, shared by the writer that writes each file whole and
// the aging writer that writes files in pieces: the question about the total, the folders
// made on the way, links below the target never followed, random bytes, and the end of a
// run on a failed write.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "app/context.h"
#include "app/outcome.h"
#include "diskops/confinement.h"
#include "diskops/folder_maker.h"

namespace brimwell::diskops {

// The size of entry `row` of the file list: its size cell, a negative one counted as 0.
std::int32_t listedFileSize(const TextTable& list, std::size_t row);
// The same for plans and figures, which do not fail: 0 where the cell is missing or not a
// number the writer takes (beyond 32 bits, text), as the writer writes nothing for it.
std::int32_t plannedFileSize(const TextTable& list, std::size_t row);
std::int32_t plannedFileSize(std::string_view sizeCell);

// Asks whether to write the list's total; false when the user declines.
bool confirmListTotal(Context& context);

class ListWriting {
 public:
  // Confines the file system to the target for as long as it lives.
  explicit ListWriting(Context& context);

  // Creates (truncates) the file `path` with its missing folders; fails (FileIoFailure,
  // FileFailure) naming the file.
  std::unique_ptr<WritableFile> create(const std::string& path);

  // Makes the missing folders of the file `path` (for a file moved there); a refusal is
  // left to the request that follows.
  void makeFoldersOf(const std::string& path) { folders_.ensure(folderOf(path)); }

  // The folder part of the listed file `path`, as its folders are made.
  std::string_view folderOf(std::string_view path) const {
    return context_.style.folderPartOf(path);
  }

  // Writes `size` random bytes; false when a write failed (a short write only ends the
  // file early).
  bool write(WritableFile& file, std::int64_t size);
  // The draws from the job's random source that writing every listed file whole takes, so
  // what is drawn after the list is written can be known before (RandomSource::skip).
  static std::uint64_t drawsToWrite(const TextTable& list);
  // Writes the file out to the volume (WritableFile::writeOut); false when that failed.
  bool writtenOut(WritableFile& file) {
    error_ = file.writeOut();
    return error_ == 0;
  }
  // Closes the file; false when that failed.
  bool close(WritableFile& file);
  // Keeps the error of a request on the file that failed, for failed() to name.
  void failedWith(int error) { error_ = error; }

  // Ends the run after a failed write or close of `path`: the notice, status "Error.", and
  // the file with the reason explained.
  Outcome failed(const std::string& path);

 private:
  static constexpr std::size_t kBlockSize = 2048;
  Context& context_;
  Confinement confinement_;
  FolderMaker folders_;
  int error_ = 0;  // of the last request that failed
  // Aligned to its size, the buffer never straddles a page: each write copies from one page.
  alignas(kBlockSize) std::array<std::uint8_t, kBlockSize> buffer_{};
};

}  // namespace brimwell::diskops
