#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "render.h"
#include "screens.h"
#include "sheet_check.h"

namespace {
using Bytes = std::vector<uint8_t>;

const bool library_ready = (install_allegro(SYSTEM_NONE, &errno, atexit), set_color_depth(32),
                            set_color_conversion(COLORCONV_TOTAL), load_runner_frames() == nullptr);

std::ifstream sheet_file("quorvelin.bmp", std::ios::binary);
const Bytes sheet{std::istreambuf_iterator<char>(sheet_file), {}};

Bytes patched(Bytes b, size_t at, uint32_t value, int width = 4)
{
    for (int i = 0; i < width; ++i)
        b.at(at + i) = value >> 8 * i;
    return b;
}

// A BMP with the given header size (12 for OS/2), depth and compression, a
// full palette or 5-6-5 or 8-8-8 masks, and blank pixels or the run-length stream given.
Bytes bmp(int header, int bpp, int compression, int w, int h, Bytes pixels = {})
{
    const bool os2 = header == 12, masks = compression == 3;
    const int tables = 14 + header + (bpp <= 8 ? (os2 ? 3 : 4) << 8 : 0) + (masks ? 12 : 0);
    pixels.resize(pixels.empty() ? ((w * bpp + 7) / 8 + 3) / 4 * 4 * h : pixels.size());
    Bytes b = patched(patched(patched(Bytes(tables, 0), 0, 'B' | 'M' << 8, 2), 10, tables), 14, header);
    b = os2 ? patched(patched(patched(b, 18, w, 2), 20, h, 2), 22, 1 | bpp << 16)
            : patched(patched(patched(patched(b, 18, w), 22, h), 26, 1 | bpp << 16), 30, compression);
    if (masks)
        b = patched(patched(b, 54, bpp == 16 ? 0xf800 : 0xff0000), 62, bpp == 16 ? 0x1f : 0xff);
    b.insert(b.end(), pixels.begin(), pixels.end());
    return patched(b, 2, b.size());
}

// The check's verdict on the file, and whether the library then loads it.
// Each file is left in the folder QUORVELIN_SEEDS names, if any, to seed the fuzz target.
std::pair<std::string, bool> check_and_load(const Bytes &file)
{
    static int made = 0;
    const char *const seeds = std::getenv("QUORVELIN_SEEDS");
    const std::string path = seeds ? seeds + std::to_string(made++) + ".bmp" : "case.bmp";
    std::ofstream(path, std::ios::binary).write((const char *)file.data(), file.size());
    const char *said = check_bmp_file(path.c_str());
    BITMAP *loaded = said ? nullptr : load_bitmap(path.c_str(), nullptr);
    destroy_bitmap(loaded);
    return {said ? said : "", loaded != nullptr};
}
}  // namespace

// A lost round's last frame under the game-over screen's lines: an arch in
// a gap of the ground line, the runner's second pose a quarter turn
// clockwise, and the score. Enter starts a new round, keeping the score; Esc
// quits; both do both, and still quit. Set QUORVELIN_RECORD to record the
// picture again after a change that is meant, and check it by eye.
TEST(GameOver, OverTheLastFrameAndItsKeys)
{
    ASSERT_TRUE(library_ready);
    screen = create_bitmap(WINDOW_W, WINDOW_H);
    for (auto [enter, esc] : {std::pair{true, false}, {false, true}, {true, true}}) {
        GameState s{447, 0, false, 64, 1, 0, 0, 300, 20, 40, 0, 42, false, false, false, true};
        clear_to_color(screen, makecol(9, 9, 9));
        compose_frame(screen, s);
        key[KEY_ENTER] = enter, key[KEY_ESC] = esc;
        game_over_screen(s);
        EXPECT_EQ(std::make_tuple(s.alive, s.play_again, s.obstacle_x, s.score),
                  std::make_tuple(true, !esc, enter ? 660 : 300, 42)) << enter << esc;
    }
    if (std::getenv("QUORVELIN_RECORD"))
        save_bitmap(PICTURE, screen, nullptr);
    BITMAP *want = load_bitmap(PICTURE, nullptr);
    ASSERT_TRUE(want) << PICTURE;
    EXPECT_EQ(std::memcmp(screen->line[0], want->line[0], WINDOW_W * WINDOW_H * 4), 0);  // memory bitmaps are one block
    destroy_bitmap(want);
}

