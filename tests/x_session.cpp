#include "x_session.h"

#include <X11/extensions/XTest.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <thread>

namespace {
void die_with_parent()
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
}
}  // namespace

bool start_x_session(XSession &x)
{
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    x.server = fork();
    if (x.server == 0) {
        die_with_parent();
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        // With no window manager the keyboard goes to the window under the
        // pointer, which sits at the screen's centre: keep that over the game.
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "800x600x24",
               "-nolisten", "tcp", (char *)nullptr);
        _exit(127);
    }
    close(fds[1]);
    // The server writes the number and then a newline, and dies if the pipe
    // is closed in between: read through to the newline.
    pollfd ready{fds[0], POLLIN, 0};
    char number[16] = {};
    size_t got = 0;
    while (got < sizeof number - 1 && !std::strchr(number, '\n') && poll(&ready, 1, 10000) == 1
           && read(fds[0], number + got, 1) == 1)
        ++got;
    close(fds[0]);
    x.display = std::string(":") + std::to_string(atoi(number));
    x.connection = number[0] ? XOpenDisplay(x.display.c_str()) : nullptr;
    return x.connection != nullptr;
}

void stop_x_session(XSession &x)
{
    if (x.connection)
        XCloseDisplay(x.connection);
    if (x.server > 0) {
        kill(x.server, SIGTERM);
        waitpid(x.server, nullptr, 0);
    }
    x = XSession{};
}

GameRun start_game(const std::string &folder, const char *display)
{
    int fds[2];
    GameRun run;
    if (pipe(fds) != 0)
        return run;
    run.pid = fork();
    if (run.pid == 0) {
        die_with_parent();
        dup2(fds[1], STDERR_FILENO);
        close(fds[0]);
        display ? setenv("DISPLAY", display, 1) : unsetenv("DISPLAY");
        if (chdir(folder.c_str()) == 0)
            execl(GAME_PATH, "quorvelin", (char *)nullptr);
        _exit(127);
    }
    close(fds[1]);
    run.stderr_fd = fds[0];
    return run;
}

int wait_for_exit(GameRun &run, std::chrono::milliseconds timeout)
{
    int status = 0;
    const bool ended = wait_until([&] { return waitpid(run.pid, &status, WNOHANG) == run.pid; },
                                  timeout);
    if (!ended) {
        kill(run.pid, SIGKILL);
        waitpid(run.pid, &status, 0);
    }
    run.pid = 0;
    return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string read_stderr(GameRun &run)
{
    std::string text;
    char chunk[512];
    ssize_t got;
    while ((got = read(run.stderr_fd, chunk, sizeof chunk)) > 0)
        text.append(chunk, got);
    close(run.stderr_fd);
    return text;
}

std::string make_folder()
{
    char name[] = "/tmp/quorvelin-test-XXXXXX";
    return mkdtemp(name) ? name : "";
}

void copy_file(const std::string &from, const std::string &to)
{
    std::ofstream(to, std::ios::binary) << std::ifstream(from, std::ios::binary).rdbuf();
}

bool wait_until(const std::function<bool()> &condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::vector<unsigned> grab_window(XSession &x, int top, int bottom)
{
    // With no window manager the game's window sits at the screen's top left.
    XImage *image = XGetImage(x.connection, DefaultRootWindow(x.connection), 0, top, 640,
                              bottom - top, AllPlanes, ZPixmap);
    std::vector<unsigned> pixels(640 * (bottom - top));
    if (!image)
        return pixels;
    for (int y = 0; y < bottom - top; ++y)
        for (int x0 = 0; x0 < 640; ++x0)
            pixels[y * 640 + x0] = XGetPixel(image, x0, y) & 0xffffff;
    XDestroyImage(image);
    return pixels;
}

void press_key(XSession &x, unsigned long keysym, bool down)
{
    XTestFakeKeyEvent(x.connection, XKeysymToKeycode(x.connection, keysym), down, CurrentTime);
    XFlush(x.connection);
}

void tap_key(XSession &x, unsigned long keysym, std::chrono::milliseconds hold)
{
    press_key(x, keysym, true);
    std::this_thread::sleep_for(hold);
    press_key(x, keysym, false);
}
