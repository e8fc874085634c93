#!/usr/bin/env bash
# Without a display the program must say so and end with an error code: no
# crash, no hang. Usage: no_display.sh path/to/quorvane
set -uo pipefail
program=$1
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

check() {
  local what=$1
  shift
  local err rc
  err=$(timeout 20 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" "$program" 2>&1 </dev/null)
  rc=$?
  # 124 is timeout's, and 128 and above a signal's, such as abort().
  { [ "$rc" -ne 0 ] && [ "$rc" -lt 124 ]; } || fail "$what: exit code $rc"
  grep -qi "quorvane:.*\(display\|window\)" <<<"$err" || fail "$what: no clear message, only: $err"
}

check "nothing set"
check "a display that is not there" DISPLAY=:9999
echo "ok"
