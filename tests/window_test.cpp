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

// Preloaded into the games that can take it; the others' release log stays empty.
#define LOG_RELEASES "LD_PRELOAD=" RELEASE_LOG
// Besides what the game releases, the library releases the bitmap it converts
// the sheet through, and the screen at exit.
#define SCREEN_RELEASED "released 640x480\n"

namespace {
enum View { TITLE, PAUSED, GAME_OVER, PLAYING };

std::string read_file(const std::string &path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Rows 220 to 289 hold only a view's lines, white on black.
uint64_t fingerprint()
{
    const std::vector<unsigned> text = grab_window(220, 290);
    return std::accumulate(text.begin(), text.end(), 0ul, [](uint64_t f, unsigned p) { return f * 1000003 + p; });
}

// Under Wine with no window manager, the library's shutdown waits 2 s for a
// window manager that is not there.
const auto QUIT_TIME = game_is_windows ? 5s : 2s;

// The views' fingerprints, as every platform's test reads them.
std::vector<uint64_t> read_prints()
{
    std::ifstream in(VIEWS_PATH);
    std::map<std::string, uint64_t> by_name;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string name, print;
        if (line[0] != '#' && words >> name >> print)
            by_name[name] = std::stoull(print, nullptr, 16);
    }
    return {by_name.at("title"), by_name.at("paused"), by_name.at("game_over"), by_name.at("playing")};
}
const std::vector<uint64_t> PRINTS = read_prints();

// The key leaves the game on the view; a view that is not seen reports what
// is. Keys are tapped again till the view shows and stays: a busy machine can
// lose a tap, and the pause screen looks at Tab only at one instant in each
// cycle of a little over 300 ms, which a tap of 120 ms catches two times in
// five. Each tap waits a random while first: taps at a fixed rhythm could
// keep missing that instant when their rhythm fits the cycle's, as under
// Wine. Shift, which the game ignores, stands for no key.
bool after_key(unsigned long key, View view)
{
    static std::mt19937 random_wait{std::random_device{}()};
    uint64_t seen = ~PRINTS[view];
    for (int tap = 0; seen != PRINTS[view] && tap < 20; ++tap) {
        std::this_thread::sleep_for(std::uniform_int_distribution(0, 400)(random_wait) * 1ms);
        press_key(key, true);
        std::this_thread::sleep_for(120ms);
        press_key(key, false);
        wait_until([&] { return fingerprint() == PRINTS[view]; }, 500ms);
        std::this_thread::sleep_for(300ms);
        seen = fingerprint();
    }
    EXPECT_EQ(seen, PRINTS[view]) << std::hex << "key " << key << ", view " << view << ", seen 0x" << seen;
    return seen == PRINTS[view];
}
}  // namespace

TEST(StartUp, EachFaultEndsWithOneLineAndStatusOne)
{
    // What is done in the game's folder first, a setting for its environment
    // (a bare DISPLAY takes the display away), what it says, what it releases,
    // and whether the fault can happen on Windows.
    const std::tuple<const char *, const char *, const char *, const char *, bool> cases[] = {
        {"true", "DISPLAY", "no display to open the window on", "", false},
        {"rm quorvelin.bmp", LOG_RELEASES, "quorvelin-test-", SCREEN_RELEASED, true},
        {"printf '\\24' | dd of=quorvelin.bmp bs=1 seek=18 conv=notrunc status=none", LOG_RELEASES,
         "is smaller than its three 13x23 frames", "released 20x23\nreleased 20x23\n" SCREEN_RELEASED, true},
        {"rm quorvelin.bmp && mkfifo quorvelin.bmp", LOG_RELEASES, "is a named pipe, not a file", SCREEN_RELEASED, false},
        // Sheets that passed an earlier check and then crashed the library's reader or hung the game.
#define DAMAGED_SHEET(name) "cp \"$(dirname '" __FILE__ "')/sheets/" name "\" quorvelin.bmp"
        {DAMAGED_SHEET("rle8-delta-past-row.bmp"), LOG_RELEASES, "has damaged pixel data", SCREEN_RELEASED, true},
        {DAMAGED_SHEET("rle4-delta-past-row.bmp"), LOG_RELEASES, "has damaged pixel data", SCREEN_RELEASED, true},
        {DAMAGED_SHEET("rle8-odd-width-pad.bmp"), LOG_RELEASES, "has damaged pixel data", SCREEN_RELEASED, true},
    };
    // Under qemu the library starts up to 50 times slower: 1.5 s with Debian 13's.
    const auto start_time = game_is_emulated ? 30s : 10s;
    for (auto [spoil, setting, says, released, on_windows] : cases) {
        if (game_is_windows && !on_windows)
            continue;
        const std::string folder = make_game_folder(SHEET_PATH);
        ASSERT_EQ(std::system(("cd " + folder + " && " + spoil).c_str()), 0) << spoil;
        EXPECT_EQ(wait_for_exit(start_game(folder, {setting}), start_time), 1) << says;
        const std::string said = read_file(folder + "/stderr");
        EXPECT_TRUE(std::count(said.begin(), said.end(), '\n') == 1 && said.find(says) != std::string::npos) << said;
        EXPECT_EQ(read_file(folder + "/released"), game_takes_release_log ? released : "") << says;
        std::filesystem::remove_all(folder);
    }
}

