// How an operation ended, when it did not fail with an exception.
#pragma once

namespace brimwell {

enum class Outcome {
  Done,      // ran to its end
  Declined,  // the user cancelled a dialog or declined the question; nothing changed
  Stopped,   // a notice stopped it before it began (empty list, missing template ...),
             // or the user stopped it between two files (the writer, the erase)
  Failed,    // it ended with its own error notice (the writer's write error)
};

}  // namespace brimwell
