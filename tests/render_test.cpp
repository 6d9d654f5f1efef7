#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "render.h"
#include "sheet_check.h"

namespace {
using Bytes = std::vector<uint8_t>;

void prepare_library()
{
    static bool ready = false;
    if (ready)
        return;
    install_allegro(SYSTEM_NONE, &errno, atexit);
    set_color_depth(32);
    set_color_conversion(COLORCONV_TOTAL);
    ASSERT_EQ(load_runner_frames(), nullptr);
    ready = true;
}

GameState in_play()
{
    GameState s;
    reset_round(s);
    s.player_y = 447, s.obstacle_x = 300, s.obstacle_w = 20, s.obstacle_h = 40, s.score = 42;
    return s;
}

BITMAP *composed(const GameState &s)
{
    BITMAP *b = create_bitmap(WINDOW_W, WINDOW_H);
    clear_to_color(b, makecol(9, 9, 9));
    compose_frame(b, s);
    return b;
}

// Mean offset of the hair's pixels from the runner sprite's centre.
std::pair<double, double> hair_offset(BITMAP *b)
{
    const int hair = makecol(255, 214, 110);
    double sx = 0, sy = 0, n = 0;
    for (int y = 425; y < 470; ++y)
        for (int x = 50; x < 80; ++x)
            if (getpixel(b, x, y) == hair)
                sx += x - 64.5, sy += y - 446.5, ++n;
    return {sx / n, sy / n};
}

// Compares the rectangle [x0, x1) x [y0, y1) of two bitmaps pixel by pixel.
void expect_same_area(BITMAP *a, BITMAP *b, int x0, int y0, int x1, int y1)
{
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            ASSERT_EQ(getpixel(a, x, y), getpixel(b, x, y)) << x << "," << y;
}

Bytes read_bytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string write_temp(const Bytes &b)
{
    const std::string path = testing::TempDir() + "sheet_under_test.bmp";
    std::ofstream(path, std::ios::binary).write((const char *)b.data(), b.size());
    return path;
}

void put(Bytes &b, size_t at, uint32_t value, int width = 4)
{
    for (int i = 0; i < width; ++i)
        b[at + i] = value >> 8 * i;
}
}  // namespace

TEST(Frame, GroundArchRunnerAndScore)
{
    prepare_library();
    BITMAP *b = composed(in_play());
    const int black = makecol(0, 0, 0), green = makecol(0, 255, 0), mask = makecol(255, 0, 255);
    for (int x = 0; x < WINDOW_W; ++x)
        ASSERT_EQ(getpixel(b, x, 460), x >= 280 && x <= 320 ? black : green) << x;
    for (int y = 390; y < 460; ++y)
        ASSERT_TRUE(getpixel(b, 280, y) == green && getpixel(b, 320, y) == green) << y;
    for (int x = 280; x <= 320; ++x)
        ASSERT_TRUE(getpixel(b, x, 390) == green && getpixel(b, x, 389) == black) << x;
    EXPECT_EQ(getpixel(b, 300, 420), black);
    EXPECT_EQ(getpixel(b, 600, 100), black);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 13; ++x) {
            const int p = getpixel(player[0], x, y);
            ASSERT_EQ(getpixel(b, 58 + x, 435 + y), p == mask ? black : p) << x << "," << y;
        }
    BITMAP *text = create_bitmap(200, 40);
    clear_to_color(text, black);
    textprintf_ex(text, font, 10, 20, makecol(255, 255, 255), -1, "score: 42");
    expect_same_area(b, text, 0, 0, 200, 40);
    destroy_bitmap(text);
    destroy_bitmap(b);
}