// Each key on each screen, as a player meets them: two rounds lost, the
// second quit from its game-over screen.
TEST(Journey, EveryKeyOnEveryScreen)
{
    const std::string folder = make_game_folder(SHEET_PATH);
    const pid_t game = start_game(folder, {LOG_RELEASES});
    EXPECT_TRUE(after_key(XK_Shift_L, TITLE) && after_key(XK_space, TITLE) && after_key(XK_Tab, TITLE));
    ASSERT_TRUE(after_key(XK_Return, PLAYING) && after_key(XK_Return, PLAYING));
    ASSERT_TRUE(after_key(XK_Tab, PAUSED));
    EXPECT_TRUE(after_key(XK_Return, PAUSED) && after_key(XK_Escape, PAUSED) && after_key(XK_space, PAUSED));
    ASSERT_TRUE(after_key(XK_Tab, PLAYING) && after_key(XK_Shift_L, GAME_OVER));
    EXPECT_TRUE(after_key(XK_space, GAME_OVER) && after_key(XK_Tab, GAME_OVER));
    // Space held as the round starts: the runner leaves the ground on its first
    // pass, long before the round's first obstacle, which meets a runner still
    // standing about 1 s in. Up there only the runner is neither black nor an
    // obstacle's green, and held it climbs no higher than row 300.
    press_key(XK_space, true);
    press_key(XK_Return, true);
    EXPECT_TRUE(wait_until([] {
        const std::vector<unsigned> rows = grab_window(300, 400);
        return fingerprint() == PRINTS[PLAYING]
               && std::any_of(rows.begin(), rows.end(), [](unsigned p) { return p != 0 && p != 0x00ff00; });
    }, 2s)) << "jumping";
    press_key(XK_Return, false);
    press_key(XK_space, false);
    ASSERT_TRUE(after_key(XK_Shift_L, GAME_OVER));
    press_key(XK_Escape, true);  // held till the game ends, so that a busy machine cannot lose it
    EXPECT_EQ(wait_for_exit(game, QUIT_TIME), 0) << "quit from the game-over screen";
    EXPECT_EQ(read_file(folder + "/stderr"), "");
    EXPECT_EQ(read_file(folder + "/released"), !game_takes_release_log ? "" : "released 39x23\nreleased 39x23\nreleased 640x480\n"
                                               "released 13x23\nreleased 13x23\nreleased 13x23\n" SCREEN_RELEASED);
    press_key(XK_Escape, false);
    std::filesystem::remove_all(folder);
}

// Each way a game is ended, on a screen it is ended from: Esc ends it with
// status 0; a signal within a second, with 128 + the signal's number and
// nothing said; its display going away within a second, with status 1 and
// one line, also when a write to it raised SIGPIPE first. Windows sends a
// windowed game neither signals nor the other.
TEST(Ending, EachWayOnItsScreen)
{
    const int ESC = -1, DISPLAY_GOES = 0;
    const std::pair<View, int> cases[] = {
        {TITLE, ESC},     {PLAYING, ESC},    {TITLE, SIGINT},  {PLAYING, SIGINT}, {PAUSED, SIGINT},
        {GAME_OVER, SIGINT}, {PLAYING, SIGTERM}, {PAUSED, SIGHUP}, {TITLE, SIGQUIT}, {GAME_OVER, DISPLAY_GOES}};
    const std::string folder = make_game_folder(SHEET_PATH);
    for (auto [view, way] : cases) {
        if (game_is_windows && way != ESC)
            continue;
        const pid_t game = start_game(folder);
        ASSERT_TRUE(after_key(XK_Shift_L, TITLE) && (view == TITLE || after_key(XK_Return, PLAYING))
                    && (view != PAUSED || after_key(XK_Tab, PAUSED))
                    && (view != GAME_OVER || after_key(XK_Shift_L, GAME_OVER))) << "view " << view;
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
    std::filesystem::remove_all(folder);
}
