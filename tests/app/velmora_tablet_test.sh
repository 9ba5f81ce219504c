#!/usr/bin/env bash
# The tablet page across a display restart in headless Chromium
# (tablet_reconnect.mjs); with a third argument its picture while the display
# is away is kept there.
set -euo pipefail
command -v "${CHROMIUM:-chromium}" >/dev/null || { echo "chromium is not installed (scripts/setup.sh)"; exit 77; }
command -v node >/dev/null || { echo "node is not installed (scripts/setup.sh)"; exit 77; }
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
node "$here/tablet_reconnect.mjs" "$(realpath "$1")" "$(realpath "$2")" "$work" ${3:+"$(realpath -m "$3")"}
