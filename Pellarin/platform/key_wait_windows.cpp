// The key is read from the console's own input buffer (CONIN$), so a
// redirected standard input does not matter; the console's mode is restored
// afterwards, also when Ctrl+Break or a close ends the program in the wait.
#include <windows.h>

#include "platform/key_wait.h"

namespace pellarin::platform {

namespace {

// Shared with the control handler, which runs on a thread of its own.
HANDLE volatile g_console = INVALID_HANDLE_VALUE;
DWORD g_saved_mode = 0;

BOOL WINAPI RestoreModeOnControlEvent(DWORD) {
  const HANDLE console = g_console;
  if (console != INVALID_HANDLE_VALUE) SetConsoleMode(console, g_saved_mode);
  // Not handled here: the next handler, in the end the default one, ends
  // the process.
  return FALSE;
}

// Shift, Ctrl, Alt, the Windows keys and the lock keys send nothing of their
// own; they only change what another key sends.
bool IsModifierAlone(WORD virtual_key) {
  switch (virtual_key) {
    case 0:
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_LSHIFT:
    case VK_RSHIFT:
    case VK_LCONTROL:
    case VK_RCONTROL:
    case VK_LMENU:
    case VK_RMENU:
    case VK_LWIN:
    case VK_RWIN:
    case VK_CAPITAL:
    case VK_NUMLOCK:
    case VK_SCROLL:
      return true;
    default:
      return false;
  }
}

// A key-down with a character, or a key such as F1 or cursor up that has a
// key code but no character.  Key-ups, modifiers alone, mouse, focus, menu
// and buffer-size events do not count.
bool EndsTheWait(const INPUT_RECORD& record) {
  if (record.EventType != KEY_EVENT) return false;
  const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
  if (!key.bKeyDown) return false;
  return key.uChar.UnicodeChar != 0 || !IsModifierAlone(key.wVirtualKeyCode);
}

void RestoreAndRelease() {
  const HANDLE console = g_console;
  if (console == INVALID_HANDLE_VALUE) return;
  SetConsoleMode(console, g_saved_mode);
  // The key's release and anything typed with it stay out of the next
  // program's input, as on a terminal.
  FlushConsoleInputBuffer(console);
  g_console = INVALID_HANDLE_VALUE;
  SetConsoleCtrlHandler(RestoreModeOnControlEvent, FALSE);
  CloseHandle(console);
}

}  // namespace

void PrepareKeyWait() {
  if (g_console != INVALID_HANDLE_VALUE) return;
  // Read and write access: setting the mode and flushing the buffer need
  // both.  Fails when the process has no console (detached, or a service).
  const HANDLE console = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
  if (console == INVALID_HANDLE_VALUE) return;
  DWORD mode = 0;
  if (!GetConsoleMode(console, &mode)) {
    CloseHandle(console);
    return;
  }
  g_saved_mode = mode;
  g_console = console;
  SetConsoleCtrlHandler(RestoreModeOnControlEvent, TRUE);
  // Every input mode off: no line editing, no echo, and Ctrl+C arrives as a
  // key instead of ending the program.
  if (!SetConsoleMode(console, 0)) {
    RestoreAndRelease();
    return;
  }
  // Keys typed during the run do not count: the wait is for a key pressed
  // once the prompt is there.  Flushed after the mode change, since a
  // console may hold keys in its line editor until line input is off.
  FlushConsoleInputBuffer(console);
}

void WaitForKey() {
  const HANDLE console = g_console;
  if (console == INVALID_HANDLE_VALUE) return;
  for (;;) {
    INPUT_RECORD record;
    DWORD count = 0;
    if (!ReadConsoleInputW(console, &record, 1, &count) || count == 0) break;
    if (EndsTheWait(record)) break;
  }
  RestoreAndRelease();
}

}  // namespace pellarin::platform
