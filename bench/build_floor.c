/* The floor a build is measured against: the same work in the least a program can do it.
 * FOLDERS folder paths are drawn (the target, one of five root names, up to eight levels of
 * eight random letters), each of FILES files a folder, a serial and a size; the entries are
 * put in order (folders by their text, files by serial within a folder: one sort of 64-bit
 * keys, no string compared per file) and their text is written in 1 MiB blocks to a new
 * file, synced and renamed over LIST, as the list is written.
 *
 *   build_floor FILES FOLDERS LIST      prints the entries and bytes written
 */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

enum { kRoots = 5, kLevelLetters = 8, kBlock = 1 << 20 };

static const char* const kRootNames[kRoots] = {"Documents and Settings emul", "My Downloads emul",
                                               "Program Files emul", "RECYCLED emul",
                                               "Windows emul"};
static const unsigned kRootLevels[kRoots] = {2, 3, 8, 1, 5}; /* the most levels below each */
static const char kTarget[] = "/mnt/scratch/";

static uint64_t state = 88172645463325252ULL;
static uint32_t draw(uint32_t below) { /* xorshift64 */
  state ^= state << 13;
  state ^= state >> 7;
  state ^= state << 17;
  return (uint32_t)((state >> 32) * below >> 32);
}

static char** paths;
static int byPath(const void* a, const void* b) {
  return strcmp(paths[*(const uint32_t*)a], paths[*(const uint32_t*)b]);
}
static int byKey(const void* a, const void* b) {
  const uint64_t x = *(const uint64_t*)a, y = *(const uint64_t*)b;
  return (x > y) - (x < y);
}

static char block[kBlock + 4096];
static size_t filled;
static int out;
static void flush(void) {
  for (size_t done = 0; done < filled;) {
    const ssize_t wrote = write(out, block + done, filled - done);
    if (wrote <= 0) {
      perror("write");
      exit(1);
    }
    done += (size_t)wrote;
  }
  filled = 0;
}

/* The decimal digits of `value` at `at`; returns the end. */
static char* digits(char* at, uint32_t value, int width) {
  char text[16];
  int length = 0;
  do {
    text[length++] = (char)('0' + value % 10);
    value /= 10;
  } while (value != 0 || length < width);
  while (length > 0) *at++ = text[--length];
  return at;
}

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: build_floor FILES FOLDERS LIST\n");
    return 2;
  }
  const uint32_t files = (uint32_t)strtoul(argv[1], NULL, 10);
  const uint32_t folders = (uint32_t)strtoul(argv[2], NULL, 10);
  if (folders == 0) return 2;
  paths = malloc(folders * sizeof *paths);
  uint32_t* rank = malloc(folders * sizeof *rank);
  uint32_t* order = malloc(folders * sizeof *order);
  uint64_t* keys = malloc((size_t)files * sizeof *keys);
  uint32_t* sizes = malloc((size_t)files * sizeof *sizes);
  if (!paths || !rank || !order || !keys || !sizes) return 1;
  for (uint32_t k = 0; k < folders; ++k) {
    char path[256];
    const unsigned root = draw(kRoots);
    int length = snprintf(path, sizeof path, "%s%s", kTarget, kRootNames[root]);
    const uint32_t levels = draw(kRootLevels[root] + 1);
    for (uint32_t level = 0; level < levels; ++level) {
      path[length++] = '/';
      for (int letter = 0; letter < kLevelLetters; ++letter)
        path[length++] = (char)('a' + draw(26));
    }
    path[length++] = '/';
    path[length] = 0;
    paths[k] = strdup(path);
    order[k] = k;
  }
  qsort(order, folders, sizeof *order, byPath);
  for (uint32_t k = 0; k < folders; ++k) rank[order[k]] = k;
  for (uint32_t i = 0; i < files; ++i) {
    keys[i] = (uint64_t)rank[draw(folders)] << 32 | i;
    sizes[i] = draw(65536);
  }
  qsort(keys, files, sizeof *keys, byKey);

  char temporary[4096];
  snprintf(temporary, sizeof temporary, "%s.floor-new", argv[3]);
  out = open(temporary, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0) {
    perror(temporary);
    return 1;
  }
  unsigned long long bytes = 0;
  filled = (size_t)snprintf(block, sizeof block, "# target: %s\n", kTarget);
  for (uint32_t i = 0; i < files; ++i) {
    const char* folder = paths[order[keys[i] >> 32]];
    const uint32_t serial = (uint32_t)keys[i] + 1;
    const size_t length = strlen(folder);
    char* at = block + filled;
    memcpy(at, folder, length);
    at += length;
    memcpy(at, "001-", 4);
    at = digits(at + 4, serial, 8);
    memcpy(at, ".DAT\t", 5);
    at = digits(at + 5, sizes[serial - 1], 1);
    *at++ = '\n';
    filled = (size_t)(at - block);
    if (filled >= kBlock) {
      bytes += filled;
      flush();
    }
  }
  bytes += filled;
  flush();
  if (fsync(out) != 0 || close(out) != 0 || rename(temporary, argv[3]) != 0) {
    perror(argv[3]);
    return 1;
  }
  printf("%u entries, %llu bytes\n", files, bytes);
  return 0;
}