TEST(Frame, RunnerTurnsClockwiseAndFullTurnDrawsAsNone)
{
    prepare_library();
    struct Case { int spin; int head_x; int head_y; };  // signs of the hair's offset
    const Case cases[] = {{0, 0, -1}, {64, 1, 0}, {128, 0, 1}, {192, -1, 0}};
    for (const Case &c : cases) {
        GameState s = in_play();
        s.p_spin = c.spin;
        BITMAP *b = composed(s);
        auto [dx, dy] = hair_offset(b);
        EXPECT_EQ((dx > 4) - (dx < -4), c.head_x) << c.spin;
        EXPECT_EQ((dy > 4) - (dy < -4), c.head_y) << c.spin;
        destroy_bitmap(b);
    }
    GameState whole = in_play();
    whole.p_spin = 256;
    BITMAP *turned = composed(whole), *still = composed(in_play());
    expect_same_area(turned, still, 40, 420, 90, 470);
    destroy_bitmap(turned);
    destroy_bitmap(still);
}

TEST(SheetCheck, RejectsEachDamage)
{
    const Bytes sheet = read_bytes("quorvelin.bmp");
    ASSERT_EQ(check_bmp_file("quorvelin.bmp"), nullptr);
    EXPECT_NE(check_bmp_file("no-such-sheet.bmp"), nullptr);
    for (size_t length : {size_t(0), size_t(30), sheet.size() - 10}) {
        const Bytes cut(sheet.begin(), sheet.begin() + length);
        EXPECT_NE(check_bmp_file(write_temp(cut).c_str()), nullptr) << "cut to " << length;
    }
    // offset, value, bytes: signature, newer header, zero width, negative
    // height, huge width, two planes, RLE8 and RLE4 on 24 bits, pixels past the
    // end and inside the header, a billion-colour palette
    const uint32_t patches[][3] = {{0, 'X', 1}, {14, 124, 4}, {18, 0, 4}, {22, uint32_t(-23), 4},
                                   {18, 1u << 30, 4}, {26, 2, 2}, {30, 1, 4}, {30, 2, 4},
                                   {10, 1u << 31, 4}, {10, 20, 4}, {46, 1000000000, 4}};
    for (auto [at, value, width] : patches) {
        Bytes b = sheet;
        put(b, at, value, width);
        EXPECT_NE(check_bmp_file(write_temp(b).c_str()), nullptr) << at << " = " << value;
    }
}

TEST(SheetCheck, RunLengthDataMustStayInsideTheImage)
{
    prepare_library();
    Bytes rle = read_bytes("quorvelin.bmp");
    rle.resize(54);
    put(rle, 18, 4), put(rle, 22, 2), put(rle, 28, 8, 2), put(rle, 30, 1);
    const std::pair<Bytes, bool> streams[] = {
        {{4, 1, 0, 0, 4, 2, 0, 1}, true},
        {{5, 1, 0, 0, 4, 2, 0, 1}, false},      // row overrun
        {{4, 1, 0, 0, 4, 2, 0, 0, 4, 3, 0, 1}, false},  // a row below the image
        {{4, 1, 0, 0, 4, 2}, false},            // no end mark
    };
    for (const auto &[stream, good] : streams) {
        Bytes b = rle;
        b.insert(b.end(), stream.begin(), stream.end());
        const std::string path = write_temp(b);
        EXPECT_EQ(check_bmp_file(path.c_str()) == nullptr, good) << stream.size();
        if (good) {
            BITMAP *loaded = load_bitmap(path.c_str(), nullptr);
            ASSERT_NE(loaded, nullptr);
            destroy_bitmap(loaded);
        }
    }
}

// Whatever the check lets through, the library's reader must load without
// crashing or hanging; the test's own time-out catches a hang.
TEST(SheetCheck, RandomHeaderDamageNeverReachesTheReaderUnsafely)
{
    prepare_library();
    const Bytes sheet = read_bytes("quorvelin.bmp");
    std::mt19937 random(2024);
    int rejected = 0;
    for (int i = 0; i < 3000; ++i) {
        Bytes b = sheet;
        for (int n = random() % 4 + 1; n > 0; --n)
            b[random() % 54] = random();
        if (random() % 5 == 0)
            b.resize(random() % b.size());
        const std::string path = write_temp(b);
        if (check_bmp_file(path.c_str())) {
            ++rejected;
            continue;
        }
        BITMAP *loaded = load_bitmap(path.c_str(), nullptr);
        ASSERT_NE(loaded, nullptr) << "case " << i;
        destroy_bitmap(loaded);
    }
    EXPECT_GT(rejected, 1000);
}
