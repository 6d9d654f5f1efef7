#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>
#include <vector>

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

TEST(ResetRound, SetsItsEightFieldsAndKeepsTheRest)
{
    GameState s{300, -7, true, 80, 2, 3, 2, -40, 33, 71, -3, 120, true, false, true, false};
    GameState expected = s;
    expected.jump = false, expected.alive = true, expected.scored = false;
    expected.paused = false, expected.obstacle_x = 660, expected.player_y = 449;
    expected.obstacle_t = 50, expected.play_again = true;
    reset_round(s);
    EXPECT_EQ(fields(s), fields(expected));
    reset_round(s);
    EXPECT_EQ(fields(s), fields(expected));
}

TEST(Jump, TrajectoriesBySpaceHeld)
{
    struct Case { int held_passes; int highest; int first_highest_pass; int landing_pass; };
    const Case cases[] = {{1, 363, 11, 24}, {5, 343, 0, 27}, {10, 325, 0, 30}, {1000, 312, 18, 36}};
    for (const Case &c : cases) {
        GameState s = standing();
        int highest = 447, first_highest = 0, pass = 0;
        do {
            ++pass;
            update_runner(s, pass <= c.held_passes);
            if (s.player_y < highest)
                highest = s.player_y, first_highest = pass;
            EXPECT_EQ(s.p_spin, s.jump ? std::min(16 * pass, 256) : 0) << "pass " << pass;
        } while (s.jump && pass < 100);
        EXPECT_EQ(highest, c.highest) << c.held_passes;
        EXPECT_EQ(pass, c.landing_pass) << c.held_passes;
        if (c.first_highest_pass) {
            EXPECT_EQ(first_highest, c.first_highest_pass) << c.held_passes;
        }
        update_runner(s, c.held_passes > pass);  // held through the landing: off again at once
        EXPECT_EQ(s.jump, c.held_passes > pass);
    }
}

TEST(Jump, OnePassOfSpaceFollowsTheExactPath)
{
    const std::vector<int> path = {433, 420, 409, 399, 390, 382, 376, 371, 367, 364, 363, 363,
                                   363, 365, 368, 372, 377, 384, 392, 401, 411, 423, 436, 447};
    GameState s = standing();
    for (size_t pass = 0; pass < path.size(); ++pass) {
        update_runner(s, pass == 0);
        EXPECT_EQ(s.player_y, path[pass]) << "pass " << pass + 1;
    }
    EXPECT_FALSE(s.jump);
}

TEST(Jump, TakeOffRightAfterResetStartsLowAndKeepsTheSpin)
{
    GameState s;
    s.p_spin = 80;
    reset_round(s);
    update_runner(s, true);
    EXPECT_EQ(s.player_y, 435);
    EXPECT_EQ(s.p_spin, 96);
}

TEST(Animation, FrameDelayByScore)
{
    const std::pair<int, int> score_delay[] = {{0, 12}, {4, 12}, {5, 11}, {54, 2}, {55, 1}, {60, 1}, {999, 1}};
    for (auto [score, delay] : score_delay) {
        GameState s;
        s.score = score;
        update_animation(s);
        EXPECT_EQ(s.frame_delay, delay) << score;
    }
}

TEST(Animation, FirstPoseChangeOnTwelfthPassAndFrameOneAfterLanding)
{
    GameState s = GameState{};
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
    const int conditions[][2] = {{1, -5}, {0, 20}};  // countdown left, or still in sight
    for (auto [t, x] : conditions) {
        GameState w;
        w.obstacle_t = t + 1, w.obstacle_x = x + 12;
        update_obstacle(w);
        EXPECT_EQ(w.obstacle_x, x);
    }
}

TEST(Obstacle, ReplacementUsesExactlyThreeDrawsInOrder)
{
    GameState s;
    s.score = 37, s.scored = true;
    std::srand(7);
    update_obstacle(s);
    const int fourth = std::rand();
    std::srand(7);
    const int t = std::rand(), h = std::rand(), w = std::rand();
    EXPECT_EQ(s.obstacle_t, t % 25 - 12 + 50);
    EXPECT_EQ(s.obstacle_h, h % 90 % 57);
    EXPECT_EQ(s.obstacle_w, (w % 35 + 15) % 27 + 15);
    EXPECT_EQ(std::rand(), fourth);
    EXPECT_FALSE(s.scored);
}

TEST(Obstacle, SizesStayInTheirRangesAsTheScoreRises)
{
    struct Row { int score, step, t_min, t_max, h_max, w_min, w_max; };
    const Row rows[] = {{0, 12, 50, 74, 49, 15, 34}, {100, 32, 17, 41, 69, 15, 54},
                        {150, 42, 0, 24, 79, 30, 64}, {200, 52, -16, 8, 89, 30, 64}};
    std::srand(1);
    for (const Row &r : rows) {
        int t_min = 999, t_max = -999, h_min = 999, h_max = -1, w_min = 999, w_max = -1;
        for (int i = 0; i < 5000; ++i) {
            GameState s;
            s.score = r.score, s.obstacle_x = 100;
            update_obstacle(s);
            ASSERT_EQ(s.obstacle_x, 100 - r.step);
            s.obstacle_x = 0;
            update_obstacle(s);
            t_min = std::min(t_min, s.obstacle_t), t_max = std::max(t_max, s.obstacle_t);
            h_min = std::min(h_min, s.obstacle_h), h_max = std::max(h_max, s.obstacle_h);
            w_min = std::min(w_min, s.obstacle_w), w_max = std::max(w_max, s.obstacle_w);
        }
        EXPECT_EQ(std::make_tuple(t_min, t_max, h_min, h_max, w_min, w_max),
                  std::make_tuple(r.t_min, r.t_max, 0, r.h_max, r.w_min, r.w_max))
            << "score " << r.score;
    }
}

TEST(PassAndHit, StrictBoundaries)
{
    struct Case { int x, w, h, y; bool scored; int points; bool alive; };
    const Case cases[] = {
        {34, 30, 20, 447, false, 0, true},   {35, 30, 20, 447, false, 0, false},
        {33, 30, 20, 447, false, 1, true},   {33, 30, 20, 447, true, 0, true},
        {94, 30, 20, 447, false, 0, true},   {93, 30, 20, 447, false, 0, false},
        {64, 30, 20, 410, false, 0, true},   {64, 30, 20, 411, false, 0, false},
        {64, 0, 0, 447, false, 0, true},     {63, 0, 0, 447, false, 1, true},
        {640, 15, 0, 447, false, 0, true},
    };
    for (const Case &c : cases) {
        GameState s;
        s.obstacle_x = c.x, s.obstacle_w = c.w, s.obstacle_h = c.h, s.player_y = c.y;
        s.scored = c.scored, s.score = 5, s.alive = true;
        check_pass_and_hit(s);
        EXPECT_EQ(s.score - 5, c.points) << "x " << c.x << " w " << c.w << " y " << c.y;
        EXPECT_EQ(s.alive, c.alive) << "x " << c.x << " w " << c.w << " y " << c.y;
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
    EXPECT_TRUE(s.alive);
    EXPECT_EQ(s.score, 106);
}

TEST(Soak, InvariantsHoldOverALongRandomRun)
{
    std::srand(12345);
    GameState s;
    reset_round(s);
    int last_score = 0, rounds = 0;
    for (int pass = 0; pass < 300000; ++pass) {
        apply_rules(s, std::rand() % 4 == 0);
        ASSERT_TRUE(s.p_spin >= 0 && s.p_spin <= 256) << pass;
        ASSERT_TRUE(s.frame >= 0 && s.frame <= 2) << pass;
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
