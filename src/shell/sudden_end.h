#pragma once

// Ends the game at once, without the library's shutdown, when it is stopped
// by a signal (Ctrl-C, SIGTERM, SIGHUP, SIGQUIT: status 128 + its number) or
// its display goes away (one line on stderr, status 1). Call it once the
// library has started, since the library installs signal handlers of its own.
void end_at_once_when_cut_off();
