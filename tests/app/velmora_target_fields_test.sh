#!/usr/bin/env bash
# --target-fields on the real program, headless: a target 2900 m away (100
# pixels) with bearing and heading 0 draws the same bytes with or without the
# option; a bearing of a quarter turn moves the symbol to the right of the own
# aircraft only with the option; velmora-decode reads them as the display does.
set -euo pipefail
command -v node >/dev/null || { echo "node is not installed (scripts/setup.sh)"; exit 77; }
velmora=$(realpath "$1") decode=$(realpath "$2")
probe="$(dirname "$(realpath "$0")")/../support/png_probe.mjs"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*"; exit 1; }
# message BEARING HEADING: 35 fields, range 2900 m at position 30.
message() {
  for k in $(seq 35); do
    case $k in 30) printf '2900 ' ;; 34) printf '%s ' "$1" ;; 35) printf '%s ' "$2" ;; *) printf '0 ' ;; esac
  done
  printf '$'
}
shot() {  # FEED PNG [OPTION]
  printf '0\r\n0\r\n1024\r\n1\r\nudp\r\n' >config.txt
  "$velmora" --headless --udp-port 0 --tcp-port 0 --no-announce --page 2 --frames 2 --feed "$1" --screenshot "$2" ${3:-} \
    2>>err.txt >/dev/null || fail "run $*: $(cat err.txt)"
}
message 0 0 >zero.txt
message 1.5708 0 >right.txt
shot zero.txt plain.png
shot zero.txt zero.png --target-fields
cmp -s plain.png zero.png || fail "bearing and heading 0 changed the picture"
# Dark green symbol pixels straight ahead (387,420) and to the right (487,520).
for c in "right.txt --target-fields 0 1" "right.txt - 1 0"; do
  read -r feed option ahead right <<<"$c"
  shot "$feed" t.png "$([ "$option" = - ] || echo "$option")"
  read -r a r <<<"$(node "$probe" t.png 380 410 30 30 1e4d2a 40 480 510 30 30 1e4d2a 40)"
  echo "$feed $option: $a pixels ahead, $r to the right"
  if [ "$ahead" = 1 ]; then [ "$a" -gt 30 ]; else [ "$a" -lt 5 ]; fi || fail "$feed $option: ahead $a"
  if [ "$right" = 1 ]; then [ "$r" -gt 30 ]; else [ "$r" -lt 5 ]; fi || fail "$feed $option: right $r"
done
for c in "--target-fields 1.5708 0" "- 0 0"; do
  read -r option bearing heading <<<"$c"
  got=$("$decode" $([ "$option" = - ] || echo "$option") right.txt 2>/dev/null | grep '^Target[BH]' | tr '\n' ' ')
  [ "$got" = "TargetHeading $heading TargetBearing $bearing " ] || fail "velmora-decode $option: $got"
done
echo ok
