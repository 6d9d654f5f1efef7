#include <allegro.h>
#ifdef ALLEGRO_WINDOWS
#include <winalleg.h>
#endif
#ifdef ALLEGRO_UNIX
#include "sudden_end.h"
#endif

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "render.h"
#include "rules.h"
#include "screens.h"

namespace {
const int COLOUR_DEPTH = 32;
const int FRAME_REST_MS = 20;

GameState game;

bool fail(const char *what, const char *detail = "")
{
    std::fprintf(stderr, "quorvelin: %s%s\n", what, detail);
#ifdef ALLEGRO_WINDOWS
    // A game started from Explorer has no stderr for the line to reach.
    const HANDLE error_output = GetStdHandle(STD_ERROR_HANDLE);
    if (!error_output || error_output == INVALID_HANDLE_VALUE)
        allegro_message("quorvelin: %s%s\n", what, detail);
#endif
    return false;
}

// Any failure leaves what was acquired for shut_down to release.
bool start_up()
{
    // Without a display the library refuses to start, and its keyboard would crash.
    if (allegro_init() != 0)
        return fail("no display to open the window on; run the game in a graphical "
                    "session, with DISPLAY naming its X server");
#ifdef ALLEGRO_UNIX
    end_at_once_when_cut_off();
#endif
    install_keyboard();
    install_timer();
    set_color_depth(COLOUR_DEPTH);
    if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, WINDOW_W, WINDOW_H, 0, 0) != 0)
        return fail("cannot open the 640x480 window at 32-bit colour: ", allegro_error);
    if (const char *why = load_runner_frames())
        return fail(why);
    if (!create_back_buffer())
        return fail("out of memory for the 640x480 back buffer");
    reset_round(game);
    std::srand(std::time(nullptr));
    return true;
}

void run_frame_loop()
{
    while (game.play_again) {
        if (key[KEY_ESC])
            game.play_again = false;
        apply_rules(game, key[KEY_SPACE]);
        if (key[KEY_TAB])
            game.paused = true;
        pause_screen(game);
        game_over_screen(game);
        draw_frame(game);
        rest(FRAME_REST_MS);
    }
}

void shut_down()
{
    destroy_back_buffer();
    release_runner_frames();
}
}  // namespace

int main()
{
    if (!start_up()) {
        shut_down();
        return EXIT_FAILURE;
    }
    title_screen();
    run_frame_loop();
    shut_down();
    return EXIT_SUCCESS;
}
END_OF_MAIN()
