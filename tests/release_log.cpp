#include <allegro.h>
#include <dlfcn.h>
#include <stdio.h>

// Preloaded into the game by the window tests: lists the bitmaps the game
// releases on file descriptor 3, which the tests open on the file "released"
// of its folder, so that they can check it releases each one, in order.
extern "C" void destroy_bitmap(BITMAP *bitmap)
{
    static auto release = (void (*)(BITMAP *))dlsym(RTLD_NEXT, "destroy_bitmap");
    if (bitmap)
        dprintf(3, "released %dx%d\n", bitmap->w, bitmap->h);
    release(bitmap);
}
