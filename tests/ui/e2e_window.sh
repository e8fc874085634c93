#!/usr/bin/env bash
# The real window under a real X server with a window manager: its title,
# client size, place and title-bar buttons, and Esc ending the program with
# exit code 0. Usage: e2e_window.sh path/to/quorvane
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2e_common.sh"
[ "${1:-}" = --inside ] || run_inside_xvfb "$@"
program=$(realpath "$2")

work=$(mktemp -d)
trap 'kill $wm_pid 2>/dev/null || true; rm -rf "$work"' EXIT
start_window_manager "$work"

"$program" </dev/null 2>"$work/stderr" &
pid=$!
wid=$(find_window 'Quorvane——Tenvari')
[ "$(xdotool getwindowname "$wid")" = "Quorvane——Tenvari" ] || fail "title is '$(xdotool getwindowname "$wid")'"

info=$(xwininfo -id "$wid")
field() { sed -n "s/^ *$1: *//p" <<<"$info"; }
[ "$(field Width)" = 398 ] && [ "$(field Height)" = 292 ] || fail "client area is $(field Width) x $(field Height)"

# Where a 404 x 324 window is centred: the frame's corner, whatever frame
# the window manager draws around the client area.
wait_until 5 sh -c "xprop -id $wid _NET_FRAME_EXTENTS | grep -q ="
read -r left _ top _ < <(xprop -id "$wid" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,/ /g')
screen=$(xwininfo -root)
screen_w=$(sed -n 's/^ *Width: *//p' <<<"$screen")
screen_h=$(sed -n 's/^ *Height: *//p' <<<"$screen")
frame_x=$(($(field 'Absolute upper-left X') - left))
frame_y=$(($(field 'Absolute upper-left Y') - top))
[ "$frame_x" = $(((screen_w - 404) / 2)) ] && [ "$frame_y" = $(((screen_h - 324) / 2)) ] ||
  fail "frame at $frame_x,$frame_y on a $screen_w x $screen_h screen"

# Fixed size, a close box, and neither minimise nor maximise box asked for.
actions=$(xprop -id "$wid" _NET_WM_ALLOWED_ACTIONS)
grep -q _NET_WM_ACTION_CLOSE <<<"$actions" || fail "no close action: $actions"
! grep -qE '_NET_WM_ACTION_(RESIZE|MAXIMIZE)' <<<"$actions" || fail "resizable or maximisable: $actions"
read -r _ _ decorations _ < <(xprop -id "$wid" _MOTIF_WM_HINTS | sed 's/.*= //; s/,/ /g')
(((decorations & 0x61) == 0)) || fail "decorations $decorations ask for all, minimise or maximise"

xdotool windowactivate --sync "$wid"
xdotool key Escape
wait_for_exit 10 "$pid"
[ "$exit_code" = 0 ] || fail "exit code $exit_code after Esc; stderr: $(cat "$work/stderr")"
echo "ok"
