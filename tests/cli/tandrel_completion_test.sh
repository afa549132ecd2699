#!/usr/bin/env bash
# The bash completion of tandrel driven as bash drives it (COMP_WORDS, COMP_CWORD, COMP_LINE,
# COMP_POINT, then the function `complete -p tandrel` names) with the simulation kit's tandrel
# on PATH: commands and their words, options by command, setting names readable or writable,
# files, and the kit camera's handle for --device, escaped so that the shell reads it back as
# the handle `tandrel list` shows; with no camera, nothing.
#
# usage: tandrel_completion_test.sh <completion script> <simulation kit> <work folder>
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 <completion script> <simulation kit> <work folder>" >&2; exit 2; }
script=$(realpath "$1") kit=$(realpath "$2") work=$(realpath -m "$3")
rm -rf "$work"
mkdir -p "$work/files/flashes"
cp -r "$kit" "$work/kit"
cp -r "$kit" "$work/empty-kit"
printf '[World]\n' >"$work/empty-kit/simcam.ini"
: >"$work/files/zel.bin"
cd "$work/files"

source "$script"
function=$(complete -p tandrel | sed -n 's/.*-F \([^ ]*\) .*/\1/p')
[ -n "$function" ] || { echo "FAIL: $script registers no function for tandrel"; exit 1; }

failures=0 cases=0
# complete <line>: what completing at the end of line offers, one per line, in its order.
complete_line() {
  local line=$1
  COMP_LINE=$line COMP_POINT=${#line}
  read -r -a COMP_WORDS <<<"$line"
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  "$function" tandrel "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}"
}
# check <line> <expected, space-separated> [sorted]
check() {
  local got expected=$2
  got=$(complete_line "$1" 2>&1 | sed '/^$/d')
  [ "${3:-}" = sorted ] && got=$(sort <<<"$got")
  got=$(tr '\n' ' ' <<<"$got" | sed 's/ $//')
  cases=$((cases + 1))
  if [ "$got" = "$expected" ]; then
    printf 'ok    %-34s -> %s\n' "[$1]" "$got"
  else
    printf 'FAIL  %-34s -> %s\n      expected %s\n' "[$1]" "$got" "$expected"
    failures=$((failures + 1))
  fi
}

PATH=$work/kit:$PATH
check "tandrel " "list info get set xu reg pll reset usb-boot flash update events"
check "tandrel fl" "flash"
check "tandrel flash " "read erase write verify"
check "tandrel xu " "get set"
check "tandrel reg " "read write"
check "tandrel usb-boot " ""
check "tandrel get enc" "encoder-frame-size-format encoder-params encoder-gop encoder-quality encoder-profile-and-level encoder-entropy encoder-profile-count encoder-profile encoder-capability-count encoder-stream-caps"
check "tandrel set enc" "encoder-frame-size-format encoder-params encoder-gop encoder-quality encoder-profile-and-level encoder-entropy encoder-key-frame"
check "tandrel set sy" ""
check "tandrel get sy" "system-information"
check "tandrel -d x --json get led" "led-mode led"
check "tandrel get led-mode " ""
check "tandrel --j" "--json"
check "tandrel -" "--device -d --json --quiet -q --yes -y --help -h"
check "tandrel update --" "--device --json --quiet --yes --help --manufacturer --force --dry-run"
check "tandrel update --manufacturer " ""
check "tandrel update --manufacturer NORV z" "zel.bin"
check "tandrel flash read --o" "--output --offset"
check "tandrel update " "flashes zel.bin" sorted
check "tandrel flash write z" "zel.bin"
check "tandrel flash read 0 16 -o " "flashes zel.bin" sorted
check "tandrel flash erase " ""
check "tandrel update zel.bin --offset " ""

handle=$(tandrel list | sed -n 's/^  handle: //p')
escaped=$(printf '%q' "$handle")
check "tandrel --device " "$escaped"
check "tandrel -d ${escaped:0:12}" "$escaped"
check "tandrel info -d /dev/" ""
# What the shell makes of the offered word is the handle itself.
read -r -a words <<<"$(complete_line "tandrel --device ")"
cases=$((cases + 1))
if [ "$(eval "printf '%s' ${words[0]}")" = "$handle" ]; then
  echo "ok    the offered handle reads back as $handle"
else
  echo "FAIL  the offered handle does not read back as $handle"
  failures=$((failures + 1))
fi

PATH=$work/empty-kit:${PATH#*:}
check "tandrel --device " ""

echo "completion: $cases cases, $failures failed"
[ "$failures" = 0 ]
