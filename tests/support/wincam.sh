# Sourced by the tests and scripts that run a Windows build's programs against the Windows test
# camera or a simulated world. <runner> is the build's Wine runner (cmake/wine32-run.sh or
# wine64-run.sh), which makes its prefix (WINEPREFIX) on first use; the camera is registered in
# that prefix.
#
# windows_path <path>: the path as a Windows program sees it through Wine's Z: drive.
# camera_section <model> <vid> <pid> <release> [<key line>...]: a world's [Camera1] section, a
#   camera of that model on USB as Windows names it (hex ids as in its device path).
# write_zel_world <camera folder> <time scale> [<key line>...]: the folder's simcam.ini, one ZEL
#   camera of product 0x2040 whose flash is camera1.flash there (the caller writes it), its
#   setup entry in the class wincam_setup_class names: Camera (the default, where Windows 10
#   and 11 file webcams) or Image (Windows 7 and 8).
# register_wincam <runner> <wincam.dll> <wincam_register.exe> <camera folder>: the test camera
#   of that folder's world registered (wincam.dll is copied beside simcam.ini); again after an
#   update, so that its imaging entry carries the release the camera reports now.
# unregister_wincam <runner> <wincam_register.exe>: no test camera in the prefix.
# unpack_program_folder <archive folder> <folder>: the release archive (the one Ostrel-*.zip in
#   the archive folder) unzipped, its top folder made <folder>, as an operator unpacks it.
# add_zel_firmware <runner> <ostrel_image_maker.exe> <program folder> <version>: a pid.ini
#   naming zel.bin for product 0x2040, and bin/zel.bin of that version.
# closed_windowed_run <runner> <desktop> <dialog_closer.exe> <program> <give-up s>: the
#   program's windowed run on the Wine virtual desktop of that name, Close pressed every 100 ms,
#   given up after that time multiplied by OSTREL_TEST_TIME_SCALE (see time_limit.h);
#   prints the closer's line ("exit code C after N presses" or "close refused ..."), since a
#   desktop passes its program's lines on, not its exit code. The desktop takes the caller's
#   display, or none when DISPLAY is unset.

windows_path() { local path=${1//\//\\}; printf 'Z:%s' "$path"; }

camera_section() {
  local model=$1 vid=$2 pid=$3 release=$4
  shift 4
  printf '[Camera1]\nModel=%s\n' "$model"
  printf 'DevicePath=\\\\?\\usb#vid_%s&pid_%s&mi_00#6&2e3f1c7e&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global\n' \
    "$vid" "$pid"
  printf 'InstanceId=USB\\VID_%s&PID_%s&MI_00\\6&2E3F1C7E&0&0000\n' "${vid^^}" "${pid^^}"
  printf 'HardwareId=USB\\VID_%s&PID_%s&REV_%s&MI_00\n' "${vid^^}" "${pid^^}" "$release"
  [ $# -eq 0 ] || printf '%s\n' "$@"
}

write_zel_world() {
  local folder=$1 time_scale=$2
  shift 2
  {
    printf '[World]\nTimeScale=%s\nSetupClass=%s\n\n' "$time_scale" "${wincam_setup_class:-Camera}"
    camera_section zel 0408 2040 0105 Flash=camera1.flash "$@"
  } | sed 's/$/\r/' >"$folder/simcam.ini"
}

register_wincam() {
  local runner=$1 wincam=$2 register=$3 folder=$4
  cp "$wincam" "$folder/"
  "$runner" "$register" "$(windows_path "$folder")"
}

unregister_wincam() { "$1" "$2" --remove; }

unpack_program_folder() {
  local archives=("$1"/Ostrel-*.zip) folder=$2
  [ ${#archives[@]} -eq 1 ] && [ -f "${archives[0]}" ] ||
    { echo "no single release archive Ostrel-*.zip in $1" >&2; return 1; }
  rm -rf "$folder" "$folder.unzip"
  unzip -q "${archives[0]}" -d "$folder.unzip"
  mv "$folder.unzip/$(basename "${archives[0]}" .zip)" "$folder"
  rmdir "$folder.unzip"
}

add_zel_firmware() {
  local runner=$1 image_maker=$2 program=$3 version=$4
  printf '[PID_2040]\r\nCHIP=4\r\nBIN=zel.bin\r\n' >"$program/pid.ini"
  "$runner" "$image_maker" zel "$version" "$(windows_path "$program/bin/zel.bin")"
}

closed_windowed_run() {
  local runner=$1 desktop=$2 closer=$3 program=$4 give_up=$(($5 * ${OSTREL_TEST_TIME_SCALE:-1}))
  "$runner" explorer "/desktop=$desktop,640x480" "$(windows_path "$closer")" \
    "$(windows_path "$program")" 100 "$give_up" </dev/null 2>/dev/null | tr -d '\r' || true
}
