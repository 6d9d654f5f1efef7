#include <benchmark/benchmark.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "x_session.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {
const unsigned WHITE = 0xffffff;
const unsigned GREEN = 0x00ff00;
const int RUNNER_COLUMN = 64;
const double JUMP_LEAD_MS = 200;  // how long before an obstacle arrives the driver jumps
const double START_SPEED = 0.6;   // pixels per millisecond: 12 a frame of 20 ms
const auto SHORT_TAP = 40ms;

std::string folder;

void tap_key(unsigned long keysym)
{
    press_key(keysym, true);
    std::this_thread::sleep_for(120ms);
    press_key(keysym, false);
}

bool any_white(const std::vector<unsigned> &pixels)
{
    return std::find(pixels.begin(), pixels.end(), WHITE) != pixels.end();
}

// CPU time of a process, or with thread set, of that one thread.
long cpu_ticks(pid_t pid, pid_t thread = 0)
{
    const std::string task = thread ? "/task/" + std::to_string(thread) : "";
    std::ifstream in("/proc/" + std::to_string(pid) + task + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), {});
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string skip;
    long user = 0, system = 0;
    for (int i = 3; i < 14; ++i)
        fields >> skip;
    fields >> user >> system;
    return user + system;
}

// A figure of /proc/PID/status in KiB: VmRSS for all resident memory,
// RssAnon for the heap and stacks alone, without the library code paged in on
// first use.
long status_kb(pid_t pid, const std::string &field)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(field, 0) == 0)
            return std::atol(line.c_str() + field.size());
    return 0;
}

// Each start also taps Enter on the title for 40 ms, a quick player's tap,
// which must start the game: the title looks at the keys between rests.
void bench_start_up_to_title(benchmark::State &run)
{
    run.counters["short_taps_seen"] = 0;
    for (auto _ : run) {
        const auto start = Clock::now();
        const pid_t game = start_game(folder);
        wait_until([] { return any_white(grab_window(220, 228)); }, 10s);
        run.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        tap_key(XK_Shift_L);  // ignored by the game: Wine's window takes the keyboard with the first key
        std::this_thread::sleep_for(200ms);
        press_key(XK_Return, true);
        std::this_thread::sleep_for(SHORT_TAP);
        press_key(XK_Return, false);
        run.counters["short_taps_seen"] += wait_until([] { return !any_white(grab_window(220, 228)); }, 1s);
        tap_key(XK_Escape);
        wait_for_exit(game, 5s);
    }
}

struct CpuMark {
    long game, main_thread, server;
    Clock::time_point when;
};

CpuMark mark_cpu(pid_t game)
{
    const char *server = std::getenv("XVFB_PID");
    return {cpu_ticks(game), cpu_ticks(game, game), server ? cpu_ticks(std::atoi(server)) : 0, Clock::now()};
}

// Percentages of one core since the mark, for the game, its main thread
// alone, and the X server.
void count_cpu_since(benchmark::State &run, pid_t game, const CpuMark &from)
{
    const CpuMark to = mark_cpu(game);
    const double elapsed = std::chrono::duration<double>(to.when - from.when).count();
    const double to_pct = 100 / double(sysconf(_SC_CLK_TCK)) / elapsed;
    run.SetIterationTime(elapsed);
    run.counters["game_cpu_pct"] = (to.game - from.game) * to_pct;
    run.counters["main_thread_cpu_pct"] = (to.main_thread - from.main_thread) * to_pct;
    run.counters["xvfb_cpu_pct"] = (to.server - from.server) * to_pct;
}

pid_t start_playing(std::chrono::milliseconds settle)
{
    const pid_t game = start_game(folder);
    wait_until([] { return any_white(grab_window(220, 228)); }, 10s);
    tap_key(XK_Return);
    std::this_thread::sleep_for(settle);
    return game;
}

