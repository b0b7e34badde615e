// A measurement shown three ways: a readable table, JSON with stable names, and an SVG
// picture of two bar charts (template against achieved share per row; free extents by size).
#pragma once

#include <string>

#include "measure/measurement.h"

namespace brimwell::cli {

std::string measurementTable(const measure::Measurement& measurement);
std::string measurementJson(const measure::Measurement& measurement);
std::string measurementSvg(const measure::Measurement& measurement);

// "1234567 bytes (1.2 MiB)": the exact count, and its size at a glance.
std::string bytesWithUnit(std::uint64_t bytes);

}  // namespace brimwell::cli
