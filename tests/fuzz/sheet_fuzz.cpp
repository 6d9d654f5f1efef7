// Each input is the sheet, loaded as the game loads it: the check, then the
// library's reader into a 32-bit bitmap, then the three frames cut out. The
// library is built instrumented, so that the reader's first write outside
// its bitmap stops the run where it happens.
#include <cstdint>
#include <cstdio>
#include <fstream>

#include "render.h"

// Every row the reader takes (scripts/fuzz.sh points bmp.c here), proven
// inside the bitmap: one a little above the first lies in the bitmap's own record.
extern "C" unsigned char *checked_row(BITMAP *bmp, int line)
{
    if (line < 0 || line >= bmp->h) {
        std::fprintf(stderr, "bmp.c takes row %d of a bitmap of rows 0 to %d\n", line, bmp->h - 1);
        __builtin_trap();
    }
    return bmp->line[line];
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool ready = install_allegro(SYSTEM_NONE, &errno, atexit) == 0 && (set_color_depth(32), true);
    if (!ready || !std::ofstream("quorvelin.bmp", std::ios::binary).write((const char *)data, size).flush())
        __builtin_trap();
    load_runner_frames();
    release_runner_frames();
    return 0;
}
