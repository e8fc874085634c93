/* The "copy limit" for unpacking: copies each named file into a folder under
 * its own name, with nothing but open, read, write and close, so that the
 * time it takes is roughly the least that writing those files can cost.
 *
 *   copy_files [--cfr] DEST_DIR FILE...
 *
 * --cfr copies with copy_file_range instead of read and write, to compare the
 * two ways on the file system at hand. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

enum { kBuffer = 1 << 20 };

static const char* base_name(const char* path) {
  const char* slash = strrchr(path, '/');
  return slash ? slash + 1 : path;
}

static int write_all(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return -1;
    data += n;
    size -= (size_t)n;
  }
  return 0;
}

static int copy_read_write(int in, int out, char* buffer) {
  for (;;) {
    ssize_t n = read(in, buffer, kBuffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) return 0;
    if (write_all(out, buffer, (size_t)n) != 0) return -1;
  }
}

static int copy_kernel(int in, int out) {
  for (;;) {
    ssize_t n = copy_file_range(in, NULL, out, NULL, 8 << 20, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) return 0;
  }
}

int main(int argc, char** argv) {
  int first = 1;
  int use_cfr = 0;
  if (argc > 1 && strcmp(argv[1], "--cfr") == 0) {
    use_cfr = 1;
    first = 2;
  }
  if (argc - first < 1) {
    fprintf(stderr, "usage: copy_files [--cfr] DEST_DIR FILE...\n");
    return 2;
  }
  int dest = open(argv[first], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dest < 0) {
    perror(argv[first]);
    return 1;
  }
  char* buffer = malloc(kBuffer);
  if (!buffer) return 1;
  for (int i = first + 1; i < argc; ++i) {
    int in = open(argv[i], O_RDONLY | O_CLOEXEC);
    if (in < 0) {
      perror(argv[i]);
      return 1;
    }
    int out = openat(dest, base_name(argv[i]), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out < 0) {
      perror(base_name(argv[i]));
      return 1;
    }
    if ((use_cfr ? copy_kernel(in, out) : copy_read_write(in, out, buffer)) != 0) {
      perror(argv[i]);
      return 1;
    }
    close(in);
    if (close(out) != 0) {
      perror(base_name(argv[i]));
      return 1;
    }
  }
  free(buffer);
  close(dest);
  return 0;
}
