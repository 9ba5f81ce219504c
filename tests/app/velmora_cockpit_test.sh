#!/usr/bin/env bash
# Black-box test of the cockpit builders' options in a virtual X display:
# a panel turned sideways (window shape, config.txt's sixth line kept and
# read back), a window kept above others, and a frame rate that stays the
# same whether the window is focused, unfocused or minimised.
set -euo pipefail
bin=$(realpath "$1")
command -v Xvfb >/dev/null || { echo "Xvfb not installed: skipped"; exit 77; }
command -v xdotool >/dev/null || { echo "xdotool not installed: skipped"; exit 77; }
command -v twm >/dev/null || { echo "twm not installed: skipped"; exit 77; }
ports=(--udp-port 0 --tcp-port 0)
work=$(mktemp -d)
wmpid=""
trap 'kill $vpid $wmpid $xpid 2>/dev/null || true; rm -rf "$work"' EXIT
vpid=""
export DISPLAY=:$((90 + RANDOM % 100))
Xvfb "$DISPLAY" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
xpid=$!
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
cd "$work"
export SDL_RENDER_DRIVER=software

# The id of the display's window once it is mapped.
window_of() {
  local win
  for _ in $(seq 300); do
    win=$(xdotool search --pid "$1" --name 'Velmora' 2>/dev/null | head -n1 || true)
    if [ -n "$win" ] && xwininfo -id "$win" 2>/dev/null | grep -q 'IsViewable'; then
      echo "$win"
      return 0
    fi
    sleep 0.05
  done
  echo "no window appeared" >&2
  cat out.txt >&2
  return 1
}

stop() {
  kill -TERM "$vpid"
  wait "$vpid" || { echo "exit status $?"; cat out.txt; exit 1; }
  vpid=""
}

# --- Turned sideways, kept on top (no window manager: the client is the
# outer window, and the window's own state is what a manager would read).
"$bin" "${ports[@]}" --rotate 90 --topmost >out.txt 2>&1 &
vpid=$!
win=$(window_of $vpid)
for _ in $(seq 100); do xwininfo -id "$win" | grep -q 'Width: 640$' && break; sleep 0.1; done
size=$(xwininfo -id "$win" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
echo "turned 90: ${size}"
[ "$size" = 640x1024 ] || { echo "the turned window is not 640 wide and 1024 tall"; exit 1; }
xprop -id "$win" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || { echo "--topmost: no _NET_WM_STATE_ABOVE"; exit 1; }
stop
lines=$(tr -d '\r' < config.txt)
[ "$(echo "$lines" | wc -l)" = 6 ] && [ "$(echo "$lines" | sed -n 6p)" = 90 ] ||
  { echo "config.txt does not keep the turn:"; echo "$lines"; exit 1; }
# The sixth line turns the next run without --rotate; no --topmost, no state.
"$bin" "${ports[@]}" >out.txt 2>&1 &
vpid=$!
win=$(window_of $vpid)
for _ in $(seq 100); do xwininfo -id "$win" | grep -q 'Width: 640$' && break; sleep 0.1; done
xwininfo -id "$win" | grep -q 'Height: 1024$' || { echo "config.txt's turn was not applied"; exit 1; }
if xprop -id "$win" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE; then echo "above without --topmost"; exit 1; fi
stop

# --- Focus never slows the display: 60 frames take as long focused,
# unfocused and minimised (under a window manager that can minimise).
rm -f config.txt
twm >/dev/null 2>&1 &
wmpid=$!
sleep 0.5
root=$(xwininfo -root | awk '/Window id:/ {print $4}')
declare -A took
for state in focused unfocused minimised; do
  "$bin" "${ports[@]}" --frames 60 >out.txt 2>&1 &
  vpid=$!
  win=$(window_of $vpid)
  case $state in
    focused) xdotool windowfocus "$win" ;;
    unfocused) xdotool mousemove 0 0 windowfocus "$root" ;;
    minimised) xdotool windowminimize "$win" ;;
  esac
  start=$(date +%s%N)
  if [ $state = minimised ]; then
    for _ in $(seq 50); do xprop -id "$win" WM_STATE | grep -q Iconic && break; sleep 0.05; done
    xprop -id "$win" WM_STATE | grep -q Iconic || { echo "the window did not minimise"; exit 1; }
  elif [ $state = unfocused ]; then
    [ "$(xdotool getwindowfocus 2>/dev/null || true)" != "$win" ] || { echo "the window kept the focus"; exit 1; }
  fi
  wait $vpid || { echo "exit status $? ($state)"; cat out.txt; exit 1; }
  vpid=""
  took[$state]=$((($(date +%s%N) - start) / 1000000))
  echo "$state: 60 frames in ${took[$state]} ms"
done
# A loaded machine draws slower, but never a third slower for want of focus.
for state in unfocused minimised; do
  ((took[$state] * 3 <= took[focused] * 4 + 1500)) || { echo "$state is slower than focused"; exit 1; }
done
# and never as slow as a few frames a second.
((took[minimised] < 12000 && took[unfocused] < 12000)) || { echo "below 5 frames/s"; exit 1; }
echo ok
