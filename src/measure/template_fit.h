// The fit of the file sizes under a folder to a size template.
#pragma once

#include <string>

#include "measure/measurement.h"

namespace brimwell::measure {

// Runs the census of `target` through the template at `templateFile` and sets each row's
// achieved share beside the template's own.
//
// The builder draws a row's sizes from the previous threshold up to but not including the
// row's own, while the census counts a file on the first row whose threshold is at least
// its size; so the census runs with every threshold lowered by one, which puts each file on
// the row it was drawn for. Fails as loading the template fails.
FitFigures fitTemplate(Context& context, const std::string& templateFile,
                       const std::string& target);

}  // namespace brimwell::measure
