#!/bin/sh
# Runs inside an X server (xvfb-run): starts the show with the options given, waits until it has
# drawn for a moment, presses Escape and waits for it to end.
#
# usage: press-escape.sh PROGRAM [OPTIONS...]
# stdout: what happened, a line per step; stderr: the program's own stderr, nothing else.
# Exit status: the program's, or 124 when it drew nothing or was still running 10 s after Escape.
set -u
program=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

before=$(xdotool getdisplaygeometry 2>&1)
: >"$work/err"
# The real X11 driver and a sound device that always opens, so the music really starts and stops.
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$program" "$@" --report-startup 2>"$work/err" &
pid=$!

# Catching up to a --seek moment draws offscreen first: allow three minutes for the first frame.
waited=0
until grep -q "first frame" "$work/err"; do
  if ! kill -0 "$pid" 2>/dev/null || [ "$waited" -ge 1800 ]; then
    echo "no first frame"
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    cat "$work/err" >&2
    exit 124
  fi
  waited=$((waited + 1))
  sleep 0.1
done
echo "first frame drawn"
sleep 0.5  # a few more frames, the music playing

# With no window manager the keyboard follows the pointer: put it over the window first.
xdotool mousemove 400 300 key Escape 2>&1
waited=0
while kill -0 "$pid" 2>/dev/null; do
  if [ "$waited" -ge 100 ]; then
    echo "still running 10 s after Escape"
    kill -9 "$pid"
    wait "$pid" 2>/dev/null
    cat "$work/err" >&2
    exit 124
  fi
  waited=$((waited + 1))
  sleep 0.1
done
wait "$pid"
status=$?
echo "ended after Escape with status $status"

after=$(xdotool getdisplaygeometry 2>&1)
if [ "$after" = "$before" ]; then
  echo "display as before: $after"
else
  echo "display changed: $before before, $after after"
fi
cat "$work/err" >&2
exit "$status"
