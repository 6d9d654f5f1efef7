#pragma once
#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <vector>

// Drives the real game on the X server that DISPLAY names: keys pressed
// through XTEST, the window read back.
struct GameRun {
    std::string folder;       // its working folder, which also gets its stderr and pid
    std::future<int> status;  // its exit status, once it has ended
};

// A fresh folder holding a copy of the sheet at sheet_path.
std::string make_game_folder(const std::string &sheet_path);
// Starts the game, or another program that starts it, in folder, under env's
// settings (as for env(1)).
GameRun start_game(const std::string &folder, const std::string &env = "", const std::string &program = GAME_PATH);
// The game's exit status, or -1 after killing it when it did not end in time.
int wait_for_exit(GameRun &run, std::chrono::milliseconds timeout);
std::string read_file(const std::string &path);

bool wait_until(const std::function<bool()> &condition, std::chrono::milliseconds timeout);
// 0xRRGGBB pixels of the game's 640x480 window, rows top to bottom - 1.
std::vector<unsigned> grab_window(int top = 0, int bottom = 480);
void press_key(unsigned long keysym, bool down);
void tap_key(unsigned long keysym, std::chrono::milliseconds hold = std::chrono::milliseconds(120));