// Plays for a while as a simple player would: jumps when an obstacle comes
// near, starts a new round at once when one is lost.
void bench_play_one_minute(benchmark::State &run)
{
    const char *seconds = std::getenv("QUORVELIN_PLAY_SECONDS");
    const auto length = std::chrono::seconds(seconds ? std::atoi(seconds) : 60);
    for (auto _ : run) {
        const pid_t game = start_playing(2s);  // past the first frames' one-off allocations
        const CpuMark start = mark_cpu(game);
        const long anon_start = status_kb(game, "RssAnon:");
        const long rss_start = status_kb(game, "VmRSS:");
        long anon_most = anon_start, lost = 0;
        bool jumping = false;
        double speed = START_SPEED;
        long last_edge = 640;
        auto last_seen = Clock::now();
        while (Clock::now() - start.when < length) {
            if (any_white(grab_window(244, 245))) {
                tap_key(XK_Return);
                ++lost;
            }
            const std::vector<unsigned> ground = grab_window(455, 456);
            // The obstacles speed up with the score: judge the speed from
            // how far the nearest edge moved since the last look.
            const long edge = std::find(ground.begin() + RUNNER_COLUMN + 8, ground.end(), GREEN)
                              - ground.begin();
            const double since = std::chrono::duration<double, std::milli>(Clock::now() - last_seen).count();
            if (edge < last_edge && edge < 640 && last_edge < 640 && since > 0)
                speed = std::max(speed, (last_edge - edge) / since);
            last_edge = edge, last_seen = Clock::now();
            const bool jump = edge < 640 && edge - RUNNER_COLUMN < speed * JUMP_LEAD_MS;
            if (jump != jumping)
                press_key(XK_space, jumping = jump);
            anon_most = std::max(anon_most, status_kb(game, "RssAnon:"));
            std::this_thread::sleep_for(10ms);
        }
        count_cpu_since(run, game, start);
        run.counters["anon_start_kb"] = anon_start;
        run.counters["anon_end_kb"] = status_kb(game, "RssAnon:");
        run.counters["anon_most_kb"] = anon_most;
        run.counters["rss_start_kb"] = rss_start;
        run.counters["rss_end_kb"] = status_kb(game, "VmRSS:");
        run.counters["rounds_lost"] = lost;
        press_key(XK_space, false);
        tap_key(XK_Escape);
        wait_for_exit(game, 5s);
    }
}

// A still screen leaves the game's own thread resting nearly all the time,
// so what the process still uses is the library's background work. Each is
// reached as a player reaches it, and the game then ended.
void measure_still(benchmark::State &run, pid_t game)
{
    const CpuMark start = mark_cpu(game);
    std::this_thread::sleep_for(10s);
    count_cpu_since(run, game, start);
}

void quit(pid_t game)
{
    tap_key(XK_Escape);
    wait_for_exit(game, 5s);
}

void bench_title(benchmark::State &run)
{
    for (auto _ : run) {
        const pid_t game = start_game(folder);
        wait_until([] { return any_white(grab_window(220, 228)); }, 10s);
        measure_still(run, game);
        quit(game);
    }
}

void bench_paused(benchmark::State &run)
{
    for (auto _ : run) {
        const pid_t game = start_playing(500ms);  // paused before the first obstacle arrives
        tap_key(XK_Tab);
        // The pause screen's two lines, and not the game-over screen's third.
        wait_until([] { return any_white(grab_window(244, 245)); }, 5s);
        if (any_white(grab_window(274, 275)))
            run.SkipWithError("the round was lost before the pause");
        measure_still(run, game);
        wait_for_exit(game, 0s);  // Esc is not read while paused
    }
}

// The runner stands, so the first obstacle wide enough to hit ends the round.
void bench_game_over(benchmark::State &run)
{
    for (auto _ : run) {
        const pid_t game = start_playing(0s);
        if (!wait_until([] { return any_white(grab_window(274, 275)); }, 20s))
            run.SkipWithError("the round was not lost");
        measure_still(run, game);
        quit(game);
    }
}
}  // namespace

BENCHMARK(bench_start_up_to_title)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(bench_play_one_minute)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(bench_title)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(bench_paused)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(bench_game_over)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

int main(int argc, char **argv)
{
    folder = make_game_folder(SHEET_PATH);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
