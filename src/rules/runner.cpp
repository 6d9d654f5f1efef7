#include "runner.h"

namespace {
const int TAKE_OFF_FORCE = 55;
const int RISING_BOOST = 2;
const int FALLING_BOOST = 1;
const int GRAVITY = 5;
const int QUARTERS_PER_PIXEL = 4;
const int SPIN_STEP = 16;
const int SPIN_LIMIT = 254;  // stops the spin at one full turn, 256
const int LANDING_BELOW = 446;

const int SLOWEST_FRAME_DELAY = 12;
const int RUN_POSES = 2;
const int AIRBORNE_FRAME = 2;
}  // namespace

void update_runner(GameState &state, bool space_down)
{
    if (space_down && !state.jump) {
        state.jump = true;
        state.jumpforce = TAKE_OFF_FORCE;
    }
    if (space_down)
        state.jumpforce += state.jumpforce > 0 ? RISING_BOOST : FALLING_BOOST;
    if (state.jump) {
        state.player_y -= state.jumpforce / QUARTERS_PER_PIXEL;
        if (state.p_spin <= SPIN_LIMIT)
            state.p_spin += SPIN_STEP;
        state.jumpforce -= GRAVITY;
    }
    if (state.player_y > LANDING_BELOW) {
        state.jump = false;
        state.player_y = STANDING_Y;
        state.p_spin = 0;
    }
}

void update_animation(GameState &state)
{
    state.frame_delay = SLOWEST_FRAME_DELAY - state.score / SCORE_PER_SPEED_STEP;
    if (state.frame_delay <= 0)
        state.frame_delay = 1;
    state.next_frame += 1;
    if (state.next_frame >= state.frame_delay) {
        state.frame = (state.frame + 1) % RUN_POSES;
        state.next_frame = 0;
    }
    if (state.jump)
        state.frame = AIRBORNE_FRAME;
}
