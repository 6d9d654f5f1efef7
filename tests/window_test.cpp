#include <gtest/gtest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <numeric>
#include <random>
#include <sstream>

#include "x_session.h"

using namespace std::chrono_literals;

namespace {
std::string read_file(const std::string &path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The words of each line of one of the tests' data files that is not a comment.
std::vector<std::vector<std::string>> read_lines(const std::string &name)
{
    std::ifstream in(std::string(TESTS_PATH) + "/" + name);
    std::vector<std::vector<std::string>> lines;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        if (line[0] != '#' && !line.empty())
            lines.emplace_back(std::istream_iterator<std::string>(words), std::istream_iterator<std::string>());
    }
    return lines;
}

// The views' rows and fingerprints, as every platform's test reads them.
struct View {
    int top, bottom;
    uint64_t print;
};
const std::map<std::string, View> VIEWS = [] {
    std::map<std::string, View> views;
    for (const auto &words : read_lines("views.txt"))
        views[words.at(0)] = {std::stoi(words.at(1)), std::stoi(words.at(2)), std::stoull(words.at(3), nullptr, 16)};
    return views;
}();

uint64_t fingerprint(int top, int bottom)
{
    const std::vector<unsigned> rows = grab_window(top, bottom);
    return std::accumulate(rows.begin(), rows.end(), 0ul, [](uint64_t f, unsigned p) { return f * 1000003 + p; });
}

bool drawn(int row)
{
    const std::vector<unsigned> pixels = grab_window(row, row + 1);
    return std::any_of(pixels.begin(), pixels.end(), [](unsigned p) { return p != 0; });
}

// What the running game shows of each view named that is not as it should
// be, "" if each is; in play, also the score and the ground line must be
// drawn, which only a game that runs draws.
std::string unlike(pid_t game, const std::vector<std::string> &names)
{
    siginfo_t ended{};
    if (waitid(P_PID, game, &ended, WEXITED | WNOHANG | WNOWAIT) != 0 || ended.si_pid == game)
        return "no game";
    std::ostringstream said;
    for (const std::string &name : names) {
        const uint64_t print = fingerprint(VIEWS.at(name).top, VIEWS.at(name).bottom);
        if (print != VIEWS.at(name).print || (name == "playing" && !(drawn(24) && drawn(460))))
            said << name << " 0x" << std::hex << print << " ";
    }
    return said.str();
}

// Under Wine with no window manager, the library's shutdown waits 2 s for a
// window manager that is not there.
const auto QUIT_TIME = game_is_windows ? 5s : 2s;

// The key leaves the game on the views; views that are not seen are reported
// as they are. Keys are tapped again till the views show and stay: a busy
// machine can lose a tap, and the pause screen looks at Tab only at one
// instant in each cycle of a little over 300 ms, which a tap of 120 ms
// catches two times in five. Each tap after the first waits a random while:
// taps at a fixed rhythm could keep missing that instant when their rhythm
// fits the cycle's, as under Wine. The first goes at once, so that the steps
// of a round come well before its first obstacle can end it, 2 s in.
bool after_key(pid_t game, unsigned long key, const std::vector<std::string> &views)
{
    static std::mt19937 random_wait{std::random_device{}()};
    bool there = false;
    for (int tap = 0; !there && tap < 20; ++tap) {
        if (tap > 0)
            std::this_thread::sleep_for(std::uniform_int_distribution(0, 400)(random_wait) * 1ms);
        press_key(key, true);
        std::this_thread::sleep_for(120ms);
        press_key(key, false);
        wait_until([&] { return unlike(game, views).empty(); }, 500ms);
        std::this_thread::sleep_for(300ms);
        there = unlike(game, views).empty();
    }
    EXPECT_TRUE(there) << "key " << std::hex << key << " should leave the game on " << views[0] << ": "
                       << unlike(game, views);
    return there;
}

const std::map<std::string, unsigned long> KEYS = {
    {"shift", XK_Shift_L}, {"space", XK_space}, {"tab", XK_Tab}, {"enter", XK_Return}, {"escape", XK_Escape}};
}  // namespace

