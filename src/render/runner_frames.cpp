#include <unistd.h>

#include <climits>
#include <cstdio>

#include "render.h"
#include "sheet_check.h"

BITMAP *player[RUNNER_FRAMES];

namespace {
const char *const SHEET_FILE = "quorvelin.bmp";
const int FRAME_W = 13;
const int FRAME_H = 23;

char message[PATH_MAX + 256];

const char *explain_sheet_fault(const char *why)
{
    char folder[PATH_MAX];
    if (!getcwd(folder, sizeof folder))
        std::snprintf(folder, sizeof folder, "the working folder");
    std::snprintf(message, sizeof message,
                  "the sprite sheet %s in %s %s; start the game from the folder "
                  "that holds the game's own %s",
                  SHEET_FILE, folder, why, SHEET_FILE);
    return message;
}
}  // namespace

const char *load_runner_frames()
{
    if (const char *why = check_bmp_file(SHEET_FILE))
        return explain_sheet_fault(why);
    BITMAP *sheet = load_bitmap(SHEET_FILE, nullptr);
    if (!sheet)
        return explain_sheet_fault("could not be decoded");
    if (sheet->w < FRAME_W * RUNNER_FRAMES || sheet->h < FRAME_H) {
        destroy_bitmap(sheet);
        return explain_sheet_fault("is smaller than its three 13x23 frames");
    }
    for (int i = 0; i < RUNNER_FRAMES; ++i) {
        player[i] = create_bitmap(FRAME_W, FRAME_H);
        if (!player[i]) {
            destroy_bitmap(sheet);
            return "out of memory for the runner's frames";
        }
        blit(sheet, player[i], FRAME_W * i, 0, 0, 0, FRAME_W, FRAME_H);
    }
    destroy_bitmap(sheet);
    return nullptr;
}

void release_runner_frames()
{
    for (BITMAP *&frame : player) {
        if (frame)
            destroy_bitmap(frame);
        frame = nullptr;
    }
}
