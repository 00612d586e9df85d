#ifndef PELLARIN_PLATFORM_KEY_WAIT_H_
#define PELLARIN_PLATFORM_KEY_WAIT_H_

namespace pellarin::platform {

// The closing "press any key": one key press read from the terminal itself,
// not from standard input, without echo and with control keys read as plain
// keys (Ctrl+C ends the wait like any other key).
//
// Waits only when standard input is a terminal and the program has one to
// read; a run from a file, a pipe, cron or CI ends at once.

// Switches the terminal to single-key input and drops keys typed before the
// prompt.  A termination signal from here until the wait is over restores
// the terminal's mode before the program ends.
void PrepareKeyWait();

// Takes one key press, the whole of it when a key sends several bytes
// (cursor and function keys, non-ASCII characters), and restores the mode
// the terminal had before.  Returns at once when there was no terminal.
void WaitForKey();

}  // namespace pellarin::platform

#endif  // PELLARIN_PLATFORM_KEY_WAIT_H_
