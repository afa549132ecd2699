#!/usr/bin/env bash
# Checks shipped Windows binaries for calls that can only crash: a weak reference left
# unresolved (it reads as address 0) and a direct call or jump whose target lies outside
# every code section of the image. Usage: check-windows-binary.sh OBJDUMP NM FILE...
#
# The static C++ runtime carries transactional-memory clones of its exception classes
# (_ZGTt*, _txnal_*) that call the libitm runtime through weak references; only code built
# with -fgnu-tm can reach them, and nothing here is, so they and their libitm names are
# exempt. Names may carry the i686 leading underscore.
set -euo pipefail
objdump=$1 nm=$2
shift 2
failed=0
for file in "$@"; do
  # A weak external keeps its fallback symbol ".weak.NAME.ALIAS"; it is harmless only when
  # NAME itself is defined in the image.
  symbols=$("$nm" "$file")
  unresolved=$(awk '
    $3 ~ /^\.weak\./ {
      name = substr($3, 7); sub(/\..*$/, "", name)
      if (name !~ /^_?_(ITM_|ZGTt)/) weak[name] = 1
      next
    }
    NF == 3 && $2 != "U" && $2 != "w" { defined[$3] = 1 }
    END { for (name in weak) if (!(name in defined)) print name }' <<<"$symbols")
  if [ -n "$unresolved" ]; then
    echo "$file: unresolved weak references: $unresolved" >&2
    failed=1
  fi
  # Code sections as "start end" pairs (hex), then every direct call or jump checked against them.
  sections=$("$objdump" -h "$file" | awk '
    /^ *[0-9]+ / { size = $3; vma = $4; getline; if ($0 ~ /CODE/) print vma, size }')
  stray=$("$objdump" -d --no-show-raw-insn "$file" | awk -v sections="$sections" '
    function hex(text,   value, i, c) {
      value = 0; text = tolower(text)
      for (i = 1; i <= length(text); i++) {
        c = index("0123456789abcdef", substr(text, i, 1)) - 1
        value = value * 16 + c
      }
      return value
    }
    BEGIN {
      n = split(sections, parts, /[ \n]/)
      for (i = 1; i + 1 <= n; i += 2) { start[i] = hex(parts[i]); stop[i] = start[i] + hex(parts[i + 1]) }
    }
    # The i686 linker places exception tables and the constructor and destructor lists inside
    # .text; their bytes are data, not calls.
    /^[0-9a-f]+ <.*>:$/ {
      skipped = ($2 ~ /^<_?_(ZGTt|Z[0-9]+_txnal_)/ ||
                 $2 ~ /^<(\.gcc_except_table|\.ctors|\.dtors|_*CTOR_LIST__|_*DTOR_LIST__)>:$/)
      next
    }
    /^ *[0-9a-f]+:\t(call|jmp) +[0-9a-f]+( |$)/ && !skipped {
      target = hex($3)
      inside = 0
      for (i in start) if (target >= start[i] && target < stop[i]) inside = 1
      if (!inside) print
    }')
  if [ -n "$stray" ]; then
    echo "$file: calls outside the code:" >&2
    echo "$stray" | head -20 >&2
    failed=1
  fi
done
exit $failed
