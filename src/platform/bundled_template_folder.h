// Where the size templates that come with the program are.
//
// An installed program finds them in share/brimwell/templates beside its bin/ folder
// (wherever the package or `cmake --install` put it), or in templates\ beside the
// executable as the Windows package has them; a program run from its build
// folder finds the source tree's templates/ folder instead. A copy elsewhere has none.
#pragma once

#include <string>

namespace brimwell {

// The native path of the folder of the bundled templates; empty when this program has none.
std::string bundledTemplateFolder();

}  // namespace brimwell
