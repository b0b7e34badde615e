// A measurement as JSON with stable names: what measure --json prints, and what run --like
// reads back as a drive's profile (aging/drive_profile.h).
#pragma once

#include <string>

#include "measure/measurement.h"

namespace brimwell::measure {

std::string measurementJson(const Measurement& measurement);

}  // namespace brimwell::measure
