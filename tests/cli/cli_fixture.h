// A temporary folder with a small size template in it, and shortcuts for the commands
// that the tests of brimwell-cli run again and again.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace brimwell::testing {

class CliTest : public ::testing::Test {
 protected:
  CliTest();

  // The template file: sizes below 512, 4096 and 65536 bytes in the shares 10:30:20.
  std::string templatePath() const { return dir / "small.fs"; }
  // The folder the files are written to, with its trailing separator.
  std::string target() const { return dir.path() + "/drive/"; }
  std::string path(const std::string& relative) const { return dir / relative; }

  // `build` of `files` files into target() with the list at `list` (relative to dir).
  CliRun build(const std::string& list, const std::string& seed, int files = 60);

  std::string read(const std::string& relative) const { return dir.readFile(relative); }

  // Every regular file under target(), by path relative to dir, with its contents.
  std::map<std::string, std::string> filesOnDisk() const;
  // Every folder under target().
  std::size_t foldersOnDisk() const;

  TempDir dir;
};

}  // namespace brimwell::testing
