// The web port of Allegro, built on this machine, driven as a browser drives
// it: the page's events come while the program sleeps, on a clock of the
// test's own, and the canvas is a buffer the test reads. Each case is a
// promise of Allegro's that a program can meet on the web.
#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>
#include <allegro/internal/aintern.h>
#include <allegro/platform/aintweb.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {
const int W = 32, H = 24;

// The page: its events by the time they come, its state, its canvas.
struct Page {
    double now = 0;
    std::multimap<double, std::function<void()>> events;
    bool hidden = false;
    uint32_t *pixels = nullptr;
    std::vector<uint32_t> canvas;
    char *place = nullptr, *typed = nullptr;
    int switches = 0;
};
Page page;

void at(double ms, std::function<void()> event) { page.events.emplace(page.now + ms, std::move(event)); }

// Runs the events due by the time given; a page hidden then is frozen, and
// its timers fire only once it is back.
void run_page_until(double end)
{
    while (!page.events.empty() && (page.events.begin()->first <= end || page.hidden)) {
        page.now = std::max(page.now, page.events.begin()->first);
        auto event = page.events.begin()->second;
        page.events.erase(page.events.begin());
        event();
    }
    page.now = std::max(page.now, end);
}

void send_key(bool down, const char *place, const char *typed, int modifiers = 0)
{
    std::strcpy(page.place, place);
    std::strcpy(page.typed, typed);
    _al_web_key(down, modifiers);
}
void tap(const char *place, const char *typed, double ms = 0)
{
    at(ms, [=] { send_key(true, place, typed); });
    at(ms + 1, [=] { send_key(false, place, typed); });
}
void show(bool shown)
{
    page.hidden = !shown;
    _al_web_page_changed(!shown);
}

uint32_t rgba(int r, int g, int b) { return 0xff000000u | b << 16 | g << 8 | r; }
uint32_t canvas_at(int x, int y) { return page.canvas[y * W + x]; }

int ticks = 0;
void count_tick() { ++ticks; }
int switched_out = 0, switched_in = 0;
void count_out() { ++switched_out; }
void count_in() { ++switched_in; }
}  // namespace

extern "C" {
double emscripten_get_now() { return page.now; }
void emscripten_sleep(unsigned ms) { run_page_until(page.now + std::max(ms, 1u)); }  // a turn takes a while
void emscripten_force_exit(int) {}
int web_page_is_away() { return page.hidden; }
void web_page_listen() {}
void web_page_unlisten() {}
void web_tell_page(int) { ++page.switches; }
void web_wait_for_page(double) { run_page_until(page.now); }
void web_canvas_open(int w, int h, uint32_t *pixels) { page.pixels = pixels, page.canvas.assign(w * h, rgba(0, 0, 0)); }
void web_canvas_show(int x, int y, int w, int h)
{
    EXPECT_TRUE(x >= 0 && y >= 0 && x + w <= W && y + h <= H) << "a rectangle outside the canvas";
    for (int row = y; row < y + h; ++row)
        std::copy_n(page.pixels + row * W + x, w, page.canvas.begin() + row * W + x);
}
void web_canvas_close() {}
void web_key_listen(char *place, char *typed, int) { page.place = place, page.typed = typed; }
void web_key_unlisten() {}
int web_touch_count_areas(int) { return 1; }
int web_touch_key_name(int, int index, char *name, int)
{
    const char *names[] = {"Enter", "Space"};
    return index < 2 ? std::strcpy(name, names[index]), 1 : 0;
}
void web_touch_listen() {}
void web_touch_unlisten() {}
}

