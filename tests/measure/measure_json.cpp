#include "measure/measure_json.h"

#include <cctype>
#include <stdexcept>

#include "nlohmann/json.hpp"

namespace brimwell::testing {
namespace {

const nlohmann::json& group(const nlohmann::json& json, const std::string& name) {
  if (!json.contains(name)) throw std::runtime_error("no group " + name + " in " + json.dump());
  return json[name];
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

}  // namespace brimwell::testing
