#include <cstdio>

#include "render.h"

BITMAP *buffer;

namespace {
const int GROUND_ROW = 460;
const int RUNNER_LEFT = 58;
const int RUNNER_TOP_ABOVE_REFERENCE = 12;
const int SCORE_X = 10;
const int SCORE_Y = 20;
const int TRANSPARENT = -1;
}  // namespace

bool create_back_buffer()
{
    buffer = create_bitmap(WINDOW_W, WINDOW_H);
    return buffer != nullptr;
}

void destroy_back_buffer()
{
    if (buffer)
        destroy_bitmap(buffer);
    buffer = nullptr;
}

void compose_frame(BITMAP *target, const GameState &state)
{
    const int black = makecol(0, 0, 0);
    const int green = makecol(0, 255, 0);
    const int white = makecol(255, 255, 255);
    const int left = state.obstacle_x - state.obstacle_w;
    const int right = state.obstacle_x + state.obstacle_w;

    rectfill(target, 0, 0, WINDOW_W, WINDOW_H, black);
    hline(target, 0, GROUND_ROW, WINDOW_W, green);
    rotate_sprite(target, player[state.frame], RUNNER_LEFT,
                  state.player_y - RUNNER_TOP_ABOVE_REFERENCE, itofix(state.p_spin));
    rect(target, left, OBSTACLE_BASE_TOP - state.obstacle_h, right, GROUND_ROW, green);
    // Taking out the bottom edge with the ground beneath makes an arch in a gap.
    hline(target, left, GROUND_ROW, right, black);
    // The library's own printf allocates on every call; formatting here keeps
    // a frame free of allocations and draws the same text.
    char score_text[32];
    std::snprintf(score_text, sizeof score_text, "score: %i", state.score);
    textout_ex(target, font, score_text, SCORE_X, SCORE_Y, white, TRANSPARENT);
}

void draw_frame(const GameState &state)
{
    compose_frame(buffer, state);
    blit(buffer, screen, 0, 0, 0, 0, WINDOW_W, WINDOW_H);
}
