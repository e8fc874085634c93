#!/usr/bin/env bash
# Packs two real files and unpacks the package through the real window and
# Qt's real dialogs, driven with the mouse and keyboard as a user would,
# then compares the unpacked files with the sources.
# Usage: e2e_pack_unpack.sh path/to/quorvane
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2e_common.sh"
[ "${1:-}" = --inside ] || run_inside_xvfb "$@"
program=$(realpath "$2")

work=$(mktemp -d)
trap 'kill $wm_pid 2>/dev/null || true; [ -z "${pid:-}" ] || kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
start_window_manager "$work"
mkdir "$work/src" "$work/out"
printf 'first line\r\nsecond line\r\n' >"$work/src/a.txt"
head -c 70000 /dev/urandom >"$work/src/b.bin"

# Where the controls are, in client coordinates: the group box lies at
# (8, 8) and every control at its place inside it; the tabs along the
# bottom, the second one right of the first.
browse=(356 34)
start=(104 240)
unpack_tab=(108 276)

dialogs_answered=0

# Clicks at a point of the main window's client area.
click_at() { xdotool mousemove --window "$wid" "$1" "$2" click 1; }

# Clicks a button that opens a dialog and waits for the dialog. On a busy
# machine a click that comes while the window is still settling can be
# lost; the click is then made again, which is harmless, since once the
# dialog is up it takes all input.
click_for_dialog() {
  local attempt
  for attempt in 1 2 3; do
    click_at "$1" "$2"
    if wait_until 10 sh -c "active=\$(xdotool getactivewindow) && [ \"\$active\" != $wid ]"; then
      xdotool getactivewindow
      return 0
    fi
  done
  fail "clicking at ($1, $2) brought up no dialog"
}

# Opens a dialog with a click, checks its title when one is given (or, for
# "!TITLE", that it is another), and types a name into it. The name box has
# the focus when a Qt file dialog opens; whatever it proposes is replaced.
answer_dialog() {
  local x=$1 y=$2 title=$3 name=$4 dialog
  dialog=$(click_for_dialog "$x" "$y")
  local shown
  shown=$(xdotool getwindowname "$dialog")
  case "$title" in
    '') ;;
    '!'*) [ "$shown" != "${title#!}" ] || fail "dialog titled '$shown': the click went to the wrong page" ;;
    *) [ "$shown" = "$title" ] || fail "dialog titled '$shown', not '$title'" ;;
  esac
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 10 "$name"
  screenshot "dialog-$((++dialogs_answered))"
  xdotool key Return
  wait_until 10 sh -c "[ \"\$(xdotool getactivewindow)\" = $wid ]" || fail "dialog '$title' did not close"
}

cd "$work/src"
"$program" </dev/null 2>"$work/stderr" &
pid=$!
wid=$(find_window "Quorvane——Tenvari")
xdotool windowactivate --sync "$wid"
screenshot pack-start

answer_dialog "${browse[@]}" '请选择要打包的文件:' '"a.txt" "b.bin"'
answer_dialog "${start[@]}" '请选择要将打包的文件存放在什么地方:' "$work/both"
wait_until 20 test -s "$work/both.ZVK" || fail "no package written"
screenshot pack-log

click_at "${unpack_tab[@]}"
screenshot unpack-start
# The package dialog has Qt's own title; it must not be the pack page's.
answer_dialog "${browse[@]}" '!请选择要打包的文件:' "$work/both.ZVK"
answer_dialog "${start[@]}" '请选择解包后的文件存放的位置:' "$work/out"
wait_until 20 cmp -s "$work/src/b.bin" "$work/out/b.bin" || fail "b.bin was not unpacked whole"
cmp "$work/src/a.txt" "$work/out/a.txt" || fail "a.txt differs"
[ "$(ls "$work/out")" = "$(printf 'a.txt\nb.bin')" ] || fail "unexpected files: $(ls "$work/out")"
screenshot unpack-log

xdotool key Escape
wait_for_exit 10 "$pid"
[ "$exit_code" = 0 ] || fail "exit code $exit_code; stderr: $(cat "$work/stderr")"
pid=
echo "ok"
