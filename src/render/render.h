#pragma once
#include <allegro.h>

#include "game_state.h"

const int RUNNER_FRAMES = 3;
const int WINDOW_W = 640;
const int WINDOW_H = 480;

extern BITMAP *player[RUNNER_FRAMES];  // two running poses, then the airborne pose
extern BITMAP *buffer;                 // the back buffer every frame is composed in

// Cuts the runner's frames out of the sheet in the working folder. Returns
// nullptr, or a one-line explanation of what is wrong and what to do.
const char *load_runner_frames();
void release_runner_frames();

bool create_back_buffer();
void destroy_back_buffer();

// Paints the whole scene into target; the drawing never changes the state.
void compose_frame(BITMAP *target, const GameState &state);
void draw_frame(const GameState &state);
