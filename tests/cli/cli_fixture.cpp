#include "cli/cli_fixture.h"

#include <filesystem>

namespace brimwell::testing {

namespace fs = std::filesystem;

CliTest::CliTest() {
  dir.writeFile("small.fs", "512\t10\tsmall\r\n4096\t30\r\n65536\t20\tlarge\r\n");
}

CliRun CliTest::build(const std::string& list, const std::string& seed, int files) {
  return runCli({"build", "--template", templatePath(), "--list", path(list), "--target", target(),
                 "--files", std::to_string(files), "--folders", "12", "--seed", seed});
}

std::map<std::string, std::string> CliTest::filesOnDisk() const {
  std::map<std::string, std::string> files;
  if (!fs::exists(target())) return files;
  for (const auto& entry : fs::recursive_directory_iterator(target())) {
    if (!entry.is_regular_file()) continue;
    const std::string relative = fs::relative(entry.path(), dir.path()).string();
    files[relative] = dir.readFile(relative);
  }
  return files;
}

std::size_t CliTest::foldersOnDisk() const {
  std::size_t folders = 0;
  if (!fs::exists(target())) return folders;
  for (const auto& entry : fs::recursive_directory_iterator(target())) {
    folders += entry.is_directory() ? 1 : 0;
  }
  return folders;
}

}  // namespace brimwell::testing
