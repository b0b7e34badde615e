// The writer's random bytes for its floor: the tool's own fill from the seed writer_run
// uses, so the floor writes the same bytes the writer does at the same cost for them.
#include "floor_fill.h"

#include "app/random_bytes.h"

namespace {
brimwell::RandomSource random{20261207u};
}

extern "C" void floorFill(unsigned char* out, size_t count) {
  brimwell::fillRandomBytes(random, out, count);
}
