#include "app/CommandLine.h"

#include <QtGlobal>

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
    // Qt paints a glyph larger than 64 pixels as a path, every time it is drawn; the designer's
    // page at 400 % shows texts of 20 points at over 100 pixels, and repainted them ten times
    // slower than the rest of the page. Glyphs up to 256 pixels are kept as images instead. Qt
    // reads this once, at the first text it paints.
    if (!qEnvironmentVariableIsSet("QT_MAX_CACHED_GLYPH_SIZE"))
        qputenv("QT_MAX_CACHED_GLYPH_SIZE", "256");
    return ostrivo::runProgram(argc, argv);
}
