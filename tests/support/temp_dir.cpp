#include "support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace brimwell::testing {

namespace fs = std::filesystem;

#ifdef _WIN32
// Windows has no mkdtemp: a name made of the process id, a counter and the clock, tried
// until CreateDirectoryA makes a folder that did not exist.
TempDir::TempDir() {
  char base[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(sizeof base, base);
  if (length == 0 || length > MAX_PATH) throw std::runtime_error("GetTempPathA failed");
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = std::string(base) + "brimwell-test-" +
                                  std::to_string(GetCurrentProcessId()) + "-" +
                                  std::to_string(++counter) + "-" + std::to_string(GetTickCount());
    if (CreateDirectoryA(candidate.c_str(), nullptr)) {
      path_ = candidate;
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  throw std::runtime_error("no temporary folder could be made");
}
#else
TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "brimwell-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}
#endif

TempDir::~TempDir() {
  std::error_code ignored;
  // Give every entry back its write permission so read-only leftovers are removed too.
  for (auto it = fs::recursive_directory_iterator(path_, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(path_, ignored);
}

void TempDir::writeFile(const std::string& relative, const std::string& contents) const {
  const fs::path file = fs::path(path_) / relative;
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary);
  out << contents;
}

std::string TempDir::readFile(const std::string& relative) const {
  return readWholeFile((fs::path(path_) / relative).string());
}

std::size_t regularFilesUnder(const std::string& folder, const std::string& part) {
  std::size_t count = 0;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    const bool file = it->is_regular_file(error);
    count += file && it->path().string().find(part) != std::string::npos ? 1 : 0;
  }
  return count;
}

std::string readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

}  // namespace brimwell::testing
