#include "screens.h"

#include <allegro.h>

namespace {
const int TEXT_CENTRE = 320;
const int TRANSPARENT = -1;
const int PAUSE_HALF_WAIT_MS = 150;
// A wait for a key rests this long between looks that find none: a core no
// longer runs flat out, and a 40 ms tap is still seen, also where Windows
// rounds a sleep up to its timer's 16 ms. A browser wakes a page at a cost
// of its own, and holds a tapped key down until the game has looked.
#ifdef ALLEGRO_WEB
const int KEY_WAIT_REST_MS = 100;
#else
const int KEY_WAIT_REST_MS = 10;
#endif

void draw_line(int row, const char *text)
{
    textout_centre_ex(screen, font, text, TEXT_CENTRE, row, makecol(255, 255, 255), TRANSPARENT);
}
}  // namespace

void title_screen()
{
    draw_line(220, "-Quorvelin-");
    draw_line(260, "Press Enter to Begin");
    draw_line(280, "Press Esc to Quit");
    // Either key starts; Esc then ends the game at the frame loop's first test.
    while (!key[KEY_ENTER] && !key[KEY_ESC])
        rest(KEY_WAIT_REST_MS);
}

void pause_screen(GameState &state)
{
    // Sleeping before the test keeps the Tab press that paused from unpausing.
    while (state.paused) {
        rest(PAUSE_HALF_WAIT_MS);
        draw_line(240, "Game Paused");
        draw_line(255, "Press Tab to Unpause");
        if (key[KEY_TAB])
            state.paused = false;
        rest(PAUSE_HALF_WAIT_MS);
    }
}

void game_over_screen(GameState &state)
{
    // Drawn once, as the title is: nothing draws over them while the screen
    // waits, and under Wine each drawing costs as much as a frame.
    if (!state.alive) {
        draw_line(240, "Game Over");
        draw_line(255, "Press Esc to Quit");
        draw_line(270, "Press Enter to play again");
    }
    // Enter is tested before Esc, so both together start a round and still quit.
    while (!state.alive) {
        if (key[KEY_ENTER])
            reset_round(state);
        if (key[KEY_ESC]) {
            state.play_again = false;
            state.alive = true;
        }
        if (!state.alive)
            rest(KEY_WAIT_REST_MS);
    }
}
