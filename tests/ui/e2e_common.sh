# Shared by the end-to-end scripts, which run inside xvfb-run: a window
# manager, and ways to wait for windows and files without fixed sleeps.

# Under the sanitizers (scripts/test-sanitized.sh) the X11 libraries that a
# real display brings in report findings of their own; this file names them.
# Later options win, so this adds to whatever the caller set.
e2e_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}suppressions=$e2e_here/x11-asan-suppressions.txt"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Runs the script itself again inside a fresh virtual X server. The server
# number starts at a random place, since two tests may look for a free one
# at the same moment.
run_inside_xvfb() {
  exec xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24 -nolisten tcp" "$0" --inside "$@"
}

# openbox runs the --startup command only once it manages windows; a
# window mapped before that could be left unmanaged for good.
start_window_manager() {
  local ready=$1/wm-ready
  openbox --sm-disable --startup "touch $ready" >"$1/openbox.log" 2>&1 &
  wm_pid=$!
  wait_until 10 test -e "$ready" || fail "openbox did not start"
}

# wait_until SECONDS COMMAND...: true once COMMAND succeeds.
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@" 2>/dev/null; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.1
  done
}

# The visible window whose title matches a pattern, once there is one.
find_window() {
  local deadline=$((SECONDS + 20)) id
  while [ $SECONDS -lt $deadline ]; do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) || true
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  fail "no window titled like '$1'"
}

# wait_for_exit SECONDS PID: sets exit_code to the program's exit code;
# a program still running after SECONDS is killed and fails the test.
# (bash reaps a background child as soon as it ends and keeps its status
# for `wait`, so `kill -0` fails from then on.)
wait_for_exit() {
  local deadline=$((SECONDS + $1))
  while kill -0 "$2" 2>/dev/null; do
    if [ $SECONDS -ge $deadline ]; then
      kill "$2"
      fail "the program did not end within $1 seconds"
    fi
    sleep 0.1
  done
  exit_code=0
  wait "$2" || exit_code=$?
}

# Saves a picture of the screen when QUORVANE_E2E_SHOTS names a folder.
screenshot() {
  [ -n "${QUORVANE_E2E_SHOTS:-}" ] || return 0
  import -window root "$QUORVANE_E2E_SHOTS/$1.png"
}
