#include "app/read_limit.h"

#include "app/size_text.h"

namespace brimwell {

std::string tooLargeToReadText(std::uint64_t size) {
  return "it is " + bytesWithUnit(size) + ", more than the " + exactSize(kReadWholeLimit) +
         " such a file may hold";
}

}  // namespace brimwell
