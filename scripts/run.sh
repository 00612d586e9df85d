#!/usr/bin/env bash
# Builds the optimised library and program, then runs Pellarin in the current
# folder (it writes Pellarin.txt there).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
(cd "$root" && cmake --preset release >/dev/null && cmake --build --preset release)
exec "$root/build/release/bin/Pellarin"
