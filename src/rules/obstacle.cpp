#include "obstacle.h"

#include <cstdlib>

namespace {
const int BASE_STEP = 12;
const int SCORE_PER_COUNTDOWN_CUT = 3;
const int ENTRY_COLUMN = 640;
const int COUNTDOWN_BASE = 50;
const int COUNTDOWN_SPREAD = 25;
const int HEIGHT_DRAW = 90;
const int HEIGHT_LIMIT_BASE = 50;
const int WIDTH_DRAW = 35;
const int WIDTH_LIMIT_BASE = 20;
const int MIN_HALF_WIDTH = 15;
}  // namespace

void update_obstacle(GameState &state)
{
    const int k = state.score / SCORE_PER_SPEED_STEP;
    state.obstacle_t -= 1;
    state.obstacle_x = state.obstacle_x - k - BASE_STEP;
    if (state.obstacle_t > 0 || state.obstacle_x > 0)
        return;
    // Three draws, always in this order, so a seeded run replays exactly.
    state.obstacle_x = ENTRY_COLUMN;
    state.obstacle_t = std::rand() % COUNTDOWN_SPREAD
                       - state.score / SCORE_PER_COUNTDOWN_CUT + COUNTDOWN_BASE;
    state.obstacle_h = std::rand() % HEIGHT_DRAW;
    state.obstacle_h %= k + HEIGHT_LIMIT_BASE;
    state.obstacle_w = std::rand() % WIDTH_DRAW + MIN_HALF_WIDTH;
    state.obstacle_w %= k + WIDTH_LIMIT_BASE;
    state.obstacle_w += MIN_HALF_WIDTH;
    state.scored = false;
}

// The runner is one point, tested only where the obstacle stands each pass:
// a fast, narrow obstacle can skip it. Deliberate (docs/design.md).
void check_pass_and_hit(GameState &state)
{
    if (state.obstacle_x < RUNNER_COLUMN - state.obstacle_w && !state.scored) {
        state.score += 1;
        state.scored = true;
    }
    if (state.player_y > OBSTACLE_BASE_TOP - state.obstacle_h
        && state.obstacle_x < state.obstacle_w + RUNNER_COLUMN
        && state.obstacle_x > RUNNER_COLUMN - state.obstacle_w)
        state.alive = false;
}
