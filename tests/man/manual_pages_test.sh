#!/usr/bin/env bash
# The manual pages: both lint clean under mandoc (every level, style included) and groff's
# man macros with all warnings, and tandrel(1), rendered, shows every command synopsis, option,
# setting and exit code that `tandrel --help` and each `tandrel COMMAND --help` print.
#
# usage: manual_pages_test.sh <folder with ostrel.1 and tandrel.1> <tandrel>
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 <folder with ostrel.1 and tandrel.1> <tandrel>" >&2; exit 2; }
pages=$1 tandrel=$2
for tool in mandoc groff; do
  command -v "$tool" >/dev/null || { echo "SKIP: no $tool (scripts/install-tools.sh all)"; exit 77; }
done
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for page in "$pages/ostrel.1" "$pages/tandrel.1"; do
  lint=$( { mandoc -T lint -W all "$page"; groff -man -ww -z "$page"; } 2>&1 || true)
  if [ -n "$lint" ]; then
    fail "lint of $page:"$'\n'"$lint"
  else
    echo "lint: $page: no message from mandoc -T lint -W all nor groff -man -ww -z"
  fi
done

# Plain text on lines long enough that nothing the help prints is broken; runs of spaces as one.
rendered=$(groff -man -Tascii -P-cbou -rLL=400n "$pages/tandrel.1" | sed -E 's/^ +//; s/ +/ /g')
shows() { grep -qxF -- "$1" <<<"$rendered"; }
contains() { grep -qF -- "$1" <<<"$rendered"; }

help=$("$tandrel" --help)
commands=$(sed -n '/^Commands:$/,/^$/{ /^  /s/^  //p }' <<<"$help" | sed 's/ | /\n/g')
options() { sed -n '/^Options.*:$/,/^$/{ /^  /s/^  //p }'; }
option_lines=$(options <<<"$help")
for command in $(sed 's/ .*//' <<<"$commands" | sort -u); do
  option_lines+=$'\n'$("$tandrel" "$command" --help | options)
done
settings=$( { "$tandrel" get --help; "$tandrel" set --help; } |
  sed -n '/settings:$/,/^$/{ s/^  \([a-z0-9-]*\) (.*/\1/p }' | sort -u)
codes=$(sed -n '/^Exit codes:/,$p' <<<"$help" | grep -oE '[0-9]+ [a-z]' | cut -d' ' -f1)

checked=0
while IFS= read -r synopsis; do
  shows "$synopsis" || fail "tandrel(1) lacks the synopsis '$synopsis'"
  checked=$((checked + 1))
done <<<"$commands"
while IFS= read -r line; do
  spelling=${line%%  *} text=$(sed -E 's/^[^ ].*[^ ]  +//; s/`//g' <<<"$line")
  shows "$spelling" || contains "$spelling $text" || fail "tandrel(1) lacks the option '$spelling'"
  contains "$text" || fail "tandrel(1) lacks the text of $spelling: '$text'"
  checked=$((checked + 1))
done < <(sort -u <<<"$option_lines")
for setting in $settings; do
  shows "$setting" || contains "$setting " || fail "tandrel(1) lacks the setting $setting"
  checked=$((checked + 1))
done
exit_section=$(sed -n '/^EXIT STATUS$/,/^[A-Z]/p' <<<"$rendered")
for code in $codes; do
  grep -qE "^$code( |$)" <<<"$exit_section" || fail "tandrel(1) lacks exit code $code"
  checked=$((checked + 1))
done
[ "$(grep -cE '^[0-9]+( |$)' <<<"$exit_section")" = "$(wc -w <<<"$codes")" ] ||
  fail "tandrel(1) lists other exit codes than --help: $(echo $codes)"
echo "tandrel(1) against --help: $(wc -l <<<"$commands") synopses, $(sort -u <<<"$option_lines" | wc -l) options," \
  "$(wc -w <<<"$settings") settings, $(wc -w <<<"$codes") exit codes ($checked checks)"
[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
