#pragma once
#include "game_state.h"

// Each screen writes its lines straight onto the window, over the last frame.
void title_screen();
void pause_screen(GameState &state);
void game_over_screen(GameState &state);
