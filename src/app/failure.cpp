#include "app/failure.h"

#include <cctype>

namespace brimwell {

void throwInvalidInteger(std::string_view text) {
  throw Failure("'" + std::string(text) + "' is not a valid integer value");
}

void throwListIndexOutOfBounds(long long index) {
  throw Failure("List index out of bounds (" + std::to_string(index) + ")");
}

void throwUnableToCreateDirectory() { throw Failure("Unable to create directory"); }

std::string errorBoxText(std::string_view message) {
  std::string text(message);
  if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.')) {
    text += '.';
  }
  return text;
}

std::string applicationTitle(std::string_view executablePath) {
  const auto slash = executablePath.find_last_of("/\\");
  std::string_view name =
      slash == std::string_view::npos ? executablePath : executablePath.substr(slash + 1);
  name = name.substr(0, name.find('.'));
  std::string title(name);
  for (std::size_t i = 1; i < title.size(); ++i) {
    title[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(title[i])));
  }
  return title;
}

}  // namespace brimwell