namespace {
// A program started as most start: the keyboard, the timer, a small window.
class WebPort : public testing::Test {
protected:
    void SetUp() override
    {
        page = Page();
        ticks = switched_out = switched_in = 0;
        ASSERT_EQ(install_allegro(SYSTEM_AUTODETECT, &errno, nullptr), 0);
        install_keyboard();
        install_timer();
        set_color_depth(32);
        ASSERT_EQ(set_gfx_mode(GFX_AUTODETECT_WINDOWED, W, H, 0, 0), 0) << allegro_error;
    }
    void TearDown() override { allegro_exit(); }
};

TEST_F(WebPort, APressAlwaysPressesAndAReleaseAlwaysLetsGo)
{
    // Space down with its key-up lost, then a whole tap of it.
    at(0, [] { send_key(true, "Space", " "); });
    rest(20);
    tap("Space", " ");
    rest(20);
    rest(20);
    EXPECT_FALSE(key[KEY_SPACE]) << "the key-up after a lost one lets go";

    // A program that clears key[] itself sees the browser's repeats press again.
    at(0, [] { send_key(true, "Space", " "); });
    rest(20);
    key[KEY_SPACE] = 0;
    at(0, [] { send_key(true, "Space", " "); });
    rest(20);
    EXPECT_TRUE(key[KEY_SPACE]);
}

TEST_F(WebPort, KeysAreSeenDownOnceHoweverShortTheirTap)
{
    tap("Enter", "Enter", 5);
    rest(20);
    EXPECT_TRUE(key[KEY_ENTER]);
    rest(20);
    EXPECT_FALSE(key[KEY_ENTER]);

    // Pressed again before the program looked, it stays down.
    tap("Enter", "Enter", 5);
    at(10, [] { send_key(true, "Enter", "Enter"); });
    rest(20);
    rest(20);
    EXPECT_TRUE(key[KEY_ENTER]);
    at(0, [] { send_key(false, "Enter", "Enter"); });
    rest(20);
    rest(20);

    // rest_callback() returns to the program only once: a tap during it is still down then.
    tap("Enter", "Enter", 10);
    rest_callback(100, [] {});
    EXPECT_TRUE(key[KEY_ENTER]);
}

// What a key press gives key[], key_shifts and the buffer, as Allegro's own
// drivers give it: no entry for modifiers and dead keys, 0 with Alt, control
// codes with Ctrl, and AltGr as Windows browsers report it.
TEST_F(WebPort, KeysGiveWhatAllegrosOwnDriversGive)
{
    const struct {
        const char *place, *typed;
        int modifiers, scancode, entry, shifts;
    } cases[] = {
        {"ShiftLeft", "Shift", WEB_SHIFT, KEY_LSHIFT, -1, KB_SHIFT_FLAG},
        {"CapsLock", "CapsLock", WEB_CAPSLOCK, KEY_CAPSLOCK, -1, KB_CAPSLOCK_FLAG},
        {"Quote", "Dead", 0, KEY_QUOTE, -1, 0},
        {"KeyA", "a", WEB_CTRL, KEY_A, 1, KB_CTRL_FLAG},
        {"BracketLeft", "[", WEB_CTRL, KEY_OPENBRACE, 27, KB_CTRL_FLAG},
        {"KeyX", "x", WEB_ALT, KEY_X, 0, KB_ALT_FLAG},
        {"KeyQ", "@", WEB_CTRL | WEB_ALT | WEB_ALTGRAPH, KEY_Q, '@', KB_MENU_FLAG},
        {"ArrowLeft", "ArrowLeft", 0, KEY_LEFT, 0, 0},
        {"Delete", "Delete", 0, KEY_DEL, 127, 0},
        {"Digit9", "9", 0, KEY_9, '9', 0},
        {"Numpad0", "0", WEB_NUMLOCK, KEY_0_PAD, '0', KB_NUMLOCK_FLAG},
        {"F12", "F12", 0, KEY_F12, 0, 0},
        {"KeyE", "\xc3\xa9", 0, KEY_E, 0xe9, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.place);
        clear_keybuf();
        at(0, [&] { send_key(true, c.place, c.typed, c.modifiers); });
        rest(20);
        EXPECT_TRUE(key[c.scancode]);
        EXPECT_EQ(key_shifts, c.shifts);
        int scancode = 0;
        EXPECT_EQ(keypressed() ? ureadkey(&scancode) : -1, c.entry);
        EXPECT_EQ(scancode, c.entry < 0 ? 0 : c.scancode);
        at(0, [&] { send_key(false, c.place, c.typed); });
        rest(20);
    }
}

// Loops that rest in no call of their own still let the page run.
TEST_F(WebPort, PollingLoopsLetThePageRun)
{
    tap("KeyK", "k", 100);
    int passes = 0;
    while (!keypressed() && ++passes < 100000)
        page.now += 1;  // the pass's own work
    EXPECT_EQ(readkey() & 0xff, 'k');

    at(100, [] { send_key(true, "Escape", "Escape"); });
    for (passes = 0; !key[KEY_ESC] && passes < 100000; ++passes) {
        poll_keyboard();
        page.now += 1;
    }
    EXPECT_TRUE(key[KEY_ESC]);

    const int retraces = retrace_count;
    vsync();
    EXPECT_EQ(retrace_count, retraces + 1);

    clear_keybuf();
    tap("KeyY", "y", 50);
    for (passes = 0; !keypressed() && passes < 100000; ++passes)
        rest_callback(0, [] {});
    EXPECT_EQ(keypressed() ? readkey() & 0xff : 0, 'y');
}

// A page hidden, frozen or cached and back within one sleep is a switch out
// and in: the callbacks run, held keys are let go, and a program held while
// away counts none of the time away, while one running on counts it all.
TEST_F(WebPort, AnAbsenceWithinOneSleepIsASwitch)
{
    set_display_switch_callback(SWITCH_OUT, count_out);
    set_display_switch_callback(SWITCH_IN, count_in);
    install_int(count_tick, 1);
    at(0, [] { send_key(true, "Space", " "); });
    rest(20);
    at(5, [] { show(false); });
    at(60 * 60 * 1000, [] { show(true); });
    ticks = 0;
    rest(20);
    EXPECT_EQ(switched_out + switched_in + page.switches, 4);
    EXPECT_FALSE(key[KEY_SPACE]);
    EXPECT_NEAR(ticks, 20, 2);

    EXPECT_NE(set_display_switch_mode(SWITCH_AMNESIA), 0) << "the canvas is never lost";
    set_display_switch_mode(SWITCH_BACKGROUND);
    install_int(count_tick, 1000);
    at(5, [] { show(false); });
    at(40 * 60 * 1000, [] { show(true); });
    ticks = 0;
    rest(20);
    EXPECT_NEAR(ticks, 40 * 60, 1) << "timers catch up with 40 minutes in the background";
}

TEST_F(WebPort, ACanvasGivenBackBlankIsShownAgain)
{
    clear_to_color(screen, makecol(255, 128, 0));
    rest(20);
    ASSERT_EQ(canvas_at(W - 1, H - 1), rgba(255, 128, 0));
    std::fill(page.canvas.begin(), page.canvas.end(), 0);
    _al_web_canvas_restored();
    rest(20);
    EXPECT_EQ(canvas_at(W - 1, H - 1), rgba(255, 128, 0));
}

TEST_F(WebPort, TouchesAreKeysThatTypeAndOutliveASwitch)
{
    at(0, [] { _al_web_touch(0, 1); });
    rest(20);
    EXPECT_EQ(readkey() & 0xff, '\r');
    EXPECT_EQ(readkey() & 0xff, ' ');

    // The finger is lifted while the page is away, where no event comes.
    at(0, [] { show(false); });
    at(10, [] { show(true); });
    rest(20);
    at(0, [] { _al_web_touch(0, 1); });
    rest(20);
    EXPECT_TRUE(key[KEY_SPACE]) << "the next touch, after a switch";
    at(0, [] { _al_web_touch(0, 2); });
    at(1, [] { _al_web_touch(0, 0); });
    rest(20);
    rest(20);
    EXPECT_FALSE(key[KEY_SPACE]);
}

// Every depth the library draws at, on a virtual screen twice as wide and as
// tall: a change inside the view is copied alone, and a scroll shows another
// part of it.
TEST_F(WebPort, ModesAtEveryDepthWithAPaletteAndAVirtualScreen)
{
    const RGB palette[] = {{0, 0, 0, 0}, {63, 0, 0, 0}, {0, 0, 63, 0}};
    for (int depth : {8, 15, 16, 24, 32}) {
        SCOPED_TRACE(depth);
        set_color_depth(depth);
        ASSERT_EQ(set_gfx_mode(GFX_AUTODETECT, W, H, 2 * W, 2 * H), 0) << allegro_error;
        set_palette_range(palette, 0, 2, FALSE);
        const int red = depth == 8 ? 1 : makecol(255, 0, 0), blue = depth == 8 ? 2 : makecol(0, 0, 255);
        clear_to_color(screen, red);
        rest(20);
        putpixel(screen, W - 4, 7, blue);
        putpixel(screen, 2 * W - 4, H + 7, blue);
        rest(20);
        EXPECT_EQ(canvas_at(W - 4, 7), rgba(0, 0, 255));
        EXPECT_EQ(canvas_at(W - 5, 7), rgba(255, 0, 0));
        scroll_screen(W, H);
        rest(20);
        EXPECT_EQ(canvas_at(W - 4, 7), rgba(0, 0, 255));
        EXPECT_EQ(canvas_at(W - 4, 6), rgba(255, 0, 0));
    }
    EXPECT_EQ(set_gfx_mode(GFX_AUTODETECT_FULLSCREEN, W, H, 0, 0), 0);
    set_color_depth(8);
    EXPECT_EQ(set_gfx_mode(GFX_SAFE, W, H, 0, 0), 0);
}

TEST_F(WebPort, MessagesReachTheConsoleAsLines)
{
    testing::internal::CaptureStderr();
    allegro_message("no newline");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "no newline\n");
}
}  // namespace
