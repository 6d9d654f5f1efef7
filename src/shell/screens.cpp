#include "screens.h"

#include <allegro.h>

namespace {
const int TEXT_CENTRE = 320;
const int TRANSPARENT = -1;
const int PAUSE_HALF_WAIT_MS = 150;

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
    // Polling with no sleep is deliberate (docs/design.md).
    while (!key[KEY_ENTER] && !key[KEY_ESC]) {
    }
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
    // Enter is tested before Esc, so both together start a round and still quit.
    // Polling with no sleep is deliberate (docs/design.md).
    while (!state.alive) {
        draw_line(240, "Game Over");
        draw_line(255, "Press Esc to Quit");
        draw_line(270, "Press Enter to play again");
        if (key[KEY_ENTER])
            reset_round(state);
        if (key[KEY_ESC]) {
            state.play_again = false;
            state.alive = true;
        }
    }
}
