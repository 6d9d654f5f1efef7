#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>

#include "rules.h"

namespace {
auto fields(const GameState &s)
{
    return std::make_tuple(s.player_y, s.jumpforce, s.jump, s.p_spin, s.frame, s.frame_delay,
                           s.next_frame, s.obstacle_x, s.obstacle_w, s.obstacle_h,
                           s.obstacle_t, s.score, s.scored, s.alive, s.paused, s.play_again);
}

GameState standing()
{
    GameState s;
    reset_round(s);
    update_runner(s, false);
    return s;
}
}  // namespace

TEST(ResetRound, SetsItsEightFieldsOnlyAndTwiceIsOnce)
{
    GameState s{300, -7, true, 80, 2, 3, 2, -40, 33, 71, -3, 120, true, false, true, false};
    const GameState expected{449, -7, false, 80, 2, 3, 2, 660, 33, 71, 50, 120, false, true, false, true};
    reset_round(s);
    EXPECT_EQ(fields(s), fields(expected));
    reset_round(s);
    EXPECT_EQ(fields(s), fields(expected));
}

TEST(Jump, TrajectoriesBySpaceHeld)
{
    // Space held for the first n passes: highest row, the pass it is first
    // reached (0: not checked), the landing pass.
    const int cases[][4] = {{1, 363, 11, 24}, {5, 343, 0, 27}, {10, 325, 0, 30}, {999, 312, 18, 36}};
    for (auto [held, highest, first_highest, landing] : cases) {
        GameState s = standing();
        int top = 447, top_pass = 0, pass = 0;
        do {
            update_runner(s, ++pass <= held);
            if (s.player_y < top)
                top = s.player_y, top_pass = pass;
            ASSERT_EQ(s.p_spin, s.jump ? std::min(16 * pass, 256) : 0) << held << " pass " << pass;
        } while (s.jump && pass < 100);
        EXPECT_EQ(std::make_tuple(top, pass), std::make_tuple(highest, landing)) << held;
        EXPECT_TRUE(!first_highest || top_pass == first_highest) << held;
        update_runner(s, held > pass);  // held through the landing: off again at once
        EXPECT_EQ(s.jump, held > pass) << held;
    }
    GameState s = standing();
    for (int y : {433, 420, 409, 399, 390, 382, 376, 371, 367, 364, 363, 363, 363, 365, 368, 372,
                  377, 384, 392, 401, 411, 423, 436, 447}) {
        update_runner(s, y == 433);
        EXPECT_EQ(s.player_y, y);
    }
}

TEST(Jump, TakeOffRightAfterResetStartsLowAndKeepsTheSpin)
{
    GameState s;
    s.p_spin = 80;
    reset_round(s);
    update_runner(s, true);
    EXPECT_EQ(std::make_tuple(s.player_y, s.p_spin), std::make_tuple(435, 96));
}

TEST(Animation, DelayByScoreFirstStepAndAirbornePose)
{
    for (auto [score, delay] : {std::pair{0, 12}, {4, 12}, {5, 11}, {54, 2}, {55, 1}, {60, 1}, {999, 1}}) {
        GameState s;
        s.score = score;
        update_animation(s);
        EXPECT_EQ(s.frame_delay, delay) << score;
    }
    GameState s;
    for (int pass = 1; pass <= 12; ++pass) {
        update_animation(s);
        EXPECT_EQ(s.frame, pass < 12 ? 0 : 1) << pass;
    }
    s.jump = true;
    update_animation(s);
    EXPECT_EQ(s.frame, 2);
    s.jump = false;
    s.next_frame = s.frame_delay - 1;  // the landing pass itself steps the cycle
    update_animation(s);
    EXPECT_EQ(s.frame, 1);
}

TEST(Obstacle, FirstReplacementOnPass55AndOnlyWithBothConditions)
{
    GameState s;
    reset_round(s);
    for (int pass = 1; pass <= 55; ++pass) {
        update_obstacle(s);
        EXPECT_EQ(s.obstacle_x == 640, pass == 55) << pass;
    }
    for (auto [t, x] : {std::pair{1, -5}, {0, 20}}) {  // countdown left, or still in sight
        GameState w;
        w.obstacle_t = t + 1, w.obstacle_x = x + 12;
        update_obstacle(w);
        EXPECT_EQ(w.obstacle_x, x);
    }
}

