#!/usr/bin/env bash
# Black-box test of the real program in a real (virtual) X display: caption,
# outer size, the listening port, and config.txt written on SIGTERM.
set -euo pipefail
bin=$(realpath "$1")
. "$(dirname "$0")/../support/free-ports.sh"
udp=$(free_port)
tcp=$(free_port)
ports=(--udp-port "$udp" --tcp-port "$tcp")
command -v Xvfb >/dev/null || { echo "Xvfb not installed: skipped"; exit 77; }
work=$(mktemp -d)
trap 'kill $vpid $xpid 2>/dev/null || true; rm -rf "$work"' EXIT
. "$(dirname "$0")/../support/xvfb.sh"
start_xvfb 1600x1000x24
display=$xvfb_display
cd "$work"
DISPLAY=$display SDL_RENDER_DRIVER=software "$bin" "${ports[@]}" >out.txt 2>&1 &
vpid=$!
win=""
for _ in $(seq 300); do
  win=$(DISPLAY=$display xwininfo -root -tree 2>/dev/null | grep 'Velmora 1.1.1.21' | head -n1 | awk '{print $1}' || true)
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { echo "no window appeared"; cat out.txt; exit 1; }
# A few frames: the height follows the width, and start-up puts the transport
# in front of the caption after the window is shown (a loaded machine may
# take a while for either). The window is looked up again each time: SDL may
# replace the first one it maps (a renderer that cannot start makes it try
# another).
find_window() {
  DISPLAY=$display xwininfo -root -tree 2>/dev/null | grep 'Velmora 1.1.1.21' | head -n1 | awk '{print $1}' || true
}
for _ in $(seq 300); do
  win=$(find_window)
  info=$([ -n "$win" ] && DISPLAY=$display xwininfo -id "$win" 2>/dev/null || true)
  grep -q 'Height: 640$' <<<"$info" && grep -q '"tcp Velmora 1.1.1.21"' <<<"$info" && break
  sleep 0.1
done
win=$(find_window)
info=$(DISPLAY=$display xwininfo -id "$win")
name=$(echo "$info" | sed -n 's/.*"\(.*\)".*/\1/p' | head -n1)
width=$(echo "$info" | awk '/Width:/ {print $2}')
height=$(echo "$info" | awk '/Height:/ {print $2}')
echo "caption '$name' size ${width}x${height}"
[ "$name" = "tcp Velmora 1.1.1.21" ] || { echo "wrong caption"; exit 1; }
# Without a window manager there is no border: the client is the outer window.
[ "$width" = 1024 ] || { echo "wrong width"; exit 1; }
[ "$height" = 640 ] || { echo "wrong height"; exit 1; }
if command -v ss >/dev/null; then
  ss -ltn | grep -q ":$tcp " || { echo "TCP $tcp not listening"; exit 1; }
fi
kill -TERM $vpid
for _ in $(seq 50); do kill -0 $vpid 2>/dev/null || break; sleep 0.1; done
wait $vpid || { echo "exit status $?"; cat out.txt; exit 1; }
[ -f config.txt ] || { echo "config.txt not written"; exit 1; }
printf '%s' "$(cat config.txt)" | od -c | head
lines=$(tr -d '\r' < config.txt)
[ "$(echo "$lines" | wc -l)" = 5 ] || { echo "not five lines"; exit 1; }
[ "$(echo "$lines" | sed -n 4p)" = 1 ] || exit 1
[ "$(echo "$lines" | sed -n 5p)" = tcp ] || exit 1
grep -q $'\r$' config.txt || { echo "no CR LF"; exit 1; }

# Under a window manager that adds a title bar, closing and starting again
# must bring the window back to the same outer place, not a title bar lower.
if command -v twm >/dev/null; then
  DISPLAY=$display twm >/dev/null 2>&1 &
  wmpid=$!
  sleep 0.5
  printf '100\r\n80\r\n800\r\n1\r\ntcp\r\n' > config.txt
  for run in 1 2; do
    DISPLAY=$display SDL_RENDER_DRIVER=software "$bin" "${ports[@]}" >out.txt 2>&1 &
    vpid=$!
    sleep 2
    kill -TERM $vpid
    wait $vpid || { echo "exit status $? under a window manager"; cat out.txt; exit 1; }
    got=$(tr -d '\r' < config.txt | head -n 3 | tr '\n' ' ')
    echo "after run $run under twm: $got"
    [ "$got" = "100 80 800 " ] || { echo "the window moved"; kill $wmpid; exit 1; }
  done
  kill $wmpid 2>/dev/null || true
fi
echo ok
