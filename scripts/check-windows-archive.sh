#!/usr/bin/env bash
# Builds the Windows release archive of a build folder with CPack and checks that it holds
# exactly the operator's program folder and the host developer's sdk/, nothing else; its API
# reference (sdk/html/) is exactly the build's.
# Usage: check-windows-archive.sh BUILD_DIR   (e.g. build/win32)
set -euo pipefail
build=$1
rm -f "$build"/Ostrel-*.zip
(cd "$build" && cpack -G ZIP >/dev/null)
archive=$(echo "$build"/Ostrel-*.zip)
[ -f "$archive" ] || { echo "FAIL: cpack made no archive in $build" >&2; exit 1; }
unzip -l "$archive"

top=$(basename "$archive" .zip)
expected=$(sed "s|^|$top/|" <<'LIST' | sort
Ostrel.exe
Tandrel.dll
tandrel.exe
pid.ini
README-operator.txt
bin/
sdk/
sdk/tandrel.h
sdk/tandrel.def
sdk/libTandrel.dll.a
sdk/html/
LIST
)
reference=$top/sdk/html/
actual=$(unzip -Z1 "$archive" | grep -v "^$reference." | sort)
if [ "$actual" != "$expected" ]; then
  echo "FAIL: $archive differs from the expected listing (< expected, > archive):" >&2
  diff <(echo "$expected") <(echo "$actual") | grep '^[<>]' >&2
  exit 1
fi
built=$(cd "$build/api-reference/html" && find . -type f -printf '%P\n' | sort)
shipped=$(unzip -Z1 "$archive" | grep "^$reference." | grep -v '/$' | sed "s|^$reference||" | sort)
if [ -z "$built" ] || [ "$built" != "$shipped" ]; then
  echo "FAIL: $reference in $archive is not the build's API reference ($build/api-reference/html)" >&2
  exit 1
fi
echo "archive: $archive holds exactly the $(wc -l <<<"$expected") expected entries" \
  "and the $(wc -l <<<"$built") files of the API reference"
