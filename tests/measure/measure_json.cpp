#include "measure/measure_json.h"

#include <stdexcept>

namespace brimwell::testing {
namespace {

std::size_t groupStart(const std::string& json, const std::string& group) {
  const std::size_t at = json.find("\"" + group + "\": {");
  if (at == std::string::npos) throw std::runtime_error("no group " + group + " in " + json);
  return at;
}

}  // namespace

double jsonNumber(const std::string& json, const std::string& group, const std::string& name) {
  const std::size_t start = groupStart(json, group);
  const std::size_t end = json.find("\n  \"", start + 1);
  const std::size_t at = json.find("\"" + name + "\": ", start);
  if (at == std::string::npos || at > end) {
    throw std::runtime_error("no " + group + "." + name + " in " + json);
  }
  return std::stod(json.substr(at + name.size() + 4));
}

bool jsonKnown(const std::string& json, const std::string& group) {
  const std::size_t start = groupStart(json, group);
  const std::size_t end = json.find("\n  \"", start + 1);
  const std::size_t known = json.find("\"known\": true", start);
  return known != std::string::npos && known < end;
}

}  // namespace brimwell::testing