TEST(Obstacle, ReplacementTakesThreeDrawsInOrder)
{
    GameState s;
    s.score = 37, s.scored = true;
    std::srand(7);
    update_obstacle(s);
    const int fourth = std::rand();
    std::srand(7);
    const int t = std::rand(), h = std::rand(), w = std::rand();
    EXPECT_EQ(std::make_tuple(s.obstacle_t, s.obstacle_h, s.obstacle_w, s.scored),
              std::make_tuple(t % 25 - 12 + 50, h % 90 % 57, (w % 35 + 15) % 27 + 15, false));
    EXPECT_EQ(std::rand(), fourth);
}

TEST(Obstacle, StepAndSizeRangesAsTheScoreRises)
{
    // score, step, countdown min and max, height max, half-width min and max
    const int rows[][7] = {{0, 12, 50, 74, 49, 15, 34}, {100, 32, 17, 41, 69, 15, 54},
                           {150, 42, 0, 24, 79, 30, 64}, {200, 52, -16, 8, 89, 30, 64}};
    std::srand(1);
    for (auto [score, step, t_min, t_max, h_max, w_min, w_max] : rows) {
        int lo[3] = {999, 999, 999}, hi[3] = {-999, -999, -999};
        for (int i = 0; i < 5000; ++i) {
            GameState s;
            s.score = score, s.obstacle_x = 100;
            update_obstacle(s);
            ASSERT_EQ(s.obstacle_x, 100 - step);
            s.obstacle_x = 0;
            update_obstacle(s);
            const int sizes[3] = {s.obstacle_t, s.obstacle_h, s.obstacle_w};
            for (int k = 0; k < 3; ++k)
                lo[k] = std::min(lo[k], sizes[k]), hi[k] = std::max(hi[k], sizes[k]);
        }
        EXPECT_EQ(std::make_tuple(lo[0], hi[0], lo[1], hi[1], lo[2], hi[2]),
                  std::make_tuple(t_min, t_max, 0, h_max, w_min, w_max)) << "score " << score;
    }
}

TEST(PassAndHit, StrictBoundaries)
{
    // obstacle x, half-width, height, runner row, already scored; points, still alive
    const int cases[][7] = {
        {34, 30, 20, 447, 0, 0, 1}, {35, 30, 20, 447, 0, 0, 0}, {33, 30, 20, 447, 0, 1, 1},
        {33, 30, 20, 447, 1, 0, 1}, {94, 30, 20, 447, 0, 0, 1}, {93, 30, 20, 447, 0, 0, 0},
        {64, 30, 20, 410, 0, 0, 1}, {64, 30, 20, 411, 0, 0, 0}, {64, 0, 0, 447, 0, 0, 1},
        {63, 0, 0, 447, 0, 1, 1},   {640, 15, 0, 447, 0, 0, 1},
    };
    for (auto [x, w, h, y, scored, points, alive] : cases) {
        GameState s;
        s.obstacle_x = x, s.obstacle_w = w, s.obstacle_h = h, s.player_y = y;
        s.scored = scored, s.score = 5, s.alive = true;
        check_pass_and_hit(s);
        EXPECT_EQ(std::make_tuple(s.score - 5, s.alive), std::make_tuple(points, bool(alive)))
            << "x " << x << " w " << w << " y " << y;
    }
}

TEST(PassAndHit, FastNarrowObstacleSkipsOverAStandingRunner)
{
    GameState s = standing();
    s.score = 105, s.obstacle_x = 640, s.obstacle_w = 15, s.obstacle_t = 100;
    for (int pass = 0; pass < 19; ++pass) {
        update_obstacle(s);
        check_pass_and_hit(s);
    }
    EXPECT_EQ(std::make_tuple(s.alive, s.score), std::make_tuple(true, 106));
}

TEST(Soak, InvariantsHoldOverALongRandomRun)
{
    std::srand(12345);
    GameState s;
    reset_round(s);
    int last_score = 0, rounds = 0;
    for (int pass = 0; pass < 300000; ++pass) {
        apply_rules(s, std::rand() % 4 == 0);
        ASSERT_TRUE(s.p_spin >= 0 && s.p_spin <= 256 && s.frame >= 0 && s.frame <= 2) << pass;
        ASSERT_TRUE(s.player_y >= 312 && s.player_y <= 449) << pass;
        ASSERT_TRUE(s.obstacle_h >= 0 && s.obstacle_h <= 89) << pass;
        ASSERT_TRUE(s.obstacle_w == 0 || (s.obstacle_w >= 15 && s.obstacle_w <= 64)) << pass;
        ASSERT_GE(s.score, last_score);
        last_score = s.score;
        if (!s.alive)
            reset_round(s), ++rounds;
    }
    EXPECT_GT(rounds, 10);
    EXPECT_GT(last_score, 100);
}
