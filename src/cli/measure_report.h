// A measurement shown as a readable table and as JSON with stable names (the picture is
// measure/measure_picture.h).
#pragma once

#include <string>

#include "measure/measurement.h"

namespace brimwell::cli {

std::string measurementTable(const measure::Measurement& measurement);
std::string measurementJson(const measure::Measurement& measurement);

}  // namespace brimwell::cli
