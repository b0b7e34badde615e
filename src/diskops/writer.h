// The reproduction writer: creates every listed file with its folders and random bytes.
#pragma once

#include <functional>

#include "app/context.h"
#include "app/outcome.h"

namespace brimwell::diskops {

// The "b) Reproduce to drive" handler. It asks the feedback whether to carry on after
// each file; when told to stop, it ends there with the status "Stopped.".
Outcome reproduce(Context& context);

// A reproduction around `writeFiles`, which writes the list's files and reports its progress:
// the question about the list's total first (Declined when refused), "Reproducing folder
// structure..." while it runs, and progress 0 and "Done." once it wrote everything; any
// other outcome of `writeFiles` is returned as it left the feedback.
Outcome reproduceConfirmed(Context& context, const std::function<Outcome()>& writeFiles);

// Ends an operation that the user stopped between two files: progress 0, status
// "Stopped.", pump.
Outcome stoppedByUser(Feedback& feedback);

}  // namespace brimwell::diskops
