/* The floor the census is measured against: lists every folder of a tree and asks the size
 * of every file (fstatat beside the listing, no link followed), on two threads sharing one
 * stack of folders to list, with nothing kept in order and nothing counted into rows.
 *
 * The floor a measure is measured against adds what it reads besides: with --extents, each
 * file the listing shows to be a regular file is opened beside the listing, its stat asked of
 * the open file and, where it owns blocks, its extents read (FIEMAP into a buffer on the
 * stack, every extent's place): the least system calls a file, its open, stat, map and close.
 * With --free-space, the volume is first settled (syncfs) and its free-space map read
 * (GETFSMAP, in one call where it fits 8192 records) on a third thread beside the walk.
 *
 *   walk_floor [--extents] [--free-space] TREE   prints the files, folders, bytes (extents,
 *                                                free extents) found
 */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <linux/fsmap.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

enum { kThreads = 2, kMapBatch = 64, kFreeBatch = 8192 };

static int withExtents, withFreeSpace;

static pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t more = PTHREAD_COND_INITIALIZER;
static char** stack;
static size_t stacked, room;
static int busy;
static long long files, folders, bytes, extents;

static void push(char* path) {
  if (stacked == room) {
    room = room ? room * 2 : 1024;
    stack = realloc(stack, room * sizeof *stack);
    if (stack == NULL) abort();
  }
  stack[stacked++] = path;
}

/* The extents of the open file `file`, all of them. */
static long long mapFile(int file) {
  union {
    struct fiemap map;
    char bytes[sizeof(struct fiemap) + kMapBatch * sizeof(struct fiemap_extent)];
  } buffer;
  long long found = 0;
  for (unsigned long long start = 0;;) {
    memset(&buffer.map, 0, sizeof buffer.map);
    buffer.map.fm_start = start;
    buffer.map.fm_length = FIEMAP_MAX_OFFSET - start;
    buffer.map.fm_extent_count = kMapBatch;
    if (ioctl(file, FS_IOC_FIEMAP, &buffer.map) != 0 || buffer.map.fm_mapped_extents == 0) break;
    const struct fiemap_extent* last = &buffer.map.fm_extents[buffer.map.fm_mapped_extents - 1];
    found += buffer.map.fm_mapped_extents;
    if ((last->fe_flags & FIEMAP_EXTENT_LAST) != 0 || last->fe_logical + last->fe_length <= start)
      break;
    start = last->fe_logical + last->fe_length;
  }
  return found;
}

/* The free extents of the volume holding `path`, or -1 where they cannot be read. */
static void* readFreeSpace(void* path) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  struct fsmap_head* head = calloc(1, fsmap_sizeof(kFreeBatch));
  long long* found = calloc(1, sizeof *found);
  if (fd < 0 || head == NULL || found == NULL) abort();
  head->fmh_keys[1].fmr_device = ~0U;
  head->fmh_keys[1].fmr_flags = ~0U;
  head->fmh_keys[1].fmr_physical = ~0ULL;
  head->fmh_keys[1].fmr_owner = ~0ULL;
  head->fmh_keys[1].fmr_offset = ~0ULL;
  for (;;) {
    head->fmh_count = kFreeBatch;
    if (ioctl(fd, FS_IOC_GETFSMAP, head) != 0) {
      *found = -1;
      break;
    }
    for (unsigned i = 0; i < head->fmh_entries; ++i) {
      if (head->fmh_recs[i].fmr_owner == FMR_OWN_FREE) ++*found;
    }
    if (head->fmh_entries == 0 || (head->fmh_recs[head->fmh_entries - 1].fmr_flags & FMR_OF_LAST))
      break;
    fsmap_advance(head);
  }
  free(head);
  close(fd);
  return found;
}

