#include <allegro.h>
#include <dlfcn.h>

#include <cstdio>

// Preloaded into the game by the window tests: lists the bitmaps the game
// releases in the file "released" of its working folder, so that they can
// check it releases each one, in order.
extern "C" void destroy_bitmap(BITMAP *bitmap)
{
    static auto release = (void (*)(BITMAP *))dlsym(RTLD_NEXT, "destroy_bitmap");
    static std::FILE *log = std::fopen("released", "w");
    if (bitmap)
        std::fprintf(log, "released %dx%d\n", bitmap->w, bitmap->h), std::fflush(log);
    release(bitmap);
}
