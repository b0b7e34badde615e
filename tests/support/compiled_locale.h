// A locale the system may not have installed, compiled for the test run: localedef builds
// it from the C library's locale sources into a temporary folder, and LOCPATH names that
// folder while the locale is in use. (Tests on Linux only.)
#pragma once

#include <optional>
#include <string>

#include "support/temp_dir.h"

namespace brimwell::testing {

class CompiledLocale {
 public:
  // Compiles `source` (for example "de_DE") in `charmap` ("UTF-8") as `name`
  // ("de_DE.UTF-8"). error() says why when it could not be made.
  CompiledLocale(const std::string& source, const std::string& charmap, std::string name);

  const std::string& error() const { return error_; }

  // LOCPATH and LC_ALL name the locale until the returned scope ends; the earlier values
  // come back then.
  class InUse {
   public:
    explicit InUse(const CompiledLocale& locale);
    ~InUse();
    InUse(const InUse&) = delete;
    InUse& operator=(const InUse&) = delete;

   private:
    std::optional<std::string> locpath_;
    std::optional<std::string> all_;
  };

 private:
  TempDir folder_;
  std::string name_;
  std::string error_;
};

}  // namespace brimwell::testing
