#include "support/compiled_locale.h"

#ifndef _WIN32

#include <cstdlib>

namespace brimwell::testing {
namespace {

std::optional<std::string> variable(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::nullopt : std::optional<std::string>(value);
}

void restore(const char* name, const std::optional<std::string>& value) {
  if (value) {
    setenv(name, value->c_str(), 1);
  } else {
    unsetenv(name);
  }
}

}  // namespace

CompiledLocale::CompiledLocale(const std::string& source, const std::string& charmap,
                               std::string name)
    : name_(std::move(name)) {
  // localedef writes a folder of files where its output names a path.
  const std::string command = "localedef --no-archive -i '" + source + "' -f '" + charmap + "' '" +
                              (folder_ / name_) + "' >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  if (status != 0) {
    error_ = "localedef could not compile " + name_ +
             " (install the locales package: scripts/install_deps.sh)";
  }
}

CompiledLocale::InUse::InUse(const CompiledLocale& locale)
    : locpath_(variable("LOCPATH")), all_(variable("LC_ALL")) {
  setenv("LOCPATH", locale.folder_.path().c_str(), 1);
  setenv("LC_ALL", locale.name_.c_str(), 1);
}

CompiledLocale::InUse::~InUse() {
  restore("LOCPATH", locpath_);
  restore("LC_ALL", all_);
}

}  // namespace brimwell::testing

#endif
