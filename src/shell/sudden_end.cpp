#include "sudden_end.h"

#include <X11/Xlib.h>
#include <signal.h>
#include <unistd.h>

// The library's own handlers run its whole shutdown inside the signal handler,
// and Xlib's fatal-error path calls exit() on whichever thread met the error,
// while the library may hold its locks: its exit-time shutdown then freezes or
// crashes. The game writes nothing and its window goes with the X connection,
// so ending at once loses nothing.
// A write to a closed X connection raises SIGPIPE, which would kill the game
// before Xlib could report the lost display: ignored, the write fails instead.
namespace {
const int SIGNAL_STATUS_BASE = 128;
const int DISPLAY_LOST_STATUS = 1;
const int STOPPING_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void end_on_signal(int number)
{
    _exit(SIGNAL_STATUS_BASE + number);
}

int end_on_lost_display(Display *)
{
    const char line[] = "quorvelin: the display closed, so the game has ended\n";
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, line, sizeof line - 1);
    _exit(DISPLAY_LOST_STATUS);
}
}  // namespace

void end_at_once_when_cut_off()
{
    struct sigaction action = {};
    action.sa_handler = end_on_signal;
    for (int number : STOPPING_SIGNALS)
        sigaction(number, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
    XSetIOErrorHandler(end_on_lost_display);
}