/* Lists one folder: sizes its files, stacks its subfolders. */
static void list(const char* path) {
  const int fd = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  static __thread char buffer[32768];
  long long myFiles = 0, myFolders = 0, myBytes = 0, myExtents = 0;
  char* found[256];
  int nfound = 0;
  for (;;) {
    const ssize_t got = getdents64(fd, buffer, sizeof buffer);
    if (got <= 0) break;
    for (ssize_t offset = 0; offset < got;) {
      const struct dirent64* entry = (const struct dirent64*)(buffer + offset);
      offset += entry->d_reclen;
      const char* name = entry->d_name;
      if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
      unsigned char type = entry->d_type;
      struct stat st;
      if (type == DT_UNKNOWN) {
        if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        type = S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
      }
      if (type == DT_DIR) {
        ++myFolders;
        const size_t length = strlen(path) + strlen(name) + 2;
        char* sub = malloc(length);
        snprintf(sub, length, "%s/%s", path, name);
        found[nfound++] = sub;
        if (nfound == 256) {
          pthread_mutex_lock(&mutex);
          for (int i = 0; i < nfound; ++i) push(found[i]);
          pthread_mutex_unlock(&mutex);
          pthread_cond_broadcast(&more);
          nfound = 0;
        }
      } else if (withExtents && type == DT_REG) {
        const int file =
            openat(fd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | O_NOATIME);
        if (file < 0) continue;
        if (fstat(file, &st) == 0) {
          ++myFiles;
          myBytes += st.st_size;
          if (S_ISREG(st.st_mode) && st.st_blocks > 0) myExtents += mapFile(file);
        }
        close(file);
      } else if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        ++myFiles;
        myBytes += st.st_size;
      }
    }
  }
  close(fd);
  pthread_mutex_lock(&mutex);
  for (int i = 0; i < nfound; ++i) push(found[i]);
  files += myFiles;
  folders += myFolders;
  bytes += myBytes;
  extents += myExtents;
  pthread_mutex_unlock(&mutex);
  if (nfound > 0) pthread_cond_broadcast(&more);
}

static void* work(void* unused) {
  (void)unused;
  pthread_mutex_lock(&mutex);
  for (;;) {
    while (stacked == 0 && busy > 0) pthread_cond_wait(&more, &mutex);
    if (stacked == 0) break;
    char* path = stack[--stacked];
    ++busy;
    pthread_mutex_unlock(&mutex);
    list(path);
    free(path);
    pthread_mutex_lock(&mutex);
    if (--busy == 0 && stacked == 0) pthread_cond_broadcast(&more);
  }
  pthread_mutex_unlock(&mutex);
  return NULL;
}

int main(int argc, char** argv) {
  for (int i = 1; i < argc - 1; ++i) {
    withExtents |= strcmp(argv[i], "--extents") == 0;
    withFreeSpace |= strcmp(argv[i], "--free-space") == 0;
  }
  if (argc < 2 || argc != 2 + withExtents + withFreeSpace) {
    fprintf(stderr, "usage: walk_floor [--extents] [--free-space] TREE\n");
    return 2;
  }
  pthread_t freeSpace;
  if (withFreeSpace) {
    const int tree = open(argv[argc - 1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (tree < 0 || syncfs(tree) != 0) abort();
    close(tree);
    pthread_create(&freeSpace, NULL, readFreeSpace, argv[argc - 1]);
  }
  push(strdup(argv[argc - 1]));
  pthread_t threads[kThreads];
  for (int i = 0; i < kThreads; ++i) pthread_create(&threads[i], NULL, work, NULL);
  for (int i = 0; i < kThreads; ++i) pthread_join(threads[i], NULL);
  printf("%lld files, %lld folders, %lld bytes", files, folders, bytes);
  if (withExtents) printf(", %lld extents", extents);
  if (withFreeSpace) {
    void* found;
    pthread_join(freeSpace, &found);
    printf(", %lld free extents", *(long long*)found);
    free(found);
  }
  printf("\n");
  return 0;
}
