#include "platform/failure.h"

namespace brimwell {

std::string Failure::explained() const {
  if (!systemError_) return message_;
  return message_ + ": " + systemErrorText(*systemError_);
}

}  // namespace brimwell
