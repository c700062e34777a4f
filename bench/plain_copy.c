// The floor under any program that rewrites a file's bytes in user space:
// read and write the file in the pieces Brennix uses (256 KiB, every write
// starting on a page boundary, the output reserved to its size first, the
// buffer from a huge page where the system grants one), with nothing done
// to the bytes, no log and no rename.  The benchmark
// times it in the same rounds as cp and Brennix, so that the distance
// between cp and Brennix can be split into what the two copies through
// user space cost and what Brennix adds.
//
//   plain_copy INPUT OUTPUT
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

enum { piece = 256 * 1024 };

static int fail(const char *what, const char *name)
{
    fprintf(stderr, "plain_copy: %s %s: %s\n", what, name, strerror(errno));
    return 1;
}

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: plain_copy INPUT OUTPUT\n");
        return 2;
    }
    const int in = open(argv[1], O_RDONLY);
    struct stat size;
    if (in < 0 || fstat(in, &size) != 0)
        return fail("cannot read", argv[1]);
    const int out = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0)
        return fail("cannot write", argv[2]);
    (void)fallocate(out, FALLOC_FL_KEEP_SIZE, 0, size.st_size); // a refusal is no error
    // One huge page, as Brennix takes its pieces' memory (an aligned block
    // from the C library); small pages where the system refuses.
    enum { huge = 2 << 20 };
    unsigned char *const buffer = aligned_alloc(huge, huge);
    if (!buffer)
        return fail("cannot take memory for", argv[1]);
    (void)madvise(buffer, huge, MADV_HUGEPAGE);
    for (off_t done = 0; done < size.st_size;) {
        const ssize_t got = pread(in, buffer, piece, done);
        if (got <= 0)
            return fail("cannot read", argv[1]);
        if (write(out, buffer, (size_t)got) != got)
            return fail("cannot write", argv[2]);
        done += got;
    }
    if (close(out) != 0)
        return fail("cannot write", argv[2]);
    return 0;
}
