// The file-set builder: turns the size template and the second page's parameters into
// the file list.
#pragma once

#include "app/context.h"
#include "app/outcome.h"

namespace brimwell::fileset {

// The "a) Build file system" handler.
Outcome build(Context& context);

}  // namespace brimwell::fileset
