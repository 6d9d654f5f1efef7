#pragma once
#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// A private X server and the game running on it, for tests that look at the
// real window. Children die with the test process, whatever ends it.
struct XSession {
    pid_t server = 0;
    std::string display;
    Display *connection = nullptr;
};

struct GameRun {
    pid_t pid = 0;
    int stderr_fd = -1;
};

bool start_x_session(XSession &x);
void stop_x_session(XSession &x);

// Starts the game in folder; display nullptr runs it with no DISPLAY at all.
GameRun start_game(const std::string &folder, const char *display);
// Waits up to timeout for the game to end; returns its exit status, or -1
// after killing it when it did not end in time.
int wait_for_exit(GameRun &run, std::chrono::milliseconds timeout);
std::string read_stderr(GameRun &run);

std::string make_folder();
void copy_file(const std::string &from, const std::string &to);

bool wait_until(const std::function<bool()> &condition, std::chrono::milliseconds timeout);

// 0xRRGGBB pixels of the game's 640x480 window, rows top to bottom - 1;
// black where nothing could be read.
std::vector<unsigned> grab_window(XSession &x, int top = 0, int bottom = 480);
void press_key(XSession &x, unsigned long keysym, bool down);
void tap_key(XSession &x, unsigned long keysym,
             std::chrono::milliseconds hold = std::chrono::milliseconds(60));
