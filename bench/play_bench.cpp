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

XSession x;
std::string folder;

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

long rss_kb(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

void tap(unsigned long keysym)
{
    press_key(x, keysym, true);
    std::this_thread::sleep_for(30ms);
    press_key(x, keysym, false);
}

void bench_start_up_to_title(benchmark::State &run)
{
    for (auto _ : run) {
        const auto start = Clock::now();
        GameRun game = start_game(folder, x.display.c_str());
        wait_until([] { return any_white(grab_window(x, 220, 228)); }, 10s);
        run.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        tap(XK_Escape);
        wait_for_exit(game, 5s);
        read_stderr(game);
    }
}

// Plays for a while as a simple player would: jumps when an obstacle comes
// near, starts a new round at once when one is lost.
void bench_play_one_minute(benchmark::State &run)
{
    const char *seconds = std::getenv("QUORVELIN_PLAY_SECONDS");
    const auto length = std::chrono::seconds(seconds ? std::atoi(seconds) : 60);
    for (auto _ : run) {
        GameRun game = start_game(folder, x.display.c_str());
        wait_until([] { return any_white(grab_window(x, 220, 228)); }, 10s);
        tap(XK_Return);
        std::this_thread::sleep_for(2s);  // past the first frames' one-off allocations
        const long game_ticks = cpu_ticks(game.pid), server_ticks = cpu_ticks(x.server);
        const long main_ticks = cpu_ticks(game.pid, game.pid);
        const long rss_start = rss_kb(game.pid);
        long rss_most = rss_start, lost = 0;
        bool jumping = false;
        double speed = START_SPEED;
        long last_edge = 640;
        auto last_seen = Clock::now();
        const auto start = Clock::now();
        while (Clock::now() - start < length) {
            if (any_white(grab_window(x, 244, 245))) {
                tap(XK_Return);
                ++lost;
            }
            const std::vector<unsigned> ground = grab_window(x, 455, 456);
            if (ground.empty())
                continue;
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
                press_key(x, XK_space, jumping = jump);
            rss_most = std::max(rss_most, rss_kb(game.pid));
            std::this_thread::sleep_for(10ms);
        }
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        const double ticks_per_second = sysconf(_SC_CLK_TCK);
        run.SetIterationTime(elapsed);
        const double to_pct = 100 / ticks_per_second / elapsed;
        run.counters["game_cpu_pct"] = (cpu_ticks(game.pid) - game_ticks) * to_pct;
        run.counters["main_thread_cpu_pct"] = (cpu_ticks(game.pid, game.pid) - main_ticks) * to_pct;
        run.counters["xvfb_cpu_pct"] = (cpu_ticks(x.server) - server_ticks) * to_pct;
        run.counters["rss_start_kb"] = rss_start;
        run.counters["rss_end_kb"] = rss_kb(game.pid);
        run.counters["rss_most_kb"] = rss_most;
        run.counters["rounds_lost"] = lost;
        press_key(x, XK_space, false);
        tap(XK_Escape);
        wait_for_exit(game, 5s);
        read_stderr(game);
    }
}
}  // namespace

BENCHMARK(bench_start_up_to_title)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(bench_play_one_minute)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

int main(int argc, char **argv)
{
    folder = make_folder();
    copy_file(SHEET_PATH, folder + "/quorvelin.bmp");
    if (!start_x_session(x)) {
        std::fprintf(stderr, "play_bench: cannot start Xvfb\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    stop_x_session(x);
    return 0;
}
