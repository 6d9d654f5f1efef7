#pragma once
// Drives the real game on the X server that DISPLAY names: keys pressed
// through XTEST, the window read back.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <execinfo.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// Should the harness itself crash, it says on which signal and where, then
// dies of it as before: a crash once in thirty runs had left no trace.
inline const int CRASH_FRAMES = 64;
inline void report_crash(int signal_number)
{
    const char *said[] = {"x_session: the harness itself crashed on SIG", sigabbrev_np(signal_number), ", in:\n"};
    for (const char *part : said)
        write(STDERR_FILENO, part, std::strlen(part));
    void *frames[CRASH_FRAMES];
    backtrace_symbols_fd(frames, backtrace(frames, CRASH_FRAMES), STDERR_FILENO);
    raise(signal_number);  // taken with the default action as the handler returns
}
inline const bool crash_reported = [] {
    void *first[1];
    backtrace(first, 1);  // loads its unwinder now, not in the handler
    struct sigaction report {};
    report.sa_handler = report_crash;
    report.sa_flags = SA_RESETHAND;
    for (const int signal_number : {SIGSEGV, SIGBUS, SIGILL, SIGFPE})
        sigaction(signal_number, &report, nullptr);
    return true;
}();

// Xlib's keyboard extension reloads its keymap at the first key after the
// server's keyboard takes the XTEST device's, as the journey begins, and were
// the reload to fail, it would read through the null map it left. The core
// keymap, read once, gives the same keycodes.
inline Display *const x_server = (XkbIgnoreExtension(True), XOpenDisplay(nullptr));
// Without it every X call below would crash: the harness says so and stops.
inline const bool x_server_opened =
    x_server || (std::fputs("x_session: cannot open the X display\n", stderr), std::exit(1), false);
// The game's window can go between finding it and using it; that is no error here.
inline const auto ignore_x_errors = XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });

// A fresh folder holding a copy of the sheet at sheet_path, removed when the
// harness exits, also after a test that stopped early.
inline std::string make_game_folder(const std::string &sheet_path)
{
    static std::vector<std::string> made;
    if (made.empty())  // what cannot be removed at exit is left, not an abort
        std::atexit([] { std::error_code left; for (const std::string &f : made) std::filesystem::remove_all(f, left); });
    char name[] = "/tmp/quorvelin-test-XXXXXX";
    std::filesystem::copy_file(sheet_path, made.emplace_back(mkdtemp(name)) + "/quorvelin.bmp");
    return name;
}

// What QUORVELIN_GAME names, or the build's game. Windows games run under the
// Wine prefix that the test's environment names; a .exe is started through Wine.
// Games for another processor run under qemu, with the libraries under the
// root that QEMU_LD_PREFIX names.
inline const std::string game_program = std::getenv("QUORVELIN_GAME") ? std::getenv("QUORVELIN_GAME") : GAME_PATH;
inline const bool game_is_windows = std::getenv("WINEPREFIX");
inline const bool game_is_emulated = std::getenv("QEMU_LD_PREFIX");

// Starts the game in folder, with its stderr going to the file "stderr"
// there, and without the variable unset names in its environment. The game
// dies with the test, also when one stops early.
inline pid_t start_game(const std::string &folder, const char *unset = "")
{
    const char *program = game_program.c_str();
    const bool through_wine = std::filesystem::path(program).extension() == ".exe";
    const pid_t game = fork();
    if (game == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if ((!*unset || unsetenv(unset) == 0) && chdir(folder.c_str()) == 0 && std::freopen("stderr", "w", stderr))
            through_wine ? execlp("wine", "wine", program, nullptr) : execl(program, program, nullptr);
        _exit(127);
    }
    if (game < 0) {  // as a game, -1 would have wait_for_exit reap and kill any process
        std::perror("x_session: cannot start the game");
        std::exit(1);
    }
    return game;
}

inline bool wait_until(const std::function<bool()> &condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (; !condition(); std::this_thread::sleep_for(std::chrono::milliseconds(5)))
        if (std::chrono::steady_clock::now() > deadline)
            return false;
    return true;
}

// The game's exit status, or -1 after killing it when it did not end in time.
inline int wait_for_exit(pid_t game, std::chrono::milliseconds timeout)
{
    int status = -1;
    if (!wait_until([&] { return waitpid(game, &status, WNOHANG) == game; }, timeout))
        kill(game, SIGKILL);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The game's window, or 0: with no window manager, a viewable child of the
// root named "quorvelin", wherever it was put. The one found last is tried
// first, as a search asks the server about each of Wine's many windows.
inline Window game_window(XWindowAttributes &where)
{
    static Window last = 0;
    if (last && XGetWindowAttributes(x_server, last, &where) && where.map_state == IsViewable && where.width == 640)
        return last;
    Window root, parent, *children, found = 0;
    unsigned count;
    if (!XQueryTree(x_server, DefaultRootWindow(x_server), &root, &parent, &children, &count))
        return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        char *name = nullptr;
        if (XFetchName(x_server, children[i], &name) && std::string(name) == "quorvelin"
            && XGetWindowAttributes(x_server, children[i], &where) && where.map_state == IsViewable)
            found = children[i];
        XFree(name);
    }
    XFree(children);
    return last = found;
}

// 0xRRGGBB pixels of the game's 640x480 window, rows top to bottom - 1;
// black while there is no window. Wine fills the byte above the colour.
inline std::vector<unsigned> grab_window(int top = 0, int bottom = 480)
{
    std::vector<unsigned> pixels(640 * (bottom - top));
    XWindowAttributes where;
    XImage *image = game_window(where) ? XGetImage(x_server, DefaultRootWindow(x_server), where.x, where.y + top,
                                                   640, bottom - top, AllPlanes, ZPixmap) : nullptr;
    for (size_t i = 0; image && i < pixels.size(); ++i)
        pixels[i] = ((unsigned *)image->data)[i] & 0xffffff;
    if (image)
        XDestroyImage(image);
    return pixels;
}

// With no window manager nothing gives Wine's window the keyboard, so a key
// gives it the focus first if it has not.
inline void press_key(unsigned long keysym, bool down)
{
    XWindowAttributes where;
    Window window = game_window(where), focused;
    int revert;
    XGetInputFocus(x_server, &focused, &revert);
    if (window && focused != window)
        XSetInputFocus(x_server, window, RevertToPointerRoot, CurrentTime);
    XTestFakeKeyEvent(x_server, XKeysymToKeycode(x_server, keysym), down, CurrentTime);
    XFlush(x_server);
}

// Closes the game's connection to the X server, as the server going away would.
inline void cut_game_off_display()
{
    XWindowAttributes where;
    if (const Window window = game_window(where)) {
        XKillClient(x_server, window);
        XFlush(x_server);
    }
}
