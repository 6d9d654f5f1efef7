#include <gtest/gtest.h>

#include <cstdlib>

#include "render.h"
#include "rules.h"

// Every heap allocation of the process, the library's included, goes through
// these; a pass of play must make none.
extern "C" {
void *__libc_malloc(size_t);
void *__libc_calloc(size_t, size_t);
void *__libc_realloc(void *, size_t);
static long allocations;
void *malloc(size_t n) { ++allocations; return __libc_malloc(n); }
void *calloc(size_t n, size_t size) { ++allocations; return __libc_calloc(n, size); }
void *realloc(void *p, size_t n) { ++allocations; return __libc_realloc(p, n); }
}

TEST(Allocation, PassesOfRulesAndComposingAllocateNothing)
{
    install_allegro(SYSTEM_NONE, &errno, atexit);
    set_color_depth(32);
    ASSERT_EQ(load_runner_frames(), nullptr);
    BITMAP *target = create_bitmap(WINDOW_W, WINDOW_H);
    GameState s;
    reset_round(s);
    std::srand(3);
    const long before = allocations;
    for (int pass = 0; pass < 20000; ++pass) {
        apply_rules(s, pass % 40 < 10);
        if (!s.alive)
            reset_round(s);
        compose_frame(target, s);
    }
    EXPECT_EQ(allocations - before, 0);
    EXPECT_GT(s.score, 0);
}
