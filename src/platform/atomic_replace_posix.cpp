#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <string_view>
#include <vector>

#include "platform/atomic_replace.h"
#include "platform/posix_file_system.h"
#include "platform/windows_errors.h"

namespace brimwell {
namespace {

// The mark in the name of every new file a replacement makes: ".NAME.brimwell-new.XXXXXX".
constexpr std::string_view kNewFileMark = ".brimwell-new.";
constexpr std::size_t kUniqueLetters = 6;  // the XXXXXX mkostemp fills in

// "dir/" for "dir/name", "" for a bare name.
std::string folderPart(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The start of the names of `destination`'s new files, up to the unique letters.
std::string newFilePrefix(const std::string& destination) {
  const std::string folder = folderPart(destination);
  // Short enough that the whole name stays within the system's 255 bytes.
  return "." + destination.substr(folder.size(), 200) + std::string(kNewFileMark);
}

// The rule of fs.protected_symlinks: a link in a sticky folder that everyone may write to is
// followed only when it belongs to this user or to the folder's owner.
bool protectedRuleFollows(const std::string& link, const struct stat& linkStat) {
  const std::string folder = folderPart(link);
  struct stat st {};
  if (::stat(folder.empty() ? "." : folder.c_str(), &st) != 0) return false;
  const bool shared = (st.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH);
  return !shared || linkStat.st_uid == ::geteuid() || linkStat.st_uid == st.st_uid;
}

mode_t newFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

class PosixReplacement : public ReplacementFile {
 public:
  PosixReplacement(int fd, std::string temporary, std::string destination, mode_t mode,
                   const struct stat* old)
      : fd_(fd),
        temporary_(std::move(temporary)),
        destination_(std::move(destination)),
        mode_(mode),
        hasOld_(old != nullptr) {
    if (old != nullptr) old_ = *old;
  }
  ~PosixReplacement() override {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
  }

  int write(const void* data, std::size_t size, std::size_t& written) override {
    return writeToDescriptor(fd_, data, size, written);
  }

  int commit() override {
    if (committed_) return 0;
    if (fd_ < 0) return winerr::kAccessDenied;
    if (::fsync(fd_) != 0 && errno != EINVAL) return abandon(errno);
    if (temporary_.empty()) {  // written in place
      committed_ = true;
      return 0;
    }
    if (::fchmod(fd_, mode_) != 0) return abandon(errno);
    if (hasOld_ && (old_.st_uid != ::geteuid() || old_.st_gid != ::getegid())) {
      // Only a privileged process may give the file away; others keep their own.
      [[maybe_unused]] const int ignored = ::fchown(fd_, old_.st_uid, old_.st_gid);
    }
    if (::rename(temporary_.c_str(), destination_.c_str()) != 0) return abandon(errno);
    committed_ = true;
    // The rename itself reaches the disk with the folder's entry.
    const std::size_t slash = destination_.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : destination_.substr(0, slash + 1);
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
      ::fsync(folderFd);
      ::close(folderFd);
    }
    return 0;
  }

  int close() override {
    const int error = commit();
    if (fd_ >= 0) {
      const int result = ::close(fd_);
      fd_ = -1;
      if (error == 0 && result != 0 && errno != EINTR) return windowsErrorFromErrno(errno, true);
    }
    return error;
  }

 private:
  int abandon(int errnoValue) {
    const int error = windowsErrorFromErrno(errnoValue, true);
    ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
    return error;
  }

  int fd_;
  std::string temporary_;  // empty when the destination is written in place
  std::string destination_;
  mode_t mode_;
  bool hasOld_;
  struct stat old_ {};
  bool committed_ = false;
};

}  // namespace

int replacementDestination(const std::string& nativePath, LinkAtName links,
                           std::string& destination) {
  std::string path = nativePath;
  // Followed link by link, so a link to a file not yet made still names where it goes.
  for (int hop = 0; hop < 40; ++hop) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    if (links == LinkAtName::Refuse) return refusedBecause(winerr::kAccessDenied, kLinkNotFollowed);
    if (!protectedRuleFollows(path, st)) {
      return refusedBecause(winerr::kAccessDenied,
                            "it is a symbolic link in a sticky folder that everyone may write "
                            "to, and belongs neither to you nor to the folder's owner; not "
                            "followed");
    }
    std::vector<char> target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length <= 0) break;
    const std::string next(target.data(), static_cast<std::size_t>(length));
    path = next.front() == '/' ? next : folderPart(path) + next;
  }
  destination = std::move(path);
  return 0;
}

int removeStaleReplacements(const std::string& nativePath, LinkAtName links) {
  std::string destination;
  if (replacementDestination(nativePath, links, destination) != 0) return 0;
  const std::string folder = folderPart(destination);
  const std::string prefix = newFilePrefix(destination);
  DIR* listing = ::opendir(folder.empty() ? "." : folder.c_str());
  if (listing == nullptr) return 0;
  const auto isUniqueLetter = [](char c) { return std::isalnum(static_cast<unsigned char>(c)); };
  int removed = 0;
  while (const struct dirent* entry = ::readdir(listing)) {
    const std::string_view name = entry->d_name;
    if (name.size() != prefix.size() + kUniqueLetters || name.substr(0, prefix.size()) != prefix ||
        !std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                     isUniqueLetter)) {
      continue;
    }
    struct stat st {};
    if (::fstatat(::dirfd(listing), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(st.st_mode) && ::unlinkat(::dirfd(listing), entry->d_name, 0) == 0) {
      ++removed;
    }
  }
  ::closedir(listing);
  return removed;
}

std::unique_ptr<ReplacementFile> ReplacementFile::open(const std::string& nativePath, int& error,
                                                       LinkAtName links) {
  std::string destination;
  error = replacementDestination(nativePath, links, destination);
  if (error != 0) return nullptr;
  struct stat old {};
  const bool exists = ::stat(destination.c_str(), &old) == 0;
  // A pipe or socket would keep the writer waiting for a reader: it is no file to replace.
  if (exists && (S_ISDIR(old.st_mode) || S_ISFIFO(old.st_mode) || S_ISSOCK(old.st_mode) ||
                 (old.st_mode & 0222) == 0)) {
    error = refused(winerr::kAccessDenied);
    return nullptr;
  }
  if (exists && !S_ISREG(old.st_mode)) {
    const int fd = ::open(destination.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
      error = windowsErrorFromErrno(errno, true);
      return nullptr;
    }
    return std::make_unique<PosixReplacement>(fd, std::string(), destination, old.st_mode, &old);
  }
  const mode_t mode = exists ? (old.st_mode & 07777) : newFileMode();
  // mkostemp creates the file exclusively (O_EXCL), so never through a planted link.
  std::string temporary =
      folderPart(destination) + newFilePrefix(destination) + std::string(kUniqueLetters, 'X');
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) {
    error = windowsErrorFromErrno(errno, true);  // 3 for a missing folder
    return nullptr;
  }
  return std::make_unique<PosixReplacement>(fd, std::move(temporary), destination, mode,
                                            exists ? &old : nullptr);
}

}  // namespace brimwell
