#!/usr/bin/env bash
# Checks that the 32-bit Windows updater calls the libraries it loads only through the call
# gate (ostrel_call_gate), which survives cdecl and stdcall callees alike. Usage:
#   check-vendor-calls.sh OBJDUMP NM EXE ENGINE_OBJECT...
#
# The functions checked are those of namespace ostrel that the engine objects define (the vendor
# calls are inlined into them; library templates instantiated there are not engine code),
# looked up by name in EXE. Their remaining indirect calls must be C++ member calls: on
# i686 MinGW those pass `this` in %ecx, and %ecx does not survive any call, so the compiler
# writes it before an indirect call only as that argument. An indirect call without such a
# write since the previous call, jump or return (a value put in %ecx and then copied elsewhere
# was something else) is a plain function pointer called directly, which is what the gate
# exists to prevent.
set -euo pipefail
objdump=$1 nm=$2 exe=$3
shift 3
functions=$("$nm" --defined-only "$@" |
  awk '$2 ~ /^[Tt]$/ && $3 ~ /^_*ZN?K?6ostrel/ { print $3 }' | sort -u)
if [ -z "$functions" ]; then
  echo "$exe: no engine functions found in $*" >&2
  exit 1
fi
"$objdump" -d --no-show-raw-insn "$exe" | awk -v list="$functions" -v exe="$exe" '
  BEGIN { n = split(list, names, "\n"); for (i = 1; i <= n; i++) wanted["<" names[i] ">:"] = 1 }
  /^[0-9a-f]+ <.*>:$/ { inside = ($2 in wanted); if (inside) { seen++; name = $2 } count = 0; next }
  !inside || !/^ *[0-9a-f]+:\t/ { next }
  {
    line[++count] = $0
    if ($0 ~ /\tcall +[0-9a-f]+ <ostrel_call_gate>/) { gated++; if (!example) example = name; next }
    if ($0 !~ /\tcall +\*/) next
    member = 0
    for (i = count - 1; i >= 1; i--) {
      if (line[i] ~ /\t(call|jmp|ret)/) break
      if (line[i] ~ /\t(test|cmp)[a-z]* /) continue
      if (line[i] ~ /,%ecx$/ || line[i] ~ /\tpop +%ecx$/) { member = 1; break }
      # %ecx copied out or counted down by a string instruction: it carried something else.
      if (line[i] ~ /\t[a-z]+ +%(ecx|cx|cl|ch),/ || line[i] ~ /\t(push +%ecx$|rep)/) break
    }
    if (!member) { print exe ": a call past the gate in " name "\n" $0 > "/dev/stderr"; stray++ }
  }
  END {
    if (seen == 0) fail = "the engine functions are missing from the image"
    else if (gated == 0) fail = "no call through ostrel_call_gate in the engines"
    if (fail != "") { print exe ": " fail > "/dev/stderr"; exit 1 }
    printf "%s: %d engine functions, %d calls through the gate, %d past it\n",
           exe, seen, gated, stray + 0
    exit stray > 0
  }'
