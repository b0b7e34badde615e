// Placeholder until the size template lands.
#include "census/size_template.h"

#include "app/failure.h"

namespace brimwell::census {
void readTemplate(std::string_view, TextTable&) { throw Failure("not built yet"); }
std::string writeTemplate(const TextTable&) { throw Failure("not built yet"); }
void UpdatePercentages(TextTable&, std::string_view) { throw Failure("not built yet"); }
void loadTemplateFile(Context&, const std::string&) { throw Failure("not built yet"); }
void saveTemplateFile(Context&, const std::string&) { throw Failure("not built yet"); }
Outcome loadTemplate(Context& c) {
  c.feedback.notice("Loading templates is not built yet.");
  return Outcome::Stopped;
}
Outcome saveTemplate(Context& c) {
  c.feedback.notice("Saving templates is not built yet.");
  return Outcome::Stopped;
}
}  // namespace brimwell::census
