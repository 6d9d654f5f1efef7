// Prints a hash of each frame the game composes in a round played with Space
// held from the start, as the Linux window shows them, up to the pass that
// draws the first random obstacle: the web benchmark checks the browser's
// frames against these. Run beside the build's copy of the sheet.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "render.h"
#include "rules.h"

namespace {
const int REPLACED_AT = 640;  // where a new obstacle, drawn from rand(), starts
const unsigned FNV_START = 2166136261u;
const unsigned FNV_PRIME = 16777619u;

// FNV-1a over the red, green and blue bytes of each pixel, row by row.
unsigned hash_frame(BITMAP *frame)
{
    unsigned hash = FNV_START;
    for (int y = 0; y < frame->h; ++y)
        for (int x = 0; x < frame->w; ++x) {
            const int pixel = getpixel(frame, x, y);
            for (int byte : {getr32(pixel), getg32(pixel), getb32(pixel)})
                hash = (hash ^ byte) * FNV_PRIME;
        }
    return hash;
}
}  // namespace

int main()
{
    install_allegro(SYSTEM_NONE, &errno, atexit);
    set_color_depth(32);
    set_color_conversion(COLORCONV_TOTAL);
    if (const char *why = load_runner_frames()) {
        std::fprintf(stderr, "%s\n", why);
        return EXIT_FAILURE;
    }
    BITMAP *frame = create_bitmap(WINDOW_W, WINDOW_H);
    GameState state;
    reset_round(state);
    for (apply_rules(state, true); state.obstacle_x != REPLACED_AT; apply_rules(state, true)) {
        compose_frame(frame, state);
        std::printf("%08x\n", hash_frame(frame));
    }
    destroy_bitmap(frame);
    release_runner_frames();
    return EXIT_SUCCESS;
}
