#include "support/source_templates.h"

namespace brimwell::testing {

std::string sourceTemplate(const std::string& name) {
  return BRIMWELL_SOURCE_DIR "/templates/" + name + ".fs";
}

}  // namespace brimwell::testing
