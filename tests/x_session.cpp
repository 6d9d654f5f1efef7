#include "x_session.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace {
Display *const x_server = XOpenDisplay(nullptr);
}  // namespace

std::string make_game_folder(const std::string &sheet_path)
{
    char name[] = "/tmp/quorvelin-test-XXXXXX";
    std::filesystem::copy_file(sheet_path, std::string(mkdtemp(name)) + "/quorvelin.bmp");
    return name;
}

GameRun start_game(const std::string &folder, const std::string &env, const std::string &program)
{
    // Detached, so that a test that stops early does not wait for the game;
    // the game dies with the test.
    const std::string command = "cd " + folder + " && echo $$ >pid && exec setpriv --pdeathsig KILL env " + env
                                + " " + program + " 2>stderr";
    auto exited = std::make_shared<std::promise<int>>();
    std::thread([command, exited] { exited->set_value(WEXITSTATUS(std::system(command.c_str()))); }).detach();
    return {folder, exited->get_future()};
}

int wait_for_exit(GameRun &run, std::chrono::milliseconds timeout)
{
    if (run.status.wait_for(timeout) == std::future_status::ready)
        return run.status.get();
    kill(std::stoi(read_file(run.folder + "/pid")), SIGKILL);
    return run.status.get(), -1;
}

std::string read_file(const std::string &path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool wait_until(const std::function<bool()> &condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition())
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return true;
}

std::vector<unsigned> grab_window(int top, int bottom)
{
    // With no window manager the game's window sits at the screen's top left.
    std::vector<unsigned> pixels(640 * (bottom - top));
    XImage *image = XGetImage(x_server, DefaultRootWindow(x_server), 0, top, 640, bottom - top, AllPlanes, ZPixmap);
    for (size_t i = 0; image && i < pixels.size(); ++i)
        pixels[i] = XGetPixel(image, i % 640, i / 640) & 0xffffff;
    if (image)
        XDestroyImage(image);
    return pixels;
}

void press_key(unsigned long keysym, bool down)
{
    XTestFakeKeyEvent(x_server, XKeysymToKeycode(x_server, keysym), down, CurrentTime);
    XFlush(x_server);
}

void tap_key(unsigned long keysym, std::chrono::milliseconds hold)
{
    press_key(keysym, true);
    std::this_thread::sleep_for(hold);
    press_key(keysym, false);
}
