#!/usr/bin/env bash
# The Windows release archive as an operator uses it: unzipped into a fresh folder, a pid.ini and
# a firmware image (0107) added, and the archive's own Ostrel.exe -s run against the Windows test
# camera in the runner's Wine prefix: no camera (exit 1); a camera at 0105 whose flash carries a
# manufacturer name, updated (exit 0, the flash ends as the image with that name carried in);
# the next run, which finds it up to date (exit 0, the flash untouched); and the windowed run
# where no window can be made (a desktop without a display), which must still update the camera
# and end with the silent run's code. Prints each run's exit code and the log lines it wrote.
#
# usage: release_archive_test.sh <wine runner> <archive folder> <ostrel_image_maker.exe>
#                                <zel_flash_files.exe> <wincam.dll> <wincam_register.exe>
#                                <dialog_closer.exe> <work folder>
set -euo pipefail
[ $# -eq 8 ] || { echo "usage: $0 <wine runner> <archive folder> <ostrel_image_maker.exe>" \
                       "<zel_flash_files.exe> <wincam.dll> <wincam_register.exe>" \
                       "<dialog_closer.exe> <work folder>" >&2; exit 2; }
wine=$1 archives=$2 image_maker=$3 flash_files=$4 wincam=$5 register=$6 closer=$7 work=$8

source "$(dirname "$0")/../support/wincam.sh"
trap 'unregister_wincam "$wine" "$register" >/dev/null 2>&1 || true' EXIT
trap 'exit 1' INT TERM HUP

rm -rf "$work"
mkdir -p "$work/camera"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
row() { printf '%-28s %4s  %s\n' "$@"; }

echo "$(basename "$archives"/Ostrel-*.zip) unzipped: Ostrel.exe -s under $(basename "$wine" .sh)" \
     "with the Windows test camera"
row case exit "log lines of the run"

# run_silent <case> <expected exit> <expected log line>...: the archive's Ostrel.exe -s in its
# own folder; the log lines after the run's banner must be exactly those given.
run_silent() {
  local code=0
  (cd "$work/program" && exec timeout $((120 * ${OSTREL_TEST_TIME_SCALE:-1})) "$wine" Ostrel.exe -s \
     </dev/null >/dev/null 2>&1) ||
    code=$?
  expect_run "$code" "$@"
}

# run_windowless <case> <expected exit> <expected log line>...: the archive's Ostrel.exe without
# -s on a Wine desktop that has no display, started by dialog_closer.exe, which reports the exit
# code (the desktop passes its lines on, not its code) and must find no window to press.
run_windowless() {
  local out code=none
  out=$(unset DISPLAY; closed_windowed_run "$wine" ostrel-windowless "$closer" "$work/program/Ostrel.exe" 60)
  [[ $out =~ ^"exit code "([0-9]+)" after 0 presses"$ ]] && code=${BASH_REMATCH[1]}
  expect_run "$code" "$@"
}

# expect_run <exit code> <case> <expected exit> <expected log line>...: prints the run's rows.
expect_run() {
  local code=$1 name=$2 expected=$3
  shift 3
  iconv -f UTF-16LE -t UTF-8 "$work/program/bin/Ostrel_sp.log" | sed '1s/^\xEF\xBB\xBF//; s/\r$//' |
    awk '/^=+[0-9][0-9]:[0-9][0-9]:[0-9][0-9] \([0-9][0-9]\/[0-9][0-9]\)=+$/ { n = 0; next }
         { line[n++] = $0 } END { for (i = 0; i < n; ++i) print line[i] }' >"$work/log.txt"
  local shown_name=$name shown_code=$code line
  [ -s "$work/log.txt" ] || row "$name" "$code" "-"
  while IFS= read -r line; do
    row "$shown_name" "$shown_code" "$line"
    shown_name="" shown_code=""
  done <"$work/log.txt"
  [ "$code" = "$expected" ] || fail "$name: exit $code, expected $expected"
  [ "$(cat "$work/log.txt")" = "$(printf '%s\n' "$@")" ] ||
    fail "$name: the log lines are not: $*"
}
loaded() {
  printf '%s\n' "Camera vid=0x0408, pid=0x2040, bcd=0x$1." \
    "The camera vid/pid is ok, ready for update." "Auto load the file[zel.bin], load ok."
}

unpack_program_folder "$archives" "$work/program"
add_zel_firmware "$wine" "$image_maker" "$work/program" 0107

unregister_wincam "$wine" "$register"
run_silent "no camera" 1 "No Camera found!"

readonly manufacturer="NORV Inc"
"$wine" "$flash_files" camera 0105 "$manufacturer" "$(windows_path "$work/camera/camera1.flash")"
"$wine" "$flash_files" updated "$(windows_path "$work/program/bin/zel.bin")" "$manufacturer" \
  "$(windows_path "$work/expected.flash")"
write_zel_world "$work/camera" 0.01
register_wincam "$wine" "$wincam" "$register" "$work/camera"
mapfile -t lines < <(loaded 0105)
run_silent "update 0105 -> 0107" 0 "${lines[@]}" "Start update!"
cmp -s "$work/camera/camera1.flash" "$work/expected.flash" ||
  fail "update: the flash is not the image with the manufacturer name '$manufacturer'"

# The camera enumerates again with its new release, as a real one does after its update.
register_wincam "$wine" "$wincam" "$register" "$work/camera"
cp "$work/camera/camera1.flash" "$work/updated.flash"
mapfile -t lines < <(loaded 0107)
run_silent "up to date" 0 "${lines[@]}" "**FW version is the same, skip update!"
cmp -s "$work/camera/camera1.flash" "$work/updated.flash" || fail "up to date: the flash changed"

"$wine" "$flash_files" camera 0105 "$manufacturer" "$(windows_path "$work/camera/camera1.flash")"
register_wincam "$wine" "$wincam" "$register" "$work/camera"
mapfile -t lines < <(loaded 0105)
run_windowless "no window, 0105 -> 0107" 0 "${lines[@]}" "Start update!"
cmp -s "$work/camera/camera1.flash" "$work/expected.flash" ||
  fail "no window: the flash is not the image with the manufacturer name '$manufacturer'"

echo "$failures failed"
[ "$failures" = 0 ]
