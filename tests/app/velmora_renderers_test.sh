#!/usr/bin/env bash
# The GPU renderers draw what the software renderer draws: the eight
# documented states (docs/make-screenshots.sh) rendered in a window under Xvfb
# with --renderer opengl and --renderer opengles2 (Mesa's software GL), each
# compared with the same window drawn by --renderer software.
#   velmora_renderers_test.sh VELMORA IMAGE_DIFF FEEDS_DIR WORKDIR
# The GL renderers filter scaled and turned pictures linearly where the
# software renderer takes the nearest texel, and blend edges differently:
# a pixel counts as different beyond a channel difference of $tolerance, and
# at most $share of the pixels may differ. Mesa's GL gives 1.3 % on the
# flight page and 0.4 % on the tactical page; a missing dial, a lost tint or
# a wrong blend shows as several per cent (a single needle, 0.1 %, does not:
# the software renderer's own tests cover the needles).
set -euo pipefail
velmora=$(realpath "$1") diff=$(realpath "$2") feeds=$(realpath "$3") work=$4
tolerance=48
share=0.016
command -v Xvfb >/dev/null || { echo "Xvfb not installed: skipped"; exit 77; }
. "$(dirname "$(realpath "$0")")/../support/free-ports.sh"
rm -rf "$work" && mkdir -p "$work" && cd "$work"
display=:$((300 + RANDOM % 200))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xpid=$!
trap 'kill $xpid 2>/dev/null || true' EXIT
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
ports=(--udp-port "$(free_port)" --tcp-port "$(free_port)")

shot() {  # renderer name page [feed]
  local renderer=$1 name=$2 page=$3 feed=()
  [ $# -ge 4 ] && feed=(--feed "$feeds/$4.txt")
  rm -f config.txt
  DISPLAY=$display "$velmora" "${ports[@]}" --renderer "$renderer" --no-link-alerts --frames 3 --page "$page" "${feed[@]}" \
    --screenshot "$name-$renderer.png" 2>"$name-$renderer.err" ||
    { echo "$name on $renderer: exit status $?"; cat "$name-$renderer.err"; return 1; }
  # SDL falls back to another renderer when the one asked for cannot start.
  if grep -q "not available" "$name-$renderer.err"; then cat "$name-$renderer.err"; return 1; fi
}

failed=0
states=("startup 1" "cruise 1 cruise" "turn-7g 1 turn-7g" "afterburner 1 afterburner" "low-fuel 1 low-fuel"
        "ils-approach 1 ils-approach" "tactical-8km 2 tactical-8km" "tactical-15km 2 tactical-15km")
for state in "${states[@]}"; do
  set -- $state
  shot software "$@"
  for renderer in opengl opengles2; do
    shot "$renderer" "$@"
    printf '%-14s %-10s ' "$1" "$renderer"
    "$diff" "$1-software.png" "$1-$renderer.png" "$tolerance" "$share" || failed=1
  done
done
exit $failed
