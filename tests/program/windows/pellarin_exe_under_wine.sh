#!/bin/sh
# Runs Pellarin.exe whole under wine: without a console (no wait, the console
# text, the report), with a report it cannot write, killed halfway, and on a
# pseudo-terminal, which wine turns into a Windows console (the prompt waits
# for one key read from CONIN$).
#
#   pellarin_exe_under_wine.sh <folder holding Pellarin.exe and the DLL>
#
# WINE64 names the wine loader (default: /usr/lib/wine/wine64, or wine64 on
# the path).  WINEPREFIX defaults to .wine-prefix in that folder; a missing
# prefix is created first (some 30 s), under a lock and marked with .ready,
# so runs sharing a prefix create it once.  Exits 77 when there is no wine.
# Every run is bounded by a timeout, so a run that waits when it should not
# fails instead of hanging.
set -eu

[ $# -eq 1 ] || { echo "usage: $0 <folder with Pellarin.exe>" >&2; exit 2; }
bin=$(cd "$1" && pwd)
exe=$bin/Pellarin.exe
[ -f "$exe" ] || { echo "no $exe" >&2; exit 2; }
wine=${WINE64:-/usr/lib/wine/wine64}
[ -x "$wine" ] || wine=$(command -v wine64 || true)
[ -n "$wine" ] && [ -x "$wine" ] || { echo "SKIP: no wine64 found" >&2; exit 77; }
export WINEPREFIX="${WINEPREFIX:-$bin/.wine-prefix}" WINEDEBUG=-all WINEARCH=win64
# No Mono or Gecko installer prompts, no menu entries, no windows.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
work=$(mktemp -d "${TMPDIR:-/tmp}/pellarin-wine-XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

if [ ! -f "$WINEPREFIX/.ready" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  timeout -k 10 600 flock "$WINEPREFIX.lock" sh -c \
    '[ -f "$WINEPREFIX/.ready" ] ||
     { "$1" wineboot --init && touch "$WINEPREFIX/.ready"; }' \
    create "$wine" >/dev/null 2>&1 </dev/null ||
    { echo "cannot create the wine prefix $WINEPREFIX" >&2; exit 1; }
fi

# Runs Pellarin.exe in folder $1 with no terminal anywhere: a session of its
# own, input from /dev/null, output to files.  Sets $status.
run_without_console() {
  status=0
  (cd "$1" && timeout -k 10 300 setsid -w "$wine" "$exe" \
    </dev/null >console.out 2>errors.out) || status=$?
}

# The 26 console lines with CR LF line ends, the prompt last without one;
# prints the 17 figures joined by commas.
figures_of_console() {
  tr -d '\r' <"$1" | awk -v rule=" $(printf '=%.0s' $(seq 48))" '
    function bad(what) { print "console: " what > "/dev/stderr"; failed = 1 }
    { line[NR] = $0 }
    END {
      if (NR != 26) bad(NR " lines")
      if (line[1] != "" || line[2] != rule || line[4] != rule) bad("banner")
      if (index(line[3], " = Pellarin (44100 kHz, Stereo), ") != 1) bad("line 3")
      if (line[5] != " Data windows: from 4 to 262144 (Nuttall tap.w.)") bad("line 5")
      if (line[6] != " Realtime perfomance meter..." || line[7] != "") bad("line 6/7")
      for (k = 1; k <= 17; k++) {
        n = 2 ^ (k + 1)
        if (line[7 + k] !~ ("^ [1-9][0-9]* \\(window " n "\\)$")) bad("length line " line[7 + k])
        split(line[7 + k], word, " ")
        joined = joined (k > 1 ? "," : "") word[1]
      }
      if (line[25] != "" || line[26] != " Press any key to continue...") bad("prompt")
      if (failed) exit 1
      print joined
    }'
}

entries() { (cd "$1" && ls -A | grep -v '\.out$' | tr '\n' ' '); }

# Without a console: no wait, every line, the report replaced, exit 0.
dir=$work/plain && mkdir "$dir"
printf 'an earlier report, longer than the new one will be' >"$dir/Pellarin.txt"
run_without_console "$dir"
[ "$status" -eq 0 ] || fail "without a console: exit status $status"
[ -s "$dir/errors.out" ] && fail "without a console: $(cat "$dir/errors.out")"
if figures=$(figures_of_console "$dir/console.out"); then
  [ "$(cat "$dir/Pellarin.txt")" = "$figures" ] ||
    fail "report $(cat "$dir/Pellarin.txt") against console $figures"
else
  fail "without a console: console text"
fi
[ "$(entries "$dir")" = "Pellarin.txt " ] || fail "left behind: $(entries "$dir")"

# A folder in the report's place: told on standard error, exit 1, the run
# complete, nothing left behind.
dir=$work/blocked && mkdir -p "$dir/Pellarin.txt"
run_without_console "$dir"
[ "$status" -eq 1 ] || fail "blocked report: exit status $status"
grep -q 'cannot write the report "Pellarin.txt"' "$dir/errors.out" ||
  fail "blocked report: message $(cat "$dir/errors.out")"
figures_of_console "$dir/console.out" >/dev/null || fail "blocked report: console"
[ "$(entries "$dir")" = "Pellarin.txt " ] || fail "left behind: $(entries "$dir")"

# Killed once the second length is out: the earlier report stays whole.
dir=$work/killed && mkdir "$dir"
printf '12,34' >"$dir/Pellarin.txt"
(cd "$dir" && exec setsid -w "$wine" "$exe" </dev/null >console.out 2>errors.out) &
pid=$!
tries=0
until grep -q '(window 8)' "$dir/console.out" 2>/dev/null || [ $tries -ge 600 ]; do
  sleep 0.1
  tries=$((tries + 1))
done
kill -KILL "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
grep -q '(window 8)' "$dir/console.out" || fail "killed run: no output in 60 s"
grep -q '(window 262144)' "$dir/console.out" && fail "killed run: ended before the kill"
[ "$(cat "$dir/Pellarin.txt")" = "12,34" ] || fail "killed run: report $(cat "$dir/Pellarin.txt")"

# On a pseudo-terminal: the prompt waits, and a letter, a function key (no
# character) or Ctrl+C ends the wait with status 0.  Keys typed during the
# run are not tried: wine's terminal console hands them to the wait even
# after FlushConsoleInputBuffer, unlike a Windows console.
python3 - "$wine" "$exe" "$work" <<'PY' || failures=$((failures + 1))
import os, pty, re, select, signal, sys, time

wine, exe, work = sys.argv[1:4]
ESCAPE = re.compile(rb"\x1b\[[0-?]*[ -/]*[@-~]|\x1b[()][0-9A-Za-z]|\x1b[=>]")


def text_of(screen):
    # wine's console draws on the terminal with cursor moves in place of
    # some spaces, so compare without escapes and white space.
    return re.sub(rb"\s", b"", ESCAPE.sub(b"", screen))


class Run:
    def __init__(self, folder):
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            os.chdir(folder)
            os.execv(wine, [wine, exe])
        self.screen = b""
        self.status = None

    def read_until(self, marker, seconds):
        end = time.monotonic() + seconds
        while marker not in text_of(self.screen) and time.monotonic() < end:
            if select.select([self.fd], [], [], 0.2)[0]:
                try:
                    self.screen += os.read(self.fd, 65536)
                except OSError:
                    break
        return marker in text_of(self.screen)

    def ended_within(self, seconds):
        end = time.monotonic() + seconds
        while self.status is None and time.monotonic() < end:
            pid, status = os.waitpid(self.pid, os.WNOHANG)
            if pid:
                self.status = status
            else:
                self.read_until(b"\0never\0", 0.1)
        return self.status is not None

    def close(self):
        if self.status is None:
            os.kill(self.pid, signal.SIGKILL)
            os.waitpid(self.pid, 0)
        os.close(self.fd)


failures = []
for name, key in (("letter", b"x"), ("F1", b"\x1bOP"), ("CtrlC", b"\x03")):
    folder = os.path.join(work, "console-" + name)
    os.mkdir(folder)
    run = Run(folder)
    try:
        if not run.read_until(b"(window4)", 120):
            failures.append(f"{name}: no first length: {run.screen[-300:]!r}")
            continue
        if not run.read_until(b"Pressanykeytocontinue...", 120):
            failures.append(f"{name}: no prompt: {run.screen[-300:]!r}")
            continue
        if run.ended_within(2):
            failures.append(f"{name}: ended without a key, status {run.status}")
            continue
        os.write(run.fd, key)
        if not run.ended_within(30):
            failures.append(f"{name}: still waiting 30 s after the key")
        elif run.status != 0:
            failures.append(f"{name}: exit status {run.status}")
        report = open(os.path.join(folder, "Pellarin.txt")).read()
        if not re.fullmatch(r"[0-9]+(,[0-9]+){16}", report):
            failures.append(f"{name}: report {report!r}")
    finally:
        run.close()
for failure in failures:
    print("FAIL: on a console:", failure, file=sys.stderr)
sys.exit(1 if failures else 0)
PY

[ "$failures" -eq 0 ] && echo "Pellarin.exe under wine: all runs as expected"
exit $((failures > 0))
