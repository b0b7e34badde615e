#include "measure/measure_json.h"

#include <cctype>
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
