#!/bin/sh
# Renders the reference screenshots docs/<name>.png from the telemetry
# messages in docs/feeds/ (regenerate those with docs/feeds/make-feeds.py).
#
#   docs/make-screenshots.sh [path/to/velmora]
#
# The display runs headless on the software renderer for three frames (the
# first already shows the feed; the slip ball settles on the second) in a
# scratch directory, so no config.txt of yours is touched.
set -eu

docs=$(cd "$(dirname "$0")" && pwd)
velmora=${1:-"$docs/../build/bin/velmora"}
velmora=$(cd "$(dirname "$velmora")" && pwd)/$(basename "$velmora")
[ -x "$velmora" ] || { echo "make-screenshots: no velmora at $velmora (build the 'velmora' target)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
cd "$work"

shot() {  # name page [feed]
  name=$1 page=$2
  rm -f config.txt
  if [ $# -ge 3 ]; then
    SDL_RENDER_DRIVER=software "$velmora" --headless --udp-port 0 --tcp-port 0 --frames 3 --page "$page" \
      --feed "$docs/feeds/$3.txt" --screenshot "$docs/$name.png"
  else
    SDL_RENDER_DRIVER=software "$velmora" --headless --udp-port 0 --tcp-port 0 --frames 3 --page "$page" \
      --screenshot "$docs/$name.png"
  fi
  echo "docs/$name.png"
}

shot startup 1
for f in cruise turn-7g afterburner low-fuel ils-approach; do shot "$f" 1 "$f"; done
shot tactical-8km 2 tactical-8km
shot tactical-15km 2 tactical-15km
# A panel mounted sideways: the cruise picture turned 90 degrees clockwise.
rm -f config.txt
SDL_RENDER_DRIVER=software "$velmora" --headless --udp-port 0 --tcp-port 0 --frames 3 --page 1 --rotate 90 \
  --feed "$docs/feeds/cruise.txt" --screenshot "$docs/panel-turned-90.png"
echo "docs/panel-turned-90.png"

# The glass, which needs time to pass and names this machine's addresses
# and the ports it happened to get, so these differ from machine to machine:
# the band after 3 s without telemetry, the NO DATA flag 1.5 s after the
# last message, the link page with the tablet view on every network.
glass() {  # name frames page [options...]
  name=$1 frames=$2 page=$3
  shift 3
  rm -f config.txt
  SDL_RENDER_DRIVER=software "$velmora" --headless --udp-port 0 --tcp-port 0 --frames "$frames" --page "$page" \
    "$@" --screenshot "$docs/$name.png" 2>/dev/null
  echo "docs/$name.png"
}
glass glass-band 100 1
glass glass-stale 45 1 --feed "$docs/feeds/cruise.txt"
glass link-page 40 3 --feed "$docs/feeds/cruise.txt" --web 0.0.0.0:0
# The tablet page while the display restarts under it needs Chromium:
#   tests/app/velmora_tablet_test.sh build/bin/velmora build/bin/velmora-send docs/tablet-reconnecting.png
