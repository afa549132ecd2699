# The bench guest's scenario runner (busybox sh, on the share as /bench): every folder under
# scenarios/ in order, its run.sh sourced in a subshell with the helpers below, its kernel log
# kept beside it. A scenario runs in a copy of its folder in memory, copied back when it ends:
# every trace line and flash write on the share would cost a round trip to the host. Each step leaves NAME.out, NAME.err, NAME.code, NAME.time (centiseconds) and
# the cameras' status before and after (NAME.before, NAME.after).
bench=/bench
export PATH=/bin

uptime_cs() { read -r up _ </proc/uptime; echo "${up%.*}${up#*.}"; }

# cameras_start [world file]: the world's cameras on the bus, until each is bound (or has left).
cameras_start() {
  world=${1:-$dir/world.ini}
  rm -f "$dir/cameras.txt"
  "$bench/bin/usbip_camera" "$world" "$dir/cameras.txt" 2>>"$dir/cameras.err" &
  server=$!
  i=0
  while [ $i -lt 1200 ]; do
    if [ -s "$dir/cameras.txt" ] && ! grep -q ' attached ' "$dir/cameras.txt"; then return 0; fi
    if ! kill -0 "$server" 2>/dev/null; then echo "usbip_camera ended" >>"$dir/cameras.err"; return 1; fi
    usleep 50000
    i=$((i + 1))
  done
  echo "cameras_start: not bound in 60 s" >>"$dir/cameras.err"
  return 1
}
cameras_stop() {
  kill -TERM "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  cp "$dir/cameras.txt" "$dir/cameras-final.txt" 2>/dev/null
}
# wait_bound SECTION ENUMERATIONS: until the camera is bound after that many enumerations.
wait_bound() {
  i=0
  while [ $i -lt 1200 ]; do
    grep -q "^$1 port [0-9]* bound node [^ ]* release [0-9a-f]* enumerations $2 " "$dir/cameras.txt" && return 0
    usleep 50000
    i=$((i + 1))
  done
  echo "wait_bound $1 $2: not in 60 s" >>"$dir/cameras.err"
  return 1
}
# node_of SECTION: the camera's capture node now.
node_of() { awk -v s="$1" '$1 == s { print $6 }' "$dir/cameras.txt"; }
# step NAME COMMAND...: runs the command in the current folder and records it.
step() {
  name=$1
  shift
  cp "$dir/cameras.txt" "$dir/$name.before" 2>/dev/null
  start=$(uptime_cs)
  code=0
  timeout "${step_timeout:-300}" "$@" </dev/null >"$dir/$name.out" 2>"$dir/$name.err" || code=$?
  echo $(( $(uptime_cs) - start )) >"$dir/$name.time"
  echo "$code" >"$dir/$name.code"
  usleep 150000  # the cameras' status catches up with the last transfer
  cp "$dir/cameras.txt" "$dir/$name.after" 2>/dev/null
  return 0
}

dmesg -c >"$bench/dmesg-boot.txt"
dir=/tmp/scenario
for shared in "$bench"/scenarios/*/; do
  shared=${shared%/}
  echo "scenario ${shared##*/}"
  rm -rf "$dir"
  cp -a "$shared" "$dir"
  start=$(uptime_cs)
  (cd "$dir" && . ./run.sh) >"$dir/run.log" 2>&1
  echo $(( $(uptime_cs) - start )) >"$dir/scenario.time"
  dmesg -c >"$dir/dmesg.txt"
  cp -a "$dir/." "$shared/"
done
echo "scenarios done"