TEST(StartUp, EachFaultEndsWithOneLineAndStatusOne)
{
    // What is done in the game's folder first, a variable taken out of its
    // environment, what it says, and whether the fault can happen on Windows.
    const std::tuple<const char *, const char *, const char *, bool> cases[] = {
        {"true", "DISPLAY", "no display to open the window on", false},
        {"rm quorvelin.bmp", "", "quorvelin-test-", true},
        {"printf '\\24' | dd of=quorvelin.bmp bs=1 seek=18 conv=notrunc status=none", "",
         "is smaller than its three 13x23 frames", true},
        {"rm quorvelin.bmp && mkfifo quorvelin.bmp", "", "is a named pipe, not a file", false},
        // A sheet that crashed the library's reader (the fuzz test replays the others).
        {"cp \"" TESTS_PATH "/sheets/rle8-delta-past-row.bmp\" quorvelin.bmp", "", "has damaged pixel data", true},
    };
    // Under qemu the library starts up to 50 times slower: 1.5 s with Debian 13's.
    const auto start_time = game_is_emulated ? 30s : 10s;
    for (auto [spoil, unset, says, on_windows] : cases) {
        if (game_is_windows && !on_windows)
            continue;
        const std::string folder = make_game_folder(SHEET_PATH);
        ASSERT_EQ(std::system(("cd " + folder + " && " + spoil).c_str()), 0) << spoil;
        EXPECT_EQ(wait_for_exit(start_game(folder, unset), start_time), 1) << says;
        const std::string said = read_file(folder + "/stderr");
        EXPECT_TRUE(std::count(said.begin(), said.end(), '\n') == 1 && said.find(says) != std::string::npos) << said;
    }
}

// Each key on each screen, as a player meets them (journey.txt).
TEST(Journey, EveryKeyOnEveryScreen)
{
    const std::string folder = make_game_folder(SHEET_PATH);
    const pid_t game = start_game(folder);
    for (auto step : read_lines("journey.txt")) {
        const std::string key = step[0];
        const std::vector<std::string> views(step.begin() + 1, step.end());
        if (key == "jump") {
            // Space held as the round starts: the first jump, from the round's
            // first row two below the standing one, tops out two rows low;
            // held on, the runner jumps again as it lands, and its top is at
            // the row given or the one below for five passes, where only it is
            // neither black nor an obstacle's green. Those rows alone are
            // looked at, so that a look takes much less than those passes.
            const int top = std::stoi(views.front());
            press_key(XK_space, true);
            press_key(XK_Return, true);
            EXPECT_TRUE(wait_until([&] {
                const std::vector<unsigned> rows = grab_window(top, top + 2);
                return std::any_of(rows.begin(), rows.end(), [](unsigned p) { return p != 0 && p != 0x00ff00; });
            }, 5s)) << "Space held did not take the runner to row " << top;
            const std::vector<std::string> after(views.begin() + 1, views.end());
            EXPECT_TRUE(wait_until([&] { return unlike(game, after).empty(); }, 2s)) << unlike(game, after);
            press_key(XK_Return, false);
            press_key(XK_space, false);
        } else if (key == "quit") {
            press_key(XK_Escape, true);  // held till the game ends, so that a busy machine cannot lose it
            EXPECT_EQ(wait_for_exit(game, QUIT_TIME), 0) << "quit from the game-over screen";
            press_key(XK_Escape, false);
        } else
            ASSERT_TRUE(after_key(game, KEYS.at(key), views));
    }
    EXPECT_EQ(read_file(folder + "/stderr"), "");
}

// Each way a game is ended, on a screen it is ended from: Esc ends it with
// status 0; a signal within a second, with 128 + the signal's number and
// nothing said; its display going away within a second, with status 1 and
// one line, also when a write to it raised SIGPIPE first. Windows sends a
// windowed game neither signals nor the other.
TEST(Ending, EachWayOnItsScreen)
{
    const int ESC = -1, DISPLAY_GOES = 0;
    const std::pair<std::string, int> cases[] = {
        {"title", ESC},     {"playing", ESC},    {"title", SIGINT},  {"playing", SIGINT}, {"paused", SIGINT},
        {"game_over", SIGINT}, {"playing", SIGTERM}, {"paused", SIGHUP}, {"title", SIGQUIT}, {"game_over", DISPLAY_GOES}};
    const std::string folder = make_game_folder(SHEET_PATH);
    for (auto [view, way] : cases) {
        if (game_is_windows && way != ESC)
            continue;
        const pid_t game = start_game(folder);
        ASSERT_TRUE(after_key(game, XK_Shift_L, {"title"}) && (view == "title" || after_key(game, XK_Return, {"playing"}))
                    && (view != "paused" || after_key(game, XK_Tab, {"paused"}))
                    && (view != "game_over" || after_key(game, XK_Shift_L, {"game_over"}))) << view;
        if (way == ESC)
            press_key(XK_Escape, true);  // held till the game ends, so that a busy machine cannot lose it
        else if (way == DISPLAY_GOES) {
            kill(game, SIGPIPE);  // as a write to the closed connection would, first
            cut_game_off_display();
        } else
            kill(game, way);
        const int status = wait_for_exit(game, way == ESC ? QUIT_TIME : 1s);
        press_key(XK_Escape, false);
        EXPECT_EQ(status, way == ESC ? 0 : way == DISPLAY_GOES ? 1 : 128 + way) << "view " << view << ", way " << way;
        EXPECT_EQ(read_file(folder + "/stderr"), way == DISPLAY_GOES ? "quorvelin: the display closed, so the game has ended\n" : "")
            << "view " << view << ", way " << way;
    }
}
