#include "app/CommandLine.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main(int argc, char** argv)
{
#if defined(__GLIBC__)
    // Each PDF page's content is built in a buffer of about a hundred kilobytes, compressed and
    // freed. With glibc's defaults such a buffer is mapped and unmapped, or the heap's top given
    // back to the system, page after page and faulted in again: a third of a long report's time.
    // Freed memory is kept for the next page instead. It holds for the whole process, so it is
    // set here, before anything allocates.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
#endif
    return ostrivo::runProgram(argc, argv);
}
