#include "support/scripted_volume.h"

#include <algorithm>
#include <cmath>

#include "support/forwarding_file_system.h"

namespace brimwell::testing {
namespace {

class BookedFile : public ForwardingFile {
 public:
  // `end`: the file's size when it is opened (an appended file's).
  BookedFile(std::unique_ptr<WritableFile> real, ScriptedVolume& volume, std::string path,
             std::uint64_t end = 0)
      : ForwardingFile(std::move(real)), volume_(volume), path_(std::move(path)), end_(end) {}

  int write(const void* data, std::size_t size, std::size_t& written) override {
    const int error = ForwardingFile::write(data, size, written);
    end_ += written;
    volume_.grown(path_, end_);
    return error;
  }
  // Placed in the books only: the real file gets its bytes when they are written, without
  // the real volume's pieces (which only slow the test's folder down).
  int reserve(std::uint64_t offset, std::uint64_t size, bool& placed) override {
    placed = true;
    volume_.placed(path_, offset, size);
    return 0;
  }

 private:
  ScriptedVolume& volume_;
  std::string path_;
  std::uint64_t end_;
};

class Bookkeeper : public ForwardingFileSystem {
 public:
  Bookkeeper(FileSystem& real, ScriptedVolume& volume)
      : ForwardingFileSystem(real), volume_(volume) {}

  int createFolder(const std::string& path) override {
    const int error = real().createFolder(path);
    if (error == 0) volume_.folderMade();
    return error;
  }
  std::unique_ptr<WritableFile> createFile(const std::string& path, int& error) override {
    return booked(real().createFile(path, error), path);
  }
  std::unique_ptr<WritableFile> createNewFile(const std::string& path, int& error) override {
    return booked(real().createNewFile(path, error), path);
  }
  int deleteFile(const std::string& path) override {
    const int error = real().deleteFile(path);
    if (error == 0) volume_.deleted(path);
    return error;
  }
  int renameFile(const std::string& from, const std::string& to) override {
    const int error = real().renameFile(from, to);
    if (error == 0) volume_.renamed(from, to);
    return error;
  }
  std::unique_ptr<WritableFile> appendToFile(const std::string& path, int& error) override {
    auto file = real().appendToFile(path, error);
    if (!file) return nullptr;
    return std::make_unique<BookedFile>(std::move(file), volume_, path, volume_.appended(path));
  }

 private:
  std::unique_ptr<WritableFile> booked(std::unique_ptr<WritableFile> file,
                                       const std::string& path) {
    if (!file) return nullptr;
    volume_.created(path);
    return std::make_unique<BookedFile>(std::move(file), volume_, path);
  }

  ScriptedVolume& volume_;
};

class BookReader : public ExtentReader {
 public:
  explicit BookReader(const ScriptedVolume& volume) : volume_(volume) {}
  Expected<FileMap> read(const std::string& path, std::vector<Extent>& out) override {
    FileMap map;
    if (!volume_.extentsOf(path, out, map.size)) {
      return Failure("not on the scripted volume", path, std::nullopt);
    }
    if (!volume_.extentsRefusal) return map;
    out.clear();
    return FileMap(map.size, Failure(*volume_.extentsRefusal));
  }

