/* The floor the census is measured against: lists every folder of a tree and asks the size
 * of every file (fstatat beside the listing, no link followed), on two threads sharing one
 * stack of folders to list, with nothing kept in order and nothing counted into rows.
 *
 *   walk_floor TREE      prints the files, folders and bytes found
 */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

enum { kThreads = 2 };

static pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t more = PTHREAD_COND_INITIALIZER;
static char** stack;
static size_t stacked, room;
static int busy;
static long long files, folders, bytes;

static void push(char* path) {
  if (stacked == room) {
    room = room ? room * 2 : 1024;
    stack = realloc(stack, room * sizeof *stack);
    if (stack == NULL) abort();
  }
  stack[stacked++] = path;
}

/* Lists one folder: sizes its files, stacks its subfolders. */
static void list(const char* path) {
  const int fd = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  static __thread char buffer[32768];
  long long myFiles = 0, myFolders = 0, myBytes = 0;
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
  if (argc != 2) {
    fprintf(stderr, "usage: walk_floor TREE\n");
    return 2;
  }
  push(strdup(argv[1]));
  pthread_t threads[kThreads];
  for (int i = 0; i < kThreads; ++i) pthread_create(&threads[i], NULL, work, NULL);
  for (int i = 0; i < kThreads; ++i) pthread_join(threads[i], NULL);
  printf("%lld files, %lld folders, %lld bytes\n", files, folders, bytes);
  return 0;
}
