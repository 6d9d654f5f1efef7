#include "game_state.h"

namespace {
const int ROUND_START_Y = 449;  // two below standing: the first pass snaps it to 447
const int ROUND_START_OBSTACLE_X = 660;
const int ROUND_START_COUNTDOWN = 50;
}  // namespace

void reset_round(GameState &state)
{
    state.jump = false;
    state.alive = true;
    state.scored = false;
    state.paused = false;
    state.obstacle_x = ROUND_START_OBSTACLE_X;
    state.player_y = ROUND_START_Y;
    state.obstacle_t = ROUND_START_COUNTDOWN;
    state.play_again = true;
}
