// The reproduction writer: creates every listed file with its folders and random bytes.
#pragma once

#include "app/context.h"
#include "app/outcome.h"

namespace brimwell::diskops {

// The "b) Reproduce to drive" handler. It asks the feedback whether to carry on after
// each file; when told to stop, it ends there with the status "Stopped.".
Outcome reproduce(Context& context);

// Ends an operation that the user stopped between two files: progress 0, status
// "Stopped.", pump.
Outcome stoppedByUser(Feedback& feedback);

}  // namespace brimwell::diskops
