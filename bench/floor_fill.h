/* The random bytes of the writer's floor, callable from C: the next `count` bytes of the
 * tool's random source, seeded as writer_run seeds it. */
#pragma once

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif
void floorFill(unsigned char* out, size_t count);
#ifdef __cplusplus
}
#endif
