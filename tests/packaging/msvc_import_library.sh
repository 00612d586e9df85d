#!/usr/bin/env bash
# Ondavel.def and the MSVC import library Ondavel.lib, read statically:
#   msvc_import_library.sh NM OBJDUMP SYMBOL_PREFIX DEF LIB [EXE]
# - the .def names the DLL and exactly the ten names, undecorated;
# - the .lib defines each name as SYMBOL_PREFIX + name ("_": cdecl on 32-bit
#   x86) and its __imp_ pointer, nothing stdcall-decorated;
# - EXE, an MSVC-target program linked against the .lib, imports the names it
#   calls from Ondavel.dll undecorated, as the DLL exports them.
set -euo pipefail
nm=$1 objdump=$2 prefix=$3 def=$4 lib=$5 exe=${6:-}
status=0
fail() {
  echo "FAIL: $*"
  status=1
}
sorted() { tr ' ' '\n' | sed '/^$/d' | LC_ALL=C sort | xargs; }
same() {  # same WHAT EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    fail "$1"
    echo "  expected: $2"
    echo "  actual:   $3"
  fi
}

all_names=$(echo Ondavel_Construction Ondavel_Destruction Ondavel_Process \
  Ondavel_ACH_LR Ondavel_PhaseLR Ondavel_ArgLR Ondavel_MagLR Ondavel_PhaseNorm \
  Ondavel_FFT_Node Ondavel_FreqNode | sorted)
# The names msvc_consumer.c calls: all but Ondavel_ArgLR.
called_names=$(echo $all_names | tr ' ' '\n' | grep -vx Ondavel_ArgLR | xargs)

grep -qx 'LIBRARY Ondavel.dll' "$def" || fail "$def does not name Ondavel.dll"
same "names in $def" "$all_names" \
  "$(awk '/^EXPORTS/ {on = 1; next} on {print $1}' "$def" | sorted)"

same "code symbols of $lib" \
  "$(for n in $all_names; do echo "$prefix$n"; done | sorted)" \
  "$("$nm" --defined-only "$lib" | awk '$2 == "T" && $3 !~ /^__imp_/ {print $3}' | sorted)"
same "import pointers of $lib" \
  "$(for n in $all_names; do echo "__imp_$prefix$n"; done | sorted)" \
  "$("$nm" --defined-only "$lib" | awk '$3 ~ /^__imp_/ {print $3}' | sorted)"
decorated=$("$nm" "$lib" "$def" 2>/dev/null | grep '@[0-9]' || true)
[ -z "$decorated" ] || fail "stdcall-decorated names: $decorated"

if [ -n "$exe" ]; then
  same "names $exe imports from Ondavel.dll" "$called_names" \
    "$("$objdump" -p "$exe" |
      awk '/DLL Name:/ {on = ($3 == "Ondavel.dll"); getline; next}
           on && /^$/ {on = 0}
           on && NF >= 3 {print $NF}' | sorted)"
fi

[ $status -eq 0 ] && echo "$def and $lib as expected${exe:+; $exe links by name}"
exit $status