 private:
  const ScriptedVolume& volume_;
};

}  // namespace

ScriptedVolume::ScriptedVolume(std::uint64_t totalBytes, std::uint32_t blockSize,
                               std::string mountPoint)
    : totalBytes_(totalBytes), blockSize_(blockSize), mountPoint_(std::move(mountPoint)) {}

FileSystem& ScriptedVolume::files(FileSystem& real) {
  bookkeeper_ = std::make_unique<Bookkeeper>(real, *this);
  return *bookkeeper_;
}

std::uint64_t ScriptedVolume::usedBytes() const {
  std::uint64_t used = usedBefore;
  if (foldersTakeBlocks) used += static_cast<std::uint64_t>(folders_) * blockSize_;
  for (const auto& [path, books] : files_) {
    used += (books.size + blockSize_ - 1) / blockSize_ * blockSize_;
  }
  return std::min(used, totalBytes_);
}

Expected<VolumeSpace> ScriptedVolume::space(const std::string&) {
  if (spaceRefusal) return Failure(*spaceRefusal);
  VolumeSpace out;
  out.totalBytes = totalBytes_;
  out.freeBytes = totalBytes_ - usedBytes();
  out.availableBytes = out.freeBytes;
  if (const MetadataGroups& groups = metadataGroups; groups.copies != 0) {
    out.freeBytes -= std::min(out.freeBytes, groups.copies * groups.used + groups.reserve);
    out.availableBytes -= std::min(out.availableBytes, groups.copies * groups.allocated);
    out.metadataGroups = groups;
  }
  out.blockSize = blockSize_;
  out.mountPoint = mountPoint_;
  out.foldersTakeBlocks = foldersTakeBlocks;
  out.fileSystem = fileSystem;
  return out;
}

void ScriptedVolume::settle(const std::string&) { ++settles; }

// Every piece's place is booked, so places are always given.
std::unique_ptr<ExtentReader> ScriptedVolume::extentReader(bool /*placesWanted*/) {
  return std::make_unique<BookReader>(*this);
}

Expected<std::vector<Extent>> ScriptedVolume::freeExtents(const std::string&) {
  if (freeRefusal) return Failure(*freeRefusal);
  return freeMap;
}

Expected<std::uint64_t> ScriptedVolume::unallocatedBytes(const std::string&) {
  return Failure("the file system keeps no unallocated space apart");
}

VolumeAbilities ScriptedVolume::abilities(const std::string&) { return answeredAbilities; }

void ScriptedVolume::renamed(const std::string& from, const std::string& to) {
  files_[to] = files_[from];
  files_.erase(from);
}

std::uint64_t ScriptedVolume::appended(const std::string& path) {
  FileBooks& books = files_[path];
  if (books.size > 0) books.cuts.push_back(books.size);
  return books.size;
}

void ScriptedVolume::grown(const std::string& path, std::uint64_t end) {
  FileBooks& books = files_[path];
  books.size = std::max(books.size, end);
}

void ScriptedVolume::placed(const std::string& path, std::uint64_t offset, std::uint64_t size) {
  FileBooks& books = files_[path];
  books.size = std::max(books.size, offset + size);
  books.placed = true;
  if (offset > 0) books.cuts.push_back(offset);
}

bool ScriptedVolume::extentsOf(const std::string& path, std::vector<Extent>& extents,
                               std::uint64_t& size) const {
  extents.clear();
  const auto found = files_.find(path);
  if (found == files_.end()) return false;
  const FileBooks& books = found->second;
  size = books.size;
  if (books.size == 0) return true;
  std::vector<std::uint64_t> cuts = books.cuts;
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  // The first round(n * share) cuts are breaks, and of a file written unplaced an even share
  // of its joins; each file lies in a stretch of its own.
  const auto breaks =
      static_cast<std::size_t>(std::llround(static_cast<double>(cuts.size()) * breakShare));
  const double own = books.placed ? 0.0 : ownBreakShare * books.fullness;
  const auto ownBreakAt = [own](std::uint64_t block) {
    return std::floor(static_cast<double>(block) * own) >
           std::floor(static_cast<double>(block - 1) * own);
  };
  const std::uint64_t end = (books.size + blockSize_ - 1) / blockSize_ * blockSize_;
  auto physical = static_cast<std::uint64_t>(std::distance(files_.begin(), found) + 1) << 40;
  extents.push_back({0, physical, 0});
  std::uint64_t from = 0;
  for (std::size_t i = 0; i <= cuts.size(); ++i) {
    const std::uint64_t to = i < cuts.size() ? cuts[i] : end;
    for (std::uint64_t at = (from / blockSize_ + 1) * blockSize_; at < to; at += blockSize_) {
      if (!ownBreakAt(at / blockSize_)) continue;
      extents.back().length += at - from;
      physical += at - from + blockSize_;
      extents.push_back({at, physical, 0});
      from = at;
    }
    extents.back().length += to - from;
    physical += to - from;
    if (i < cuts.size() && i < breaks) {
      physical += blockSize_;  // a gap of a block: the next piece lies apart
      extents.push_back({to, physical, 0});
    }
    from = to;
  }
  return true;
}

}  // namespace brimwell::testing
