#pragma once
#include "game_state.h"

// Moves the obstacle left and, once it is off the left edge and its countdown
// has run out, replaces it at the right edge with sizes drawn from rand().
void update_obstacle(GameState &state);
// Scores an obstacle once its right edge is past the runner; ends the round
// when the runner's reference point lies inside it.
void check_pass_and_hit(GameState &state);
