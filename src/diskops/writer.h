// The reproduction writer: creates every listed file with its folders and random bytes.
#pragma once

#include "app/context.h"
#include "app/outcome.h"

namespace brimwell::diskops {

// The "b) Reproduce to drive" handler.
Outcome reproduce(Context& context);

}  // namespace brimwell::diskops
