#!/usr/bin/env bash
# Pellarin's manual page, as installed (gzip'd) or from the source, rendered
# by man -l: no troff warning, and every section a user looks for.
#   manual_page.sh Pellarin.1[.gz]
set -euo pipefail
page=$1
warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || { echo "FAIL: man -l warns:"; echo "$warnings"; exit 1; }
text=$(MANWIDTH=80 man -l "$page" 2>/dev/null | col -b)
status=0
for section in NAME SYNOPSIS DESCRIPTION OUTPUT "EXIT STATUS" ENVIRONMENT \
  FILES EXAMPLES; do
  grep -qx "$section" <<<"$text" || { echo "FAIL: no section $section"; status=1; }
done
# What the page must tell: the report file, the variable, both statuses.
for phrase in Pellarin.txt ONDAVEL_ISA 2147483647 "^ *0 " "^ *1 "; do
  grep -q -- "$phrase" <<<"$text" || { echo "FAIL: nothing matches '$phrase'"; status=1; }
done
[ $status -eq 0 ] && echo "$page renders with every section"
exit $status
