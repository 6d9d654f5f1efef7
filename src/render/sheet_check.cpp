#include "sheet_check.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {
const size_t MAX_FILE_BYTES = size_t(80) << 20;
const int MAX_SIDE = 4096;
const long FILE_HEADER_BYTES = 14;
const uint32_t OS2_HEADER_BYTES = 12;
const uint32_t WINDOWS_HEADER_BYTES = 40;
const uint32_t MASK_BYTES = 12;
const int MAX_PALETTE_ENTRIES = 256;

enum Compression : uint32_t { PLAIN = 0, RLE8 = 1, RLE4 = 2, BITFIELDS = 3 };

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

// Walks a run-length stream the way a decoder would, without writing, and
// refuses any pixel that would land outside the image or a missing end mark.
// Encoders pad odd rows with one pixel, which the reader takes.
bool rle_stays_inside(const std::vector<uint8_t> &b, size_t at, long w, long h, bool nibbles)
{
    const long row_end = w + w % 2;
    long x = 0, y = 0;
    while (at + 2 <= b.size()) {
        long count = b[at], code = b[at + 1];
        at += 2;
        if (count > 0) {
            x += count;
            if (x > row_end || y >= h)
                return false;
        } else if (code == 0) {
            x = 0;
            ++y;
        } else if (code == 1) {
            return true;
        } else if (code == 2) {
            if (at + 2 > b.size())
                return false;
            x += b[at];
            y += b[at + 1];
            at += 2;
        } else {
            x += code;
            if (x > row_end || y >= h)
                return false;
            long bytes = nibbles ? (code + 1) / 2 : code;
            at += bytes + bytes % 2;
        }
    }
    return false;
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
    const size_t at = FILE_HEADER_BYTES + 4;
    const long w = os2 ? read_u16(b, at) : (int32_t)read_u32(b, at);
    const long h = os2 ? read_u16(b, at + 2) : (int32_t)read_u32(b, at + 4);
    const uint32_t planes = read_u16(b, os2 ? at + 4 : at + 8);
    const uint32_t bpp = read_u16(b, os2 ? at + 6 : at + 10);
    const uint32_t compression = os2 ? PLAIN : read_u32(b, at + 12);
    const uint32_t colours_used = os2 ? 0 : read_u32(b, at + 28);
    if (w <= 0 || h <= 0 || w > MAX_SIDE || h > MAX_SIDE)
        return "has a width or height out of range";
    if (planes != 1 || !depth_fits_compression(bpp, compression) || (os2 && bpp > 8 && bpp != 24))
        return "has a colour depth or compression that cannot be read";
    if (colours_used > MAX_PALETTE_ENTRIES)
        return "declares an oversized palette";
    // The reader takes everything between the header and the pixels as palette.
    const long tables = FILE_HEADER_BYTES + header + (compression == BITFIELDS ? MASK_BYTES : 0);
    const long palette_room = MAX_PALETTE_ENTRIES * (os2 ? 3 : 4);
    const long pixels = read_u32(b, FILE_HEADER_BYTES - 4);
    if (pixels < tables || pixels > tables + palette_room || pixels >= size)
        return "has its pixel data in the wrong place";
    if (compression == RLE8 || compression == RLE4)
        return rle_stays_inside(b, pixels, w, h, compression == RLE4) ? nullptr
                                                                       : "has damaged pixel data";
    const long stride = (w * bpp + 31) / 32 * 4;
    if (pixels + stride * h > size)
        return "is cut short in its pixel data";
    return nullptr;
}
