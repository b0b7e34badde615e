#include "platform/zero_placement_posix.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/posix_file_system.h"
#include "platform/windows_errors.h"

namespace brimwell {

int placeWithZeros(int fd, std::uint64_t offset, std::uint64_t size) {
  static constexpr char kZeros[64 * 1024] = {};
  for (std::uint64_t done = 0; done < size;) {
    const auto request =
        static_cast<std::size_t>(std::min<std::uint64_t>(size - done, sizeof kZeros));
    const ssize_t wrote = ::pwrite(fd, kZeros, request, static_cast<off_t>(offset + done));
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote < 0) return windowsErrorFromErrno(errno, true);
    if (wrote == 0) return winerr::kDiskFull;
    done += static_cast<std::uint64_t>(wrote);
  }
  return 0;
}

}  // namespace brimwell
