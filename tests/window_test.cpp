#include <gtest/gtest.h>
#include <X11/keysym.h>
#include <allegro.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "x_session.h"

using namespace std::chrono_literals;

namespace {
using Shot = std::vector<unsigned>;
enum View { TITLE, PAUSED, GAME_OVER, PLAYING };
const std::vector<std::pair<int, const char *>> SCREEN_LINES[] = {
    {{220, "-Quorvelin-"}, {260, "Press Enter to Begin"}, {280, "Press Esc to Quit"}},
    {{240, "Game Paused"}, {255, "Press Tab to Unpause"}},
    {{240, "Game Over"}, {255, "Press Esc to Quit"}, {270, "Press Enter to play again"}}, {}};
// Besides what the game releases, the library releases the bitmap it converts
// the sheet through, and the screen at exit.
#define SCREEN_RELEASED "released 640x480\n"
const std::string LOG_RELEASES = "LD_PRELOAD=" RELEASE_LOG;

std::string read_file(const std::string &path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Rows 20 to 27 hold the score, and rows 220 to 289 only the text of the
// screen shown, white on black, pixel for pixel as the library draws them.
bool shows(const Shot &shot, int screen, int score = -1)
{
    static BITMAP *want = (install_allegro(SYSTEM_NONE, &errno, atexit), set_color_depth(32), create_bitmap(640, 290));
    clear_to_color(want, 0);
    for (auto [row, text] : SCREEN_LINES[screen])
        textout_centre_ex(want, font, text, 320, row, makecol(255, 255, 255), -1);
    textout_ex(want, font, ("score: " + std::to_string(score)).c_str(), 10, 20, makecol(255, 255, 255), -1);
    for (int i = score < 0 ? 640 * 220 : 640 * 20; i < 640 * 290; i += i == 640 * 28 ? 640 * 192 : 1)
        if (shot[i] != unsigned(getpixel(want, i % 640, i / 640)))
            return false;
    return screen < PLAYING || std::count(&shot[460 * 640], &shot[461 * 640], 0x00ff00) > 500;
}

// Anything but background and green in the rows: the runner, there.
bool runner_in(int top, int bottom)
{
    const Shot rows = grab_window(top, bottom);
    return std::any_of(rows.begin(), rows.end(), [](unsigned p) { return p != 0 && p != 0x00ff00; });
}

// Held until the game ends, so that a busy machine cannot lose the press.
int quit_with_esc(pid_t game)
{
    press_key(XK_Escape, true);
    const int status = wait_for_exit(game, 2s);
    press_key(XK_Escape, false);
    return status;
}
}  // namespace

TEST(StartUp, EachFaultEndsWithOneLineAndStatusOne)
{
    // What is done in the game's folder first, whether it has a display, what
    // it says, and what it releases.
    const std::tuple<const char *, bool, const char *, const char *> cases[] = {
        {"true", false, "no display to open the window on", ""},
        {"rm quorvelin.bmp", true, "quorvelin.bmp in /tmp/quorvelin-test-", SCREEN_RELEASED},
        {"printf '\\24' | dd of=quorvelin.bmp bs=1 seek=18 conv=notrunc status=none", true,
         "is smaller than its three 13x23 frames", "released 20x23\nreleased 20x23\n" SCREEN_RELEASED},
        {"truncate -s 100 quorvelin.bmp", true, "is cut short", SCREEN_RELEASED},
        {"rm quorvelin.bmp && mkfifo quorvelin.bmp", true, "is a named pipe, not a file", SCREEN_RELEASED},
    };
    for (auto [spoil, display, says, released] : cases) {
        const std::string folder = make_game_folder(SHEET_PATH);
        ASSERT_EQ(std::system(("cd " + folder + " && " + spoil).c_str()), 0) << spoil;
        const std::string kept_display = display ? "DISPLAY=" + std::string(std::getenv("DISPLAY")) : "DISPLAY";
        EXPECT_EQ(wait_for_exit(start_game(folder, {LOG_RELEASES, kept_display}), 10s), 1) << says;
        const std::string said = read_file(folder + "/stderr");
        EXPECT_TRUE(std::count(said.begin(), said.end(), '\n') == 1 && said.find(says) != std::string::npos) << said;
        EXPECT_EQ(read_file(folder + "/released"), released) << says;
        std::filesystem::remove_all(folder);
    }
}

// Each key on each screen, as a player meets them: two rounds lost, the
// second quit from its game-over screen; then Esc in play, and on the title.
TEST(Journey, EveryKeyOnEveryScreen)
{
    const std::string folder = make_game_folder(SHEET_PATH);
    pid_t game = start_game(folder, {LOG_RELEASES});
    Shot shot, paused;
    auto seen = [&](int screen, auto timeout, int score = -1) {
        return wait_until([&] { return shows(shot = grab_window(), screen, score); }, timeout);
    };
    // The key leaves the game on the screen, and paused, nothing moves. Keys
    // are held till the screen shows, so that a busy machine cannot lose a
    // press; but Tab, held, would pause or unpause again.
    auto after_key = [&](unsigned long key, View screen, int score = -1) {
        press_key(key, true);
        std::this_thread::sleep_for(120ms);
        if (key == XK_Tab)
            press_key(key, false);
        const bool shown = seen(screen, 5s, score);
        press_key(key, false);
        std::this_thread::sleep_for(300ms);
        paused = screen == PAUSED && paused.empty() ? shot : paused;
        return shown && shows(shot = grab_window(), screen, score) && (screen != PAUSED || shot == paused);
    };
    ASSERT_TRUE(seen(TITLE, 10s));
    EXPECT_TRUE(after_key(XK_space, TITLE) && after_key(XK_Tab, TITLE));
    ASSERT_TRUE(after_key(XK_Return, PLAYING, 0));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(after_key(XK_Return, PLAYING, 0));
    press_key(XK_space, true);
    EXPECT_TRUE(wait_until([] { return runner_in(300, 400); }, 2s)) << "jumping";
    press_key(XK_space, false);
    EXPECT_TRUE(wait_until([] { return !runner_in(300, 435); }, 2s)) << "landed";
    // The first obstacle scores after 50 passes of 20 ms and more.
    ASSERT_TRUE(seen(PLAYING, 5s, 1));
    EXPECT_GE(std::chrono::steady_clock::now() - started, 900ms);
    ASSERT_TRUE(wait_until([&] { return after_key(XK_Tab, PAUSED); }, 5s));
    for (unsigned long key : {XK_Return, XK_Escape, XK_space})
        EXPECT_TRUE(after_key(key, PAUSED)) << "paused, key " << key;
    // Tab is looked at every 300 ms: tap until a tap lands on a look.
    ASSERT_TRUE(wait_until([&] { return tap_key(XK_Tab, 150ms), seen(PLAYING, 300ms); }, 10s));
    for (int round : {1, 2}) {  // a new round keeps the score
        ASSERT_TRUE(seen(GAME_OVER, 10s, 1));
        EXPECT_TRUE(after_key(XK_space, GAME_OVER, 1) && after_key(XK_Tab, GAME_OVER, 1));
        EXPECT_TRUE(round == 2 || after_key(XK_Return, PLAYING, 1));
    }
    EXPECT_EQ(quit_with_esc(game), 0) << "quit from the game-over screen";
    EXPECT_EQ(read_file(folder + "/stderr"), "");
    EXPECT_EQ(read_file(folder + "/released"), "released 39x23\nreleased 39x23\nreleased 640x480\nreleased 13x23\n"
                                               "released 13x23\nreleased 13x23\n" SCREEN_RELEASED);
    for (bool play_first : {true, false}) {
        game = start_game(folder);
        ASSERT_TRUE(seen(TITLE, 10s) && (!play_first || after_key(XK_Return, PLAYING, 0)));
        EXPECT_EQ(quit_with_esc(game), 0) << (play_first ? "quit in play" : "quit from the title");
    }
    std::filesystem::remove_all(folder);
}
