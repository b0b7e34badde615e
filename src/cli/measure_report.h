// A measurement shown as a readable table (the JSON is measure/measurement_json.h, the
// picture measure/measure_picture.h).
#pragma once

#include <string>

#include "measure/measurement.h"

namespace brimwell::cli {

std::string measurementTable(const measure::Measurement& measurement);

}  // namespace brimwell::cli
