#!/usr/bin/env bash
# One real window of the Windows build, under Wine's X11 driver in a virtual
# X display (Xvfb):
#
#   scripts/windows-window-check.sh [BUILD_DIR] [SCREENSHOT.png]
#
# The window must open with the caption "tcp Velmora <version>", show the
# instruments (its picture is saved, by default to
# BUILD_DIR/test-out/windows-window.png), close on WM_CLOSE as from its
# close button, and the program must then end cleanly having written
# config.txt (five CR LF lines).
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/failure-line.sh"
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath "${1:-$repo/build/win64}")
shot=$(realpath -m "${2:-$build/test-out/windows-window.png}")
command -v Xvfb >/dev/null || { echo "windows-window-check: Xvfb is not installed" >&2; exit 1; }
[ -n "${WINEPREFIX:-}" ] || . "$repo/scripts/windows-wine.sh"
. "$repo/tests/support/free-ports.sh"

work=$(mktemp -d)
xpid=""; vpid=""
# On the way out the Wine session bound to this X server ends with it.
trap 'kill $vpid $xpid 2>/dev/null || true; /usr/lib/wine/wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
. "$repo/tests/support/xvfb.sh"
start_xvfb 1600x1000x24
display=$xvfb_display

version=$("$build/emulated/velmora" --version | tr -d '\r' | awk '{print $2}')
caption="tcp Velmora $version"
cd "$work"
# Wine's desktop process takes the X display of the program that started it,
# and the tests before this one ran without any: windows would then fail to be
# created ("Couldn't create window"). A new Wine session starts on this display.
/usr/lib/wine/wineserver -k 2>/dev/null || true
/usr/lib/wine/wineserver -w 2>/dev/null || true
DISPLAY=$display SDL_RENDER_DRIVER=software "$build/emulated/velmora" \
  --udp-port "$(free_port)" --tcp-port "$(free_port)" >out.txt 2>&1 &
vpid=$!
DISPLAY=$display "$build/emulated/velmora-window-probe" "$caption" shot.bmp ||
  { echo "windows-window-check: window check failed"; cat out.txt; exit 1; }
for _ in $(seq 100); do kill -0 $vpid 2>/dev/null || break; sleep 0.1; done
wait $vpid || { echo "windows-window-check: exit status $? after WM_CLOSE"; cat out.txt; exit 1; }
vpid=""
[ -f config.txt ] || { echo "windows-window-check: config.txt not written"; exit 1; }
[ "$(grep -c $'\r$' config.txt)" = 5 ] || { echo "windows-window-check: config.txt is not five CR LF lines"; exit 1; }
[ "$(tr -d '\r' < config.txt | sed -n 5p)" = tcp ] || { echo "windows-window-check: transport not kept"; exit 1; }

# The BMP the probe took, as a PNG (no image tools needed).
mkdir -p "$(dirname "$shot")"
python3 - shot.bmp "$shot" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
offset, = struct.unpack_from('<I', data, 10)
width, height = struct.unpack_from('<ii', data, 18)
height = abs(height)  # stored top row first
rows = []
for y in range(height):
    row = data[offset + y * width * 4: offset + (y + 1) * width * 4]
    rows.append(b'\0' + b''.join(bytes((row[i + 2], row[i + 1], row[i])) for i in range(0, len(row), 4)))
def chunk(kind, body):
    return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0))
png += chunk(b'IDAT', zlib.compress(b''.join(rows), 9)) + chunk(b'IEND', b'')
open(sys.argv[2], 'wb').write(png)
# A black or blank picture means nothing was drawn.
colours = len(set(data[offset + i: offset + i + 3] for i in range(0, width * height * 4, 4 * 97)))
sys.exit(0 if colours > 20 else 'windows-window-check: the window shows %d colours only' % colours)
PY
echo "windows-window-check: ok ($caption, closed by WM_CLOSE, config.txt written, picture in $shot)"
