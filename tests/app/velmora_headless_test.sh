#!/usr/bin/env bash
# The real program, headless, looked at through its screenshots:
#  - silence on the tactical page raises the NO DATA flag after a second and
#    the band after three, as on the flight page;
#  - --rotate wins over config.txt's sixth line (and is what close keeps),
#    the sixth line turns the picture when no option is given;
#  - a second window draws its own page into its own screenshot, --dim
#    darkens only its window, and windows.txt brings both back.
set -euo pipefail
command -v node >/dev/null || { echo "node is not installed (scripts/setup.sh)"; exit 77; }
velmora=$(realpath "$1")
probe="$(dirname "$(realpath "$0")")/../support/png_probe.mjs"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*"; exit 1; }
run() { "$velmora" --headless --udp-port 0 --tcp-port 0 "$@" 2>>err.txt >/dev/null || fail "run $*: $(cat err.txt)"; }

# shown WANTED COUNT MINIMUM: the count says it is there (more than MINIMUM)
# or not (a handful at most), as wanted.
shown() { if [ "$1" = 1 ]; then [ "$2" -gt "$3" ]; else [ "$2" -lt 50 ]; fi; }
# The flag's red frame (262,74 96x26) and the band's amber outline and heading
# (40,392 944x196), counted on the tactical page: at start, after 1.6 s or so
# of silence (the flag shows from 1 s to 3 s; that run is stopped by the
# clock, since a loaded machine draws fewer frames) and after 110 frames
# (3.7 s or more).
printf '0\r\n0\r\n1024\r\n1\r\nudp\r\n' >config.txt
run --page 2 --frames 2 --screenshot start.png
"$velmora" --headless --udp-port 0 --tcp-port 0 --page 2 --screenshot flag.png --screenshot-interval 0.2 \
  2>flag.txt >/dev/null &
display=$!
for _ in $(seq 300); do [ -f flag.png ] && break; sleep 0.05; done  # the frames have begun
sleep 1.4
kill -TERM $display
wait $display || fail "the display stopped badly: $(cat flag.txt)"
run --page 2 --frames 110 --screenshot band.png
for shot in "start 0 0" "flag 1 0" "band 0 1"; do
  read -r name flag band <<<"$shot"
  read -r red amber <<<"$(node "$probe" "$name.png" 262 74 96 26 dc1e1e 40 40 392 944 196 ffbe28 40)"
  echo "tactical page, $name: $red flag pixels, $amber band pixels"
  shown "$flag" "$red" 500 || fail "the flag ($name)"
  shown "$band" "$amber" 2000 || fail "the band ($name)"
done

# config.txt's sixth line, --rotate: the turn written back at close and the
# screenshot's shape.
for c in "90 - 90 650x1024" "90 0 0 1024x650" "90 270 270 650x1024" "none 90 90 650x1024"; do
  read -r line option kept shape <<<"$c"
  printf '0\r\n0\r\n1024\r\n1\r\nudp\r\n' >config.txt
  [ "$line" = none ] || printf '%s\r\n' "$line" >>config.txt
  run --frames 1 --screenshot r.png $([ "$option" = - ] || echo --rotate "$option")
  got="$(tr -d '\r' <config.txt | sed -n 6p) $(node "$probe" r.png | tr ' ' x)"
  echo "line 6 '$line', --rotate '$option': kept and shown $got"
  [ "$got" = "$kept $shape" ] || fail "line 6 '$line' with --rotate '$option' gave $got, not $kept $shape"
done

# Two windows: each shot shows its own page (the lit label of the bezel's
# flight or tactical button) and only the dimmed one lacks the bezel's white.
# Then without --window they come back from windows.txt; --forget-windows
# starts with the first alone.
lit() { node "$probe" "$1" 318 592 72 40 "$2" 20 634 592 72 40 "$2" 20 0 0 1024 650 ffffff 30; }
rm -f config.txt windows.txt
for c in "--dim=50 --window=page=2" "" "--forget-windows"; do
  rm -f w.png w-2.png
  run --frames 2 --screenshot w.png $c
  # The label's green, at half brightness after --dim 50 (remembered).
  first=$(lit w.png "$([ "$c" != --forget-windows ] && echo 397e45 || echo 72fc8a)")
  second=$([ -f w-2.png ] && lit w-2.png 72fc8a || echo none)
  echo "run '$c': first window $first, second window $second"
  read -r flight tactical white <<<"$first"
  ((flight > 40 && tactical < 5)) || fail "the first window does not show the flight page"
  if [ "$c" = --forget-windows ]; then
    [ "$second" = none ] || fail "--forget-windows still opened the second window"
    ((white > 1000)) || fail "--forget-windows kept the first window dimmed"
    continue
  fi
  ((white == 0)) || fail "--dim 50 left white in the first window ($c)"
  read -r flight tactical white <<<"$second"
  ((tactical > 40 && flight < 5 && white > 100)) || fail "the second window is not the tactical page at full brightness ($c)"
  [ "$(grep ^window windows.txt | tr -d '\r' | tr '\n' ' ')" = "window 1: dim=50 window 2: page=2,width=1024,dim=100 " ] ||
    fail "windows.txt after '$c': $(cat windows.txt)"
done
! grep -q ^window windows.txt || fail "--forget-windows: the windows are still in windows.txt"
echo ok
