#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "render.h"
#include "rules.h"

// Every heap allocation, the library's included, goes through these, so that
// a pass of play and its frame can be shown to make none. Counted per thread:
// the library's X11 thread allocates as it polls the server.
extern "C" {
void *__libc_malloc(size_t);
void *__libc_calloc(size_t, size_t);
void *__libc_realloc(void *, size_t);
static thread_local long allocations;
void *malloc(size_t n) { ++allocations; return __libc_malloc(n); }
void *calloc(size_t n, size_t size) { ++allocations; return __libc_calloc(n, size); }
void *realloc(void *p, size_t n) { ++allocations; return __libc_realloc(p, n); }
}

namespace {
const int SPACE_PATTERN_LENGTH = 4096;

void bench_rules_pass(benchmark::State &run)
{
    // Space held about one pass in six, in bursts, like a player's jumps.
    std::srand(1);
    std::vector<bool> space(SPACE_PATTERN_LENGTH);
    for (int i = 0; i < SPACE_PATTERN_LENGTH; i += 8)
        for (int j = 0, held = std::rand() % 3 == 0; j < 8; ++j)
            space[i + j] = held && j < 4;
    GameState state;
    reset_round(state);
    size_t pass = 0;
    for (auto _ : run) {
        apply_rules(state, space[pass++ % SPACE_PATTERN_LENGTH]);
        if (!state.alive)
            reset_round(state);
        benchmark::DoNotOptimize(state);
    }
}

GameState frame_in_play()
{
    GameState state;
    reset_round(state);
    state.player_y = 380, state.p_spin = 80, state.frame = 2;
    state.obstacle_x = 300, state.obstacle_w = 30, state.obstacle_h = 45, state.score = 123;
    return state;
}

void bench_compose_frame(benchmark::State &run)
{
    const GameState state = frame_in_play();
    for (auto _ : run)
        compose_frame(buffer, state);
}

void bench_present_frame(benchmark::State &run)
{
    compose_frame(buffer, frame_in_play());
    for (auto _ : run)
        blit(buffer, screen, 0, 0, 0, 0, WINDOW_W, WINDOW_H);
}
}  // namespace

// Counts what the passes themselves allocate, not the benchmark around them.
// Rounds lost are restarted at once, so the passes cover every rule.
void bench_allocations(benchmark::State &run)
{
    GameState state;
    reset_round(state);
    long passes = 0, allocated = 0;
    for (auto _ : run) {
        const long before = allocations;
        apply_rules(state, passes++ % 40 < 10);
        if (!state.alive)
            reset_round(state);
        compose_frame(buffer, state);
        allocated += allocations - before;
    }
    run.counters["allocations_per_pass"] = double(allocated) / passes;
}

BENCHMARK(bench_rules_pass);
BENCHMARK(bench_allocations)->Iterations(20000);
BENCHMARK(bench_compose_frame)->Unit(benchmark::kMicrosecond);
BENCHMARK(bench_present_frame)->Unit(benchmark::kMicrosecond);

// Opens the game's window as the game does; run beside quorvelin.bmp.
int main(int argc, char **argv)
{
    if (allegro_init() != 0 || (install_timer(), set_color_depth(32),
                                set_gfx_mode(GFX_AUTODETECT_WINDOWED, WINDOW_W, WINDOW_H, 0, 0))) {
        std::fprintf(stderr, "frame_bench: cannot open a window; set DISPLAY\n");
        return 1;
    }
    if (const char *why = load_runner_frames()) {
        std::fprintf(stderr, "frame_bench: %s\n", why);
        return 1;
    }
    if (!create_back_buffer())
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    destroy_back_buffer();
    release_runner_frames();
    return 0;
}
