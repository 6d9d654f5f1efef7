#include "sheet_check.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <vector>

// The check follows Allegro 4.4.3's BMP reader (src/bmp.c of Debian's
// allegro4.4 4.4.3.1) and the bitmap it decodes into; line numbers are that
// file's unless another is named:
// - 'BM' and the pixels' offset (86-98); a header of 40 bytes or of 12 (OS/2,
//   never compressed), nothing else (648-666, 105-148). A negative height
//   reads as one over 2^31 where long has 64 bits (file.c 2295-2308).
// - The palette: entries of 4 bytes (3 on OS/2) taken while their colours
//   fit before the pixels, at most 256, the rest skipped (155-174, 655, 662).
//   Entries not taken keep what the stack held (632, 641), and the bitmap's
//   conversion to 32 bits looks all 256 up in a table of 64 (735; gfx.c 277):
//   so 1- to 8-bit sheets need all 256.
// - Bit fields: no palette (654), and the red and blue masks, not the
//   header's depth, give the pixels' size (677-694, 356-357).
// - Rows: 1-, 4- and 8-bit ones read in words of 4 bytes (191, 218, 247),
//   16- and 24-bit ones padded to 4 (283-288, 309-314), 32-bit ones whole
//   (329-335), bit fields padded (392-397); each writes exactly the width.
// - The bitmap: one block of width x height pixels, row 0 first (699;
//   graphics.c 1063, 1082-1084).
// - Run-length coding, 8 and 4 bits alike (446-590): see why_rle_wrong.
namespace {
const size_t MAX_FILE_BYTES = size_t(80) << 20;
const int MAX_SIDE = 4096;
const long FILE_HEADER_BYTES = 14;
const long PIXELS_OFFSET_AT = 10;
const uint32_t OS2_HEADER_BYTES = 12;
const uint32_t WINDOWS_HEADER_BYTES = 40;
// Where the header's fields lie in the file, in a Windows header and in an
// OS/2 one, which keeps its sides in 16 bits and has no compression.
const size_t WIDTH_AT = 18;
const size_t HEIGHT_AT = 22;
const size_t PLANES_AT = 26;
const size_t DEPTH_AT = 28;
const size_t COMPRESSION_AT = 30;
const size_t COLOURS_USED_AT = 46;
const size_t OS2_HEIGHT_AT = 20;
const size_t OS2_PLANES_AT = 22;
const size_t OS2_DEPTH_AT = 24;
const uint32_t MASK_BYTES = 12;
const int MAX_PALETTE_ENTRIES = 256;
const long COLOUR_BYTES = 3;
const long WINDOWS_ENTRY_BYTES = 4;
const size_t RED_MASK_AT = 54, BLUE_MASK_AT = 62;  // after the Windows header, green between
// The 4-bit reader takes an absolute run's pixels in 16-bit words of 4.
const long NIBBLES_PER_WORD = 4, WORD_BYTES = 2;
const uint32_t RED_555 = 0x7C00, RED_565 = 0xF800, BLUE_5 = 0x1F;
const uint32_t RED_888 = 0xFF0000, BLUE_8 = 0xFF;

enum Compression : uint32_t { PLAIN = 0, RLE8 = 1, RLE4 = 2, BITFIELDS = 3 };
enum RunCode : long { END_OF_ROW = 0, END_OF_PICTURE = 1, DELTA = 2 };

uint32_t read_u16(const std::vector<uint8_t> &b, size_t at)
{
    return b[at] | b[at + 1] << 8;
}

uint32_t read_u32(const std::vector<uint8_t> &b, size_t at)
{
    return read_u16(b, at) | read_u16(b, at + 2) << 16;
}

bool load_file(const char *path, std::vector<uint8_t> &bytes)
{
    std::FILE *file = std::fopen(path, "rb");
    if (!file)
        return false;
    uint8_t chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0
           && bytes.size() <= MAX_FILE_BYTES)
        bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
    return true;
}

bool depth_fits_compression(uint32_t bpp, uint32_t compression)
{
    switch (compression) {
    case PLAIN: return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
    case RLE8: return bpp == 8;
    case RLE4: return bpp == 4;
    case BITFIELDS: return bpp == 16 || bpp == 32;
    default: return false;
    }
}

// Masks the reader does not know it refuses; those of another depth would
// make it read pixels of another size than the rows hold.
bool masks_fit_depth(const std::vector<uint8_t> &b, uint32_t bpp)
{
    const uint32_t red = read_u32(b, RED_MASK_AT), blue = read_u32(b, BLUE_MASK_AT);
    if (bpp == 16)
        return blue == BLUE_5 && (red == RED_555 || red == RED_565);
    return blue == BLUE_8 && red == RED_888;
}

// Every pixel goes through the row's pointer, bmp->line[line] + pos: a line
// above the first takes a pointer from before the row table, and a run past
// a row's end lands in the next row in memory, past the block from the last.
bool write_fits(long line, long pos, long count, long w, long h)
{
    return line >= 0 && line * w + pos + count <= w * h;
}

