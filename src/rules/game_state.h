#pragma once

// Everything that changes while the game runs. One instance lives for the
// whole process; the rules write it, the screens set its flags, the drawing
// only reads it.
struct GameState {
    int player_y = 0;    // runner's reference row; 447 is standing, smaller is higher
    int jumpforce = 0;   // upward speed in quarter pixels per pass
    bool jump = false;
    int p_spin = 0;      // 256ths of a full turn, 0..256
    int frame = 0;       // 0 and 1 running, 2 airborne
    int frame_delay = 0;
    int next_frame = 0;
    int obstacle_x = 0;  // centre column; may run negative
    int obstacle_w = 0;  // half-width
    int obstacle_h = 0;  // height above the obstacle's 30-pixel base
    int obstacle_t = 0;  // countdown in passes; may run negative
    int score = 0;
    bool scored = false;
    bool alive = false;
    bool paused = false;
    bool play_again = false;
};

const int RUNNER_COLUMN = 64;       // the runner is tested as one point at this column
const int STANDING_Y = 447;
const int OBSTACLE_BASE_TOP = 430;  // an obstacle's top row is this minus its height
const int SCORE_PER_SPEED_STEP = 5; // obstacles and run cycle speed up together

// Starts a round. The score, the obstacle's size, the spin and the animation
// counters deliberately carry over from the round before (docs/design.md).
void reset_round(GameState &state);
