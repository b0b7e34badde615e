/* The floor the writer is measured against: creates the files of a list file ("relative
 * path TAB size" lines) under ROOT with the same 2048-byte writes of the same random bytes
 * (the tool's own fill, the cheapest there is for them), and the fewest folder calls (a
 * folder is made only when the path changes folder, and only its missing parents are made).
 * With --zeros it writes a zero block instead: the system calls alone.
 *
 *   writer_baseline LIST ROOT [--fresh] [--zeros]
 */
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "floor_fill.h"

static _Alignas(2048) unsigned char block[2048];

/* Makes `path` (without a trailing slash), its missing parents first. */
static int makeFolder(char* path) {
  if (mkdir(path, 0777) == 0 || errno == EEXIST) return 0;
  if (errno != ENOENT) return -1;
  char* slash = strrchr(path, '/');
  if (slash == NULL || slash == path) return -1;
  *slash = '\0';
  const int parent = makeFolder(path);
  *slash = '/';
  if (parent != 0) return -1;
  return mkdir(path, 0777) == 0 || errno == EEXIST ? 0 : -1;
}

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: writer_baseline LIST ROOT [--fresh] [--zeros]\n");
    return 2;
  }
  int fresh = 0;
  int zeros = 0;
  for (int i = 3; i < argc; ++i) {
    fresh |= strcmp(argv[i], "--fresh") == 0;
    zeros |= strcmp(argv[i], "--zeros") == 0;
  }
  char root[4096];
  snprintf(root, sizeof root, "%s", argv[2]);
  if (fresh) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    snprintf(root, sizeof root, "%s/run-%ld-%ld%09ld", argv[2], (long)getpid(), (long)now.tv_sec,
             (long)now.tv_nsec);
  }
  FILE* list = fopen(argv[1], "r");
  if (list == NULL) {
    perror(argv[1]);
    return 1;
  }
  char line[8192];
  char path[8192 + 4096];
  char folder[sizeof path];
  char lastFolder[sizeof path] = "";
  while (fgets(line, sizeof line, list) != NULL) {
    char* tab = strchr(line, '\t');
    if (tab == NULL) continue;
    *tab = '\0';
    const long long size = atoll(tab + 1);
    snprintf(path, sizeof path, "%s/%s", root, line);
    snprintf(folder, sizeof folder, "%s", path);
    *strrchr(folder, '/') = '\0';
    if (strcmp(folder, lastFolder) != 0) {
      if (makeFolder(folder) != 0) {
        perror(folder);
        return 1;
      }
      memcpy(lastFolder, folder, strlen(folder) + 1);
    }
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
      perror(path);
      return 1;
    }
    long long written = 0;
    do {
      const size_t chunk = size - written < 2048 ? (size_t)(size - written) : 2048;
      if (!zeros) floorFill(block, sizeof block);
      const ssize_t count = write(fd, block, chunk);
      if (count < 0) {
        perror(path);
        return 1;
      }
      written += count;
      if ((size_t)count < chunk) break;
    } while (written < size);
    close(fd);
  }
  fclose(list);
  return 0;
}
