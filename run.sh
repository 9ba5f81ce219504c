#!/usr/bin/env bash
# Installs what is missing, builds, and starts the display.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)"
if [[ -x build/bin/velmora ]]; then
  if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "No display found: running headless, writing velmora.png every second (Ctrl-C stops)."
    exec build/bin/velmora --headless --screenshot velmora.png --screenshot-interval 1 "$@"
  fi
  exec build/bin/velmora "$@"
fi
exec build/bin/velmora-decode --help