// Walks the codes as the reader does and refuses any write outside the
// bitmap, and a stream that stops before the picture ends: codes past the
// file's end the reader reads as runs of 255 pixels (EOF in an unsigned
// char, 451, 463), and an absolute run's missing bytes as pixels of 255,
// harmless but the sheet cut short all the same. The reader starts
// each row at position 0 (459, 531), the first at the last row, the bottom
// one (456, 528); writes runs of count pixels (466-471, 538-545); ends a row
// at 0,0 (475-477, 549-551) and the picture at 0,1 (479-481, 553-555); moves
// by a delta 0,2,dx,dy right and up, never ending the row itself (483-488,
// 557-562); copies an absolute run of n pixels, 8-bit ones from n bytes and
// a pad byte when n is odd (490-499), 4-bit ones from words of 4 pixels
// (564-578); after every code ends the row once the position is past the
// width plus one (504-505, 582-583); and at each row's end goes a row up,
// ending the picture above the first row (508-510, 586-588).
const char *why_rle_wrong(const std::vector<uint8_t> &b, size_t at, long w, long h, bool nibbles)
{
    const char *const outside = "has damaged pixel data", *const cut_short = "is cut short in its pixel data";
    long line = h - 1, pos = 0;
    while (at + 2 <= b.size()) {
        const long count = b[at], code = b[at + 1];
        at += 2;
        bool row_ends = false;
        if (count > 0) {
            if (!write_fits(line, pos, count, w, h))
                return outside;
            pos += count;
        } else if (code == END_OF_ROW) {
            row_ends = true;
        } else if (code == END_OF_PICTURE) {
            return nullptr;
        } else if (code == DELTA) {
            if (at + 2 > b.size())
                return cut_short;
            pos += b[at];
            line -= b[at + 1];
            at += 2;
        } else {
            if (!write_fits(line, pos, code, w, h))
                return outside;
            pos += code;
            at += nibbles ? (code + NIBBLES_PER_WORD - 1) / NIBBLES_PER_WORD * WORD_BYTES : code + code % 2;
            if (at > b.size())
                return cut_short;
        }
        if (row_ends || pos - 1 > w) {
            pos = 0;
            if (--line < 0)
                return nullptr;
        }
    }
    return cut_short;
}

// Opening a pipe or a device could block for ever, so only plain files are read.
const char *why_not_a_file(const char *path)
{
    struct stat about;
    if (stat(path, &about) != 0 || S_ISREG(about.st_mode))
        return nullptr;
    if (S_ISDIR(about.st_mode))
        return "is a folder, not a file";
    if (S_ISFIFO(about.st_mode))
        return "is a named pipe, not a file";
#ifdef S_ISSOCK  // Windows has no sockets to open by name
    if (S_ISSOCK(about.st_mode))
        return "is a socket, not a file";
#endif
    return "is a device, not a file";
}

// Between the header and the pixels: the masks, or what the reader takes as
// palette, every entry of which must be filled, as above.
const char *why_tables_wrong(const std::vector<uint8_t> &b, bool os2, uint32_t bpp, uint32_t compression)
{
    const long header = os2 ? OS2_HEADER_BYTES : WINDOWS_HEADER_BYTES;
    const long tables = FILE_HEADER_BYTES + header + (compression == BITFIELDS ? MASK_BYTES : 0);
    const long entry = os2 ? COLOUR_BYTES : WINDOWS_ENTRY_BYTES;
    const long pixels = read_u32(b, PIXELS_OFFSET_AT);
    if (pixels < tables || pixels > tables + MAX_PALETTE_ENTRIES * entry || pixels >= long(b.size()))
        return "has its pixel data in the wrong place";
    if (bpp <= 8 && pixels < tables + (MAX_PALETTE_ENTRIES - 1) * entry + COLOUR_BYTES)
        return "has a palette of fewer than 256 colours";
    if (compression == BITFIELDS && !masks_fit_depth(b, bpp))
        return "has a colour depth or compression that cannot be read";
    return nullptr;
}
}  // namespace

const char *check_bmp_file(const char *path)
{
    if (const char *why = why_not_a_file(path))
        return why;
    std::vector<uint8_t> b;
    if (!load_file(path, b))
        return errno == ENOENT ? "is not there" : "cannot be read";
    if (b.size() > MAX_FILE_BYTES)
        return "is too large for a sprite sheet";
    const long size = b.size();
    if (size < FILE_HEADER_BYTES + 4 || b[0] != 'B' || b[1] != 'M')
        return "is not a BMP file";
    const uint32_t header = read_u32(b, FILE_HEADER_BYTES);
    const bool os2 = header == OS2_HEADER_BYTES;
    if (!os2 && header != WINDOWS_HEADER_BYTES)
        return "has a BMP header of a kind that cannot be read";
    if (size < FILE_HEADER_BYTES + long(header))
        return "is cut short in its header";
    const long w = os2 ? read_u16(b, WIDTH_AT) : (int32_t)read_u32(b, WIDTH_AT);
    const long h = os2 ? read_u16(b, OS2_HEIGHT_AT) : (int32_t)read_u32(b, HEIGHT_AT);
    const uint32_t planes = read_u16(b, os2 ? OS2_PLANES_AT : PLANES_AT);
    const uint32_t bpp = read_u16(b, os2 ? OS2_DEPTH_AT : DEPTH_AT);
    const uint32_t compression = os2 ? PLAIN : read_u32(b, COMPRESSION_AT);
    const uint32_t colours_used = os2 ? 0 : read_u32(b, COLOURS_USED_AT);
    if (w <= 0 || h <= 0 || w > MAX_SIDE || h > MAX_SIDE)
        return "has a width or height out of range";
    if (planes != 1 || !depth_fits_compression(bpp, compression) || (os2 && bpp > 8 && bpp != 24))
        return "has a colour depth or compression that cannot be read";
    if (colours_used > MAX_PALETTE_ENTRIES)
        return "declares an oversized palette";
    if (const char *why = why_tables_wrong(b, os2, bpp, compression))
        return why;
    const long pixels = read_u32(b, PIXELS_OFFSET_AT);
    if (compression == RLE8 || compression == RLE4)
        return why_rle_wrong(b, pixels, w, h, compression == RLE4);
    const long stride = (w * bpp + 31) / 32 * 4;
    if (pixels + stride * h > size)
        return "is cut short in its pixel data";
    return nullptr;
}
