#!/usr/bin/env bash
# Two windows from one program in a virtual X display: both mapped where
# they were asked for, each one's keys acting on it alone (F2/F3 choose its
# page, Page Down dims it), what close keeps (config.txt for the first,
# windows.txt for the second), and both back at the next start without
# --window.
set -euo pipefail
bin=$(realpath "$1")
command -v Xvfb >/dev/null || { echo "Xvfb not installed: skipped"; exit 77; }
command -v xdotool >/dev/null || { echo "xdotool not installed: skipped"; exit 77; }
command -v node >/dev/null || { echo "node not installed: skipped"; exit 77; }
probe="$(dirname "$(realpath "$0")")/../support/png_probe.mjs"
work=$(mktemp -d)
vpid=""
trap 'kill $vpid $xpid 2>/dev/null || true; rm -rf "$work"' EXIT
. "$(dirname "$(realpath "$0")")/../support/xvfb.sh"
start_xvfb 1600x1200x24
export DISPLAY=$xvfb_display SDL_RENDER_DRIVER=software
cd "$work"
fail() { echo "FAIL: $*"; cat out.txt; exit 1; }

# The window with this caption, once it is mapped.
window_named() {
  local win
  for _ in $(seq 300); do
    win=$(xwininfo -root -tree 2>/dev/null | grep -F "\"$1\":" | head -n1 | awk '{print $1}' || true)
    [ -n "$win" ] && xwininfo -id "$win" 2>/dev/null | grep -q IsViewable && { echo "$win"; return 0; }
    sleep 0.05
  done
  echo "no window '$1'" >&2
  return 1
}
at() { xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} /Width:/ {w=$2} END {print x "," y "," w}'; }
# True once the window is at X,Y,WIDTH (it is placed again once mapped).
placed() {
  for _ in $(seq 100); do [ "$(at "$1")" = "$2" ] && return 0; sleep 0.05; done
  return 1
}
stop() {
  kill -TERM "$vpid"
  wait "$vpid" || fail "exit status $?"
  vpid=""
}

printf '40\r\n60\r\n800\r\n1\r\ntcp\r\n' >config.txt
"$bin" --udp-port 0 --tcp-port 0 --no-announce --window page=1,x=1000,y=100,width=480 \
  --screenshot s.png --screenshot-interval 0.2 >out.txt 2>&1 &
vpid=$!
first=$(window_named 'tcp Velmora 1.1.1.21') || fail "the first window"
second=$(window_named 'tcp Velmora 1.1.1.21 (window 2)') || fail "the second window"
placed "$first" 40,60,800 || fail "the first window is not where config.txt puts it"
placed "$second" 1000,100,480 || fail "the second window is not where --window puts it"
# Keys go to the focused window only (each window is focused once: a
# synchronous focus on the focused window would wait for ever).
press() {
  local win=$1
  shift
  timeout 10 xdotool windowfocus --sync "$win" key "$@"
}
press "$first" F3
press "$second" F2 Next
# Served in order: once the second window's picture shows its tactical
# button lit at 90 percent, the first window's key has been served too.
until=$((SECONDS + 10))
while ((SECONDS < until)); do
  [ -f s-2.png ] && (($(node "$probe" s-2.png 634 592 72 40 67e37c 20 2>/dev/null || echo 0) > 40)) && break
  sleep 0.1
done
stop
kept=$(tr -d '\r' <config.txt | sed -n 4p)
echo "config.txt page $kept; windows.txt: $(grep ^window windows.txt | tr -d '\r' | tr '\n' ' ')"
[ "$kept" = 3 ] || fail "F3 in the first window did not show its link page"
grep -q '^window 2: page=2,display=.*,x=1000,y=100,width=480,dim=90' windows.txt ||
  fail "the second window's page, place or brightness was not kept: $(cat windows.txt)"
! grep -q '^window 1:' windows.txt || fail "Page Down in the second window dimmed the first"

# Both come back without --window.
"$bin" --udp-port 0 --tcp-port 0 --no-announce >out.txt 2>&1 &
vpid=$!
first=$(window_named 'tcp Velmora 1.1.1.21') || fail "the first window after the restart"
second=$(window_named 'tcp Velmora 1.1.1.21 (window 2)') || fail "the second window after the restart"
placed "$second" 1000,100,480 || fail "the second window came back at $(at "$second")"
stop
echo ok
