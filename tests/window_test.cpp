#include <gtest/gtest.h>
#include <X11/keysym.h>
#include <allegro.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "x_session.h"

using namespace std::chrono_literals;

namespace {
using Shot = std::vector<unsigned>;
enum View { TITLE, PAUSED, GAME_OVER, PLAYING };
const std::vector<std::pair<int, const char *>> VIEW_LINES[] = {
    {{220, "-Quorvelin-"}, {260, "Press Enter to Begin"}, {280, "Press Esc to Quit"}},
    {{240, "Game Paused"}, {255, "Press Tab to Unpause"}},
    {{240, "Game Over"}, {255, "Press Esc to Quit"}, {270, "Press Enter to play again"}}, {}};
#define LOG_RELEASES "LD_PRELOAD=" RELEASE_LOG
// Besides what the game releases, the library releases the bitmap it converts
// the sheet through, and the screen at exit.
#define SCREEN_RELEASED "released 640x480\n"

std::string read_file(const std::string &path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Rows 20 to 27 hold the score, and rows 220 to 289 only the text of the
// view, white on black, pixel for pixel as the library draws them.
bool shows(const Shot &shot, View view, int score = -1)
{
    static BITMAP *want = (install_allegro(SYSTEM_NONE, &errno, atexit), set_color_depth(32), create_bitmap(640, 290));
    clear_to_color(want, 0);
    for (auto [row, text] : VIEW_LINES[view])
        textout_centre_ex(want, font, text, 320, row, makecol(255, 255, 255), -1);
    textout_ex(want, font, ("score: " + std::to_string(score)).c_str(), 10, 20, makecol(255, 255, 255), -1);
    for (int i = score < 0 ? 640 * 220 : 640 * 20; i < 640 * 290; i += i == 640 * 28 ? 640 * 192 : 1)
        if (shot[i] != unsigned(getpixel(want, i % 640, i / 640)))
            return false;
    return true;
}
}  // namespace

TEST(StartUp, EachFaultEndsWithOneLineAndStatusOne)
{
    // What is done in the game's folder first, the game's setting, what it
    // says and what it releases.
    const std::tuple<const char *, const char *, const char *, const char *> cases[] = {
        {"true", "DISPLAY", "no display to open the window on", ""},
        {"rm quorvelin.bmp", LOG_RELEASES, "quorvelin.bmp in /tmp/quorvelin-test-", SCREEN_RELEASED},
        {"printf '\\24' | dd of=quorvelin.bmp bs=1 seek=18 conv=notrunc status=none", LOG_RELEASES,
         "is smaller than its three 13x23 frames", "released 20x23\nreleased 20x23\n" SCREEN_RELEASED},
        {"truncate -s 100 quorvelin.bmp", LOG_RELEASES, "is cut short", SCREEN_RELEASED},
        {"rm quorvelin.bmp && mkfifo quorvelin.bmp", LOG_RELEASES, "is a named pipe, not a file", SCREEN_RELEASED},
    };
    for (auto [spoil, setting, says, released] : cases) {
        const std::string folder = make_game_folder(SHEET_PATH);
        ASSERT_EQ(std::system(("cd " + folder + " && " + spoil).c_str()), 0) << spoil;
        EXPECT_EQ(wait_for_exit(start_game(folder, {setting}), 10s), 1) << says;
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
    // The key leaves the game on the view, and paused, nothing moves. Keys are
    // tapped again till the view shows: a busy machine can lose a tap, and the
    // pause screen looks at Tab only every 300 ms. Shift, which the game
    // ignores, stands for no key.
    auto after_key = [&](unsigned long key, View view, int score = -1) {
        bool shown = false;
        for (int tap = 0; !shown && tap < 20; ++tap) {
            press_key(key, true);
            std::this_thread::sleep_for(120ms);
            press_key(key, false);
            shown = wait_until([&] { return shows(shot = grab_window(), view, score); }, 500ms);
        }
        std::this_thread::sleep_for(300ms);
        paused = view == PAUSED && paused.empty() ? shot : paused;
        return shown && shows(shot = grab_window(), view, score) && (view != PAUSED || shot == paused);
    };
    EXPECT_TRUE(after_key(XK_Shift_L, TITLE) && after_key(XK_space, TITLE) && after_key(XK_Tab, TITLE));
    // The score still 0 after the second, 300 ms on: the game keeps its pace.
    ASSERT_TRUE(after_key(XK_Return, PLAYING, 0) && after_key(XK_Return, PLAYING, 0));
    press_key(XK_space, true);
    // Up there only the runner is neither black nor an obstacle's green.
    EXPECT_TRUE(wait_until([&] {
        shot = grab_window(300, 400);
        return std::any_of(shot.begin(), shot.end(), [](unsigned p) { return p != 0 && p != 0x00ff00; });
    }, 2s)) << "jumping";
    press_key(XK_space, false);
    ASSERT_TRUE(after_key(XK_Shift_L, PLAYING, 1));
    ASSERT_TRUE(after_key(XK_Tab, PAUSED, 1));
    for (unsigned long key : {XK_Return, XK_Escape, XK_space})
        EXPECT_TRUE(after_key(key, PAUSED, 1)) << "paused, key " << key;
    ASSERT_TRUE(after_key(XK_Tab, PLAYING, 1));
    for (int round : {1, 2}) {  // a new round keeps the score
        ASSERT_TRUE(after_key(XK_Shift_L, GAME_OVER, 1));
        EXPECT_TRUE(after_key(XK_space, GAME_OVER, 1) && after_key(XK_Tab, GAME_OVER, 1));
        EXPECT_TRUE(round == 2 || after_key(XK_Return, PLAYING, 1));
    }
    press_key(XK_Escape, true);  // held till the game ends, so that a busy machine cannot lose it
    EXPECT_EQ(wait_for_exit(game, 2s), 0) << "quit from the game-over screen";
    EXPECT_EQ(read_file(folder + "/stderr"), "");
    EXPECT_EQ(read_file(folder + "/released"), "released 39x23\nreleased 39x23\nreleased 640x480\nreleased 13x23\n"
                                               "released 13x23\nreleased 13x23\n" SCREEN_RELEASED);
    for (bool play_first : {true, false}) {
        press_key(XK_Escape, false);
        game = start_game(folder);
        ASSERT_TRUE(after_key(XK_Shift_L, TITLE) && (!play_first || after_key(XK_Return, PLAYING, 0)));
        press_key(XK_Escape, true);
        EXPECT_EQ(wait_for_exit(game, 2s), 0) << (play_first ? "quit in play" : "quit from the title");
    }
    press_key(XK_Escape, false);
    std::filesystem::remove_all(folder);
}
