#!/usr/bin/env bash
# Installs what is missing, builds, and starts the display with the demo
# flight beside it. Ctrl-C stops both. Without a display the picture goes to
# velmora.png, rewritten every second.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)"

# Send the demo over the transport config.txt chooses (TCP without a file).
transport=tcp
if [[ -f config.txt ]]; then
  line5=$(sed -n 5p config.txt | tr -d '\r' | sed 's/[[:space:]]*$//')
  [[ "$line5" == udp ]] && transport=udp
fi

sender=""
cleanup() { [[ -n "$sender" ]] && kill "$sender" 2>/dev/null || true; }
trap cleanup EXIT
if [[ -x build/bin/velmora-send ]]; then
  build/bin/velmora-send --demo "--$transport" &
  sender=$!
fi

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "No display found: running headless, writing velmora.png every second (Ctrl-C stops)."
  build/bin/velmora --headless --screenshot velmora.png --screenshot-interval 1 "$@"
else
  build/bin/velmora "$@"
fi
