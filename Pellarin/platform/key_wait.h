#ifndef PELLARIN_PLATFORM_KEY_WAIT_H_
#define PELLARIN_PLATFORM_KEY_WAIT_H_

namespace pellarin::platform {

// The closing "press any key": one key press read from the terminal (the
// console on Windows) itself, not from standard input, without echo and with
// control keys read as plain keys (Ctrl+C ends the wait like any other key).
//
// Waits whenever the program has a terminal, even with standard input from a
// file; without one (a detached session, cron, a service) it ends at once.

// Switches the terminal to single-key input and drops keys typed before the
// prompt.  From here until the wait is over, a termination signal restores
// the terminal's mode before the program ends, and a stop signal restores it
// while the program is stopped (single keys again once it is continued).
void PrepareKeyWait();

// Takes one key press, the whole of it when a key sends several bytes
// (cursor and function keys, non-ASCII characters), and restores the mode
// the terminal had before.  Returns at once when there was no terminal.
void WaitForKey();

}  // namespace pellarin::platform

#endif  // PELLARIN_PLATFORM_KEY_WAIT_H_
