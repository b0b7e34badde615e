// The folders and files a walk could not read: how many of each, and the first few by path
// with the reason, so that figures over the rest are never taken for the whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brimwell::walk {

class UnreadPaths {
 public:
  static constexpr std::size_t kNamed = 5;  // paths kept with their reason

  struct Named {
    std::string path;
    std::string reason;
  };

  // A folder that could not be listed, or not to its end, with the Windows error number.
  // 0 notes nothing; nor does a missing one (2 or 3), which vanished since it was met, or
  // never was there.
  void addFolder(std::string_view path, int error);
  // A folder met in its parent's listing that could not be listed when the walk came to
  // it: as addFolder(), but a missing one vanished while the walk ran, and is counted.
  void addMetFolder(std::string_view path, int error);
  // A folder the walk is already inside, mounted again below itself: named, not entered.
  void addRepeatedFolder(std::string_view path);
  // A file that could not be read, with the Windows error number or the system's reason.
  void addFile(std::string_view path, int error);
  void addFile(std::string_view path, std::string reason);
  // Adds `other`'s counts, and its named paths while fewer than kNamed are kept.
  void merge(const UnreadPaths& other);

  std::int64_t folders() const { return folders_; }
  std::int64_t files() const { return files_; }
  std::int64_t repeated() const { return repeated_; }
  bool empty() const { return folders_ == 0 && files_ == 0 && repeated_ == 0; }
  const std::vector<Named>& named() const { return named_; }
  // "2 folders and 1 file could not be read", "1 folder inside itself was not walked
  // again"; empty when nothing was missed.
  std::string summary() const;

 private:
  void name(std::string_view path, std::string reason);

  std::int64_t folders_ = 0;
  std::int64_t files_ = 0;
  std::int64_t repeated_ = 0;
  std::vector<Named> named_;
};

}  // namespace brimwell::walk
