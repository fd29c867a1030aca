#pragma once
// The system asking the program to end: SIGTERM (logout, shutdown), SIGHUP (its terminal
// or session went), SIGINT (Ctrl+C). Left to their default, these end the process at once
// and the child's colouring is lost; taken here, they end it through the program's own
// orderly way, from the event loop.

#include <functional>

namespace vb {

// From now on each of these signals runs `end` with the signal's number: on the thread
// that called this, from whatever event loop runs there (a modal window's and a dialog's
// too), and once only: signals that come later, also while `end` runs, do nothing. A
// signal the program was started with ignored (nohup, a job in the background of a
// script) stays ignored. Calling this again replaces `end` and takes the next signal
// again. False when the signals could not be taken; they keep their default then.
bool InstallEndSignalHandlers(std::function<void(int signal)> end);

// "SIGTERM", "SIGHUP", "SIGINT", or "signal N" for any other.
const char* SignalName(int signal);

} // namespace vb
