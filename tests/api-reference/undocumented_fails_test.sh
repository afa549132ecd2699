#!/usr/bin/env bash
# The API reference fails on what it does not document: Doxygen, with the build's Doxyfile,
# on copies of tandrel.h that each lose one piece of documentation (an export's, a result
# code's, a record field's) or gain an undocumented export, must fail and name it; on the
# header itself it must pass without a warning.
#
# usage: undocumented_fails_test.sh <Doxyfile> <tandrel.h> <work folder>
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 <Doxyfile> <tandrel.h> <work folder>" >&2; exit 2; }
doxyfile=$1 header=$2 work=$3
rm -rf "$work"
mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# reference <header copy>: Doxygen's exit code; its warnings land in $work/warnings.txt.
reference() {
  { cat "$doxyfile"
    echo "INPUT = $1"
    echo "USE_MDFILE_AS_MAINPAGE ="
    echo "OUTPUT_DIRECTORY = $work/out"
    echo "WARN_LOGFILE = $work/warnings.txt"; } | doxygen - >/dev/null 2>&1
}

code=0
reference "$header" || code=$?
[ "$code" = 0 ] && [ ! -s "$work/warnings.txt" ] ||
  fail "the header itself: exit $code, $(wc -l <"$work/warnings.txt") warning(s)"
echo "tandrel.h: exit $code, $(wc -l <"$work/warnings.txt") warnings"

# case <name> <what the warning names> <perl substitution>
case_() {
  local name=$1 named=$2 edit=$3 copy="$work/$1/tandrel.h"
  mkdir -p "$work/$name"
  perl -0777 -pe "$edit" "$header" >"$copy"
  cmp -s "$header" "$copy" && { fail "$name: the edit changed nothing"; return; }
  code=0
  reference "$copy" || code=$?
  if [ "$code" != 0 ] && grep -q "$named.*is not documented" "$work/warnings.txt"; then
    echo "ok: $name: exit $code, $(grep -m1 "$named" "$work/warnings.txt" | sed 's/.*error: //')"
  else
    fail "$name: exit $code, warnings: $(cat "$work/warnings.txt")"
  fi
}
case_ export 'ZelFlashRead' 's{/\*\*(?:(?!\*/).)*\*/\n(TANDREL_API int ZelFlashRead\()}{$1}s'
case_ result-code 'ZEL_E_NOT_FOUND' 's{/\*\*(?:(?!\*/).)*\*/\n(#define ZEL_E_NOT_FOUND )}{$1}s'
case_ record 'ZelStreamCaps' 's{/\*\* One encoder stream capability[^\n]*\n}{}'
case_ record-field 'seventh' 's{(uint8_t seventh;) +/\*\*<[^\n]*}{$1}'
case_ new-export 'ZelNewExport' 's{(TANDREL_API int ZelReset\(void\);\n)}{$1TANDREL_API int ZelNewExport(void);\n}'

[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
