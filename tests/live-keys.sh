#!/bin/sh
# Runs inside an X server (xvfb-run) with no window manager: starts the show, plays keys at it
# with xdotool and compares grabs of the screen (xwd).
#
# usage: live-keys.sh pause|fullscreen PROGRAM [OPTIONS...]
#   pause       Space, two grabs 2 s apart, Right while paused, Space again, then it runs past
#               the end (give it --loop and a --seek near the end) until Escape
#   fullscreen  the window covers the display, F11 gives the 800 x 600 window, Alt+Enter covers
#               the display again
# stdout: a line per step; stderr: the program's own stderr. Exit status: the program's after
# Escape, or 124 when it drew nothing or did not end.
set -u
scenario=$1
program=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

: >"$work/err"  # there before the background job opens it, so the first grep finds it
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$program" "$@" --report-startup 2>"$work/err" &
pid=$!

fail() {
  echo "$1"
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  cat "$work/err" >&2
  exit 124
}

waited=0
until grep -q "first frame" "$work/err"; do
  kill -0 "$pid" 2>/dev/null && [ "$waited" -lt 1800 ] || fail "no first frame"
  waited=$((waited + 1))
  sleep 0.1
done
echo "first frame drawn"
# With no window manager the keyboard follows the pointer: put it over the window.
xdotool mousemove 400 300
sleep 0.5

grab() { xwd -root -silent >"$work/$1"; }
same() { cmp -s "$work/$1" "$work/$2"; }
# Grabs into $2 until it differs from $1, for up to 20 s (a seek catches up first).
grabChanged() {
  n=0
  while grab "$2" && same "$1" "$2"; do
    [ "$n" -ge 100 ] && return 1
    n=$((n + 1))
    sleep 0.2
  done
}
geometry() { xdotool search --name '^test$' getwindowgeometry | sed -n 's/ *Geometry: //p'; }

case "$scenario" in
  pause)
    xdotool key space
    sleep 0.5
    grab a
    sleep 2
    grab b
    if same a b; then echo "paused: still"; else echo "paused: moving"; fi
    xdotool key Right
    if grabChanged b c; then echo "seek while paused: changed"; else echo "seek while paused: unchanged"; fi
    sleep 1
    grab d
    if same c d; then echo "after the seek: still"; else echo "after the seek: moving"; fi
    xdotool key space
    sleep 1
    if grabChanged d e; then echo "resumed: moving"; else echo "resumed: still"; fi
    sleep 3
    if kill -0 "$pid" 2>/dev/null; then echo "running after the end"; else echo "ended by itself"; fi
    ;;
  fullscreen)
    echo "full screen: $(geometry)"
    xdotool key F11
    sleep 1
    echo "window: $(geometry)"
    xdotool key alt+Return
    sleep 1
    echo "full screen again: $(geometry)"
    ;;
esac

xdotool key Escape
waited=0
while kill -0 "$pid" 2>/dev/null; do
  [ "$waited" -lt 100 ] || fail "still running 10 s after Escape"
  waited=$((waited + 1))
  sleep 0.1
done
wait "$pid"
status=$?
echo "ended after Escape with status $status"
cat "$work/err" >&2
exit "$status"
