#include "support/measure_json.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "nlohmann/json.hpp"
#include "support/scratch_volume.h"

namespace brimwell::testing {
namespace {

// `name` may name a group inside a group: "file_fragmentation/files_by_extents".
const nlohmann::json& group(const nlohmann::json& json, const std::string& name) {
  const nlohmann::json::json_pointer pointer("/" + name);
  if (!json.contains(pointer)) throw std::runtime_error("no group " + name + " in " + json.dump());
  return json.at(pointer);
}

}  // namespace

double jsonNumber(const std::string& json, const std::string& groupName, const std::string& name) {
  const auto parsed = nlohmann::json::parse(json);
  const auto& figures = group(parsed, groupName);
  if (!figures.contains(name) || !figures[name].is_number()) {
    throw std::runtime_error("no " + groupName + "." + name + " in " + json);
  }
  return figures[name].get<double>();
}

bool jsonKnown(const std::string& json, const std::string& groupName) {
  return group(nlohmann::json::parse(json), groupName).value("known", false);
}

std::int64_t numberAfter(const std::string& text, const std::string& label, std::size_t& from) {
  const std::size_t at = text.find(label, from);
  if (at == std::string::npos) return -1;
  std::size_t end = at + label.size();
  std::int64_t number = -1;
  for (; end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])) != 0; ++end) {
    number = (number < 0 ? 0 : number * 10) + (text[end] - '0');
  }
  from = end;
  return number;
}

Filefrag filefragFigures(const std::string& folder) {
  // "PATH: N extents found" (a path may hold ": ").
  const std::string report = shellOutput("find '" + folder + "' -type f -exec filefrag {} +");
  std::int64_t joins = 0, contiguous = 0, small = 0, smallSplit = 0, large = 0, largeSplit = 0;
  for (std::size_t begin = 0, end = 0; begin < report.size(); begin = end + 1) {
    end = report.find('\n', begin);
    const std::string line = report.substr(begin, end - begin);
    const std::size_t colon = line.rfind(": ");
    const std::int64_t blocks =
        static_cast<std::int64_t>(std::filesystem::file_size(line.substr(0, colon)) + 4095) / 4096;
    const std::int64_t extents = std::atoll(line.c_str() + colon + 2);
    if (blocks >= 2) {
      joins += blocks - 1;
      contiguous += blocks - extents;
    }
    (blocks < 16 ? small : large) += blocks > 0;
    (blocks < 16 ? smallSplit : largeSplit) += extents > 1;
  }
  return {static_cast<double>(contiguous) / static_cast<double>(joins),
          static_cast<double>(smallSplit) / static_cast<double>(small),
          static_cast<double>(largeSplit) / static_cast<double>(large)};
}

}  // namespace brimwell::testing
