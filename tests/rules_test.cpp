#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>

#include "rules.h"

// A recorded game of random jumps, with a new round after each loss: every
// field after every pass, folded into one number. Any change to what a rule
// does, however small, changes it; a difference in the score or the rounds
// lost says more about where. The draws are the C library's, which starts
// as if seeded with 1.
TEST(Play, ReplaysARecordedGameExactly)
{
    GameState s;
    reset_round(s);
    uint64_t digest = 0;
    int rounds = 0;
    for (int pass = 0; pass < 200000; ++pass) {
        apply_rules(s, rand() % 3 == 0 || pass % 60 < 12);
        for (int field : {s.player_y, s.jumpforce, int(s.jump), s.p_spin, s.frame, s.frame_delay, s.next_frame,
                          s.obstacle_x, s.obstacle_w, s.obstacle_h, s.obstacle_t, s.score, int(s.scored), int(s.alive)})
            digest = digest * 1000003 + uint32_t(field);
        if (!s.alive)
            reset_round(s), ++rounds;
    }
    EXPECT_EQ(std::make_tuple(s.score, rounds, digest), std::make_tuple(215, 18818, uint64_t(9900146687146135169u)));
}
