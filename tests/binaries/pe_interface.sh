#!/usr/bin/env bash
# The Windows binaries' interface as their PE headers state it:
#   pe_interface.sh OBJDUMP NM SYMBOL_PREFIX DLL IMPORT_LIBRARY [EXE]
# - the DLL exports exactly the ten C names, undecorated;
# - its import library defines them as SYMBOL_PREFIX + name ("_" on 32-bit
#   x86, where C names carry it), never with an "@n" (stdcall) suffix;
# - the DLL and the program import from system DLLs only (no runtime DLL of
#   the compiler travels with them);
# - the program imports exactly its five names from Ondavel.dll.
set -euo pipefail
objdump=$1 nm=$2 prefix=$3 dll=$4 implib=$5 exe=${6:-}
status=0
fail() {
  echo "FAIL: $*"
  status=1
}
same() {  # same WHAT EXPECTED ACTUAL (space-separated, sorted)
  if [ "$2" != "$3" ]; then
    fail "$1"
    echo "  expected: $2"
    echo "  actual:   $3"
  fi
}
sorted() { tr ' ' '\n' | sed '/^$/d' | LC_ALL=C sort | xargs; }

all_names="Ondavel_Construction Ondavel_Destruction Ondavel_Process
  Ondavel_ACH_LR Ondavel_PhaseLR Ondavel_ArgLR Ondavel_MagLR Ondavel_PhaseNorm
  Ondavel_FFT_Node Ondavel_FreqNode"
program_names="Ondavel_Construction Ondavel_Process Ondavel_ACH_LR
  Ondavel_PhaseLR Ondavel_Destruction"
system_dll='^(kernel32|msvcrt|ucrtbase|ntdll|user32|advapi32|api-ms-win-[a-z0-9-]+)\.dll$'

# Names in the export name table: lines "[   n] Name" after its heading.
exports=$("$objdump" -p "$dll" |
  awk '/^\[Ordinal\/Name Pointer\] Table/ {on = 1; next}
       on && /^$/ {on = 0}
       on {print $NF}' | sorted)
same "exports of $dll" "$(echo $all_names | sorted)" "$exports"

# Symbols of the import library: the code stub and the __imp_ pointer of
# every export, nothing decorated.
stubs=$("$nm" --defined-only "$implib" | awk '$2 == "T" {print $3}' | sorted)
same "code symbols of $implib" \
  "$(for n in $all_names; do echo "$prefix$n"; done | xargs | sorted)" "$stubs"
pointers=$("$nm" --defined-only "$implib" | awk '$2 == "I" {print $3}' |
  grep '^__imp_' | sorted)
same "import pointers of $implib" \
  "$(for n in $all_names; do echo "__imp_$prefix$n"; done | xargs | sorted)" \
  "$pointers"
decorated=$("$nm" "$implib" | grep '@[0-9]' || true)
if [ -n "$decorated" ]; then
  fail "$implib has stdcall-decorated names:"
  echo "$decorated"
fi

# Imported DLLs, and the names imported from one of them.
imported_dlls() {
  "$objdump" -p "$1" | awk '/DLL Name:/ {print $3}'
}
names_from() {  # names_from FILE DLL
  "$objdump" -p "$1" |
    awk -v dll="$2" '/DLL Name:/ {on = ($3 == dll); getline; next}
                     on && /^$/ {on = 0}
                     on && NF >= 3 {print $NF}' | sorted
}
check_imports() {  # check_imports FILE ALLOWED_EXTRA_DLL
  for imported in $(imported_dlls "$1"); do
    [ "$imported" = "$2" ] && continue
    grep -qiE "$system_dll" <<<"$imported" ||
      fail "$1 imports from $imported, which is not a system DLL"
  done
}
check_imports "$dll" ""
if [ -n "$exe" ]; then
  check_imports "$exe" "Ondavel.dll"
  same "names $exe imports from Ondavel.dll" \
    "$(echo $program_names | sorted)" "$(names_from "$exe" Ondavel.dll)"
fi

[ $status -eq 0 ] && echo "interface of $dll${exe:+ and $exe} as expected"
exit $status
