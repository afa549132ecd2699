# Sourced by the window tests: a virtual X display of its own for the test.
#
# start_virtual_display <work folder> <width>x<height>: starts Xvfb on a free display number
# and sets virtual_display (":N") and virtual_display_pid; fails the test when it does not start.
# stop_virtual_display: ends it.
start_virtual_display() {
  local work=$1 size=$2
  # Xvfb picks a free number and writes it to the descriptor we give it.
  Xvfb -displayfd 3 -screen 0 "${size}x24" 3>"$work/display" 2>"$work/xvfb.log" &
  virtual_display_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$virtual_display_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; return 1; }
    sleep 0.1
  done
  [ -s "$work/display" ] || { echo "Xvfb gave no display number" >&2; return 1; }
  virtual_display=":$(head -n1 "$work/display")"
}

stop_virtual_display() {
  [ -n "${virtual_display_pid:-}" ] || return 0
  kill "$virtual_display_pid" 2>/dev/null || true
  wait "$virtual_display_pid" 2>/dev/null || true
}
