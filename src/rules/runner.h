#pragma once
#include "game_state.h"

// Jump, boost while Space is held, flight with one somersault, landing.
void update_runner(GameState &state, bool space_down);
// Two-pose run cycle that quickens with the score; airborne pose in the air.
void update_animation(GameState &state);