TEST(SheetCheck, TakesWhatTheReaderCanReadAndNamesEachFault)
{
    const char *const says[] = {
        "", "is not a BMP file", "is too large for a sprite sheet", "has a BMP header of a kind that cannot be read",
        "is cut short in its header", "has a width or height out of range", "is cut short in its pixel data",
        "has a colour depth or compression that cannot be read", "declares an oversized palette",
        "has its pixel data in the wrong place", "has damaged pixel data", "has a palette of fewer than 256 colours"};
    // Damage to the sheet: at, value, bytes, what the check says
    const uint32_t patches[][4] = {
        {18, 1, 4, 0},   {22, 1, 4, 0},   {46, 256, 4, 0},  {0, 'X', 1, 1},    {14, 124, 4, 3},  {18, 0, 4, 5},
        {22, 0, 4, 5},   {18, 4097, 4, 5}, {18, 1u << 31 | 39, 4, 5}, {18, 4096, 4, 6}, {22, 4096, 4, 6},
        {28, 2, 2, 7},   {30, 4, 4, 7},   {46, 257, 4, 8},  {10, 1079, 4, 9}};
    std::vector<std::pair<Bytes, int>> cases = {
        {patched(Bytes(16), 0, 'B' | 'M' << 8, 2), 1}, {Bytes(80 << 20 | 1), 2},
        {Bytes(sheet.begin(), sheet.begin() + 18), 4}, {Bytes(sheet.begin(), sheet.end() - 1), 6},
        {Bytes(sheet.begin(), sheet.begin() + 54), 9}, {patched(bmp(12, 8, 0, 39, 23), 10, 26 + 769), 9},
        {patched(bmp(40, 16, 3, 39, 23), 10, 54), 9}, {bmp(40, 16, 3, 39, 23), 0},
        // The reader fills all 256 entries, the last without its fourth byte, or leaves the rest to the
        // stack; the masks give the pixels' size. Its 4-bit absolute runs take words of 4 pixels.
        {patched(bmp(40, 8, 0, 39, 23), 10, 54 + 1023), 0}, {patched(bmp(40, 8, 0, 39, 23), 10, 54 + 1022), 11},
        {patched(bmp(12, 1, 0, 39, 23), 10, 26 + 767), 11}, {patched(bmp(40, 16, 3, 39, 23), 54, 0x7c00), 0},
        {patched(bmp(40, 16, 3, 39, 23), 62, 0xff), 7}, {patched(bmp(40, 32, 3, 39, 23), 54, 0xf800), 7},
        {bmp(40, 4, 2, 7, 2, {0, 4, 0x12, 0x34, 0, 0, 0, 5, 0x12, 0x34, 0x50, 0, 0, 1}), 0}};
    for (auto [at, value, width, verdict] : patches)
        cases.push_back({patched(sheet, at, value, width), verdict});
    for (auto [header, bpp, compression] : {std::tuple{40, 1, 0}, {40, 4, 0}, {40, 8, 0}, {40, 16, 0}, {40, 24, 0},
                                            {40, 32, 0}, {40, 32, 3}, {12, 1, 0}, {12, 4, 0}, {12, 8, 0}, {12, 24, 0}})
        cases.push_back({bmp(header, bpp, compression, 39, 23), 0});
    // 3x2 pixels run-length coded, in pairs taken and refused: spilling into the next row in memory, moving right
    // and up, above the first row, a row ended by a move, padded absolute runs (moving on), ended by the last row or
    // run past the block; and codes or an absolute run's bytes cut short. The rows lie one after the other in one
    // block, the bottom one, which the reader starts at, last.
    const std::pair<Bytes, int> streams[] = {
        {{1, 5, 2, 1, 0, 0, 6, 2, 0, 1}, 0}, {{1, 5, 3, 1, 0, 0, 1, 2, 0, 1}, 10}, {{0, 2, 1, 1, 3, 1, 0, 1}, 0},
        {{0, 2, 3, 0, 2, 1, 0, 1}, 10}, {{0, 2, 0, 2, 0, 0}, 0}, {{0, 2, 0, 2, 1, 1, 0, 1}, 10},
        {{0, 2, 4, 0, 0, 2, 0, 1, 1, 7, 0, 1}, 0}, {{0, 2, 5, 0, 0, 2, 0, 1, 1, 7, 0, 1}, 10}, {{0, 2, 1}, 6},
        {{0, 3, 1, 2, 3, 0, 0, 0, 0, 4, 1, 2, 3, 4, 0, 1}, 0}, {{0, 3, 1, 2, 3, 0, 1, 1, 0, 1}, 10},
        {{0, 0, 0, 2, 5, 0}, 0}, {{0, 5, 1, 2, 3, 4, 5, 0, 0, 1}, 10}, {{1, 1, 0, 0, 1, 2}, 6},
        {{0, 0, 0, 5, 1, 2, 3, 4, 5, 0}, 0}, {{0, 0, 0, 5, 1, 2, 3, 4, 5}, 6}};
    for (auto [stream, verdict] : streams)
        cases.push_back({bmp(40, 8, 1, 3, 2, stream), verdict});
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(check_and_load(cases[i].first), std::make_pair(std::string(says[cases[i].second]), !cases[i].second))
            << "case " << i;
    for (auto [path, said] : {std::pair{"no-such-sheet.bmp", "is not there"}, {".", "is a folder, not a file"},
                              {"/dev/null", "is a device, not a file"}})
        EXPECT_STREQ(check_bmp_file(path), said);
}
