#!/usr/bin/env bash
# The Windows zip:
#
#   scripts/package-windows.sh [BUILD_DIR]       (default: build/win64)
#
# Builds (scripts/windows-build.sh), packs build/dist/velmora-<version>-win64.zip
# with cpack (cmake/WindowsPackage.cmake says what goes in), then checks it
# the way a user gets it: unpacked into an empty folder, velmora.exe runs a
# headless frame from there under Wine with no WINEPATH, so every DLL and
# the font must come from the zip itself.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$("$repo/scripts/windows-build.sh" "$@")
dist=$repo/build/dist
mkdir -p "$dist"
(cd "$build" && cpack -G ZIP -B "$dist" >&2)
rm -rf "$dist/_CPack_Packages"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
zip=$dist/velmora-$version-win64.zip
[ -f "$zip" ] || { echo "package-windows: $zip was not made" >&2; exit 1; }

[ -n "${WINEPREFIX:-}" ] || . "$repo/scripts/windows-wine.sh"
. "$repo/tests/support/free-ports.sh"
check=$(mktemp -d)
trap 'rm -rf "$check"' EXIT
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$check"
folder=$check/velmora-$version-win64
for f in velmora.exe velmora-send.exe velmora-decode.exe SDL2.dll SDL2_ttf.dll SDL2_image.dll \
         LiberationSans-Regular.ttf LiberationSans-LICENSE.txt README.txt; do
  [ -f "$folder/$f" ] || { echo "package-windows: $f is missing from the zip" >&2; exit 1; }
done
cd "$folder"
env -u WINEPATH SDL_VIDEODRIVER=offscreen SDL_RENDER_DRIVER=software \
  /usr/lib/wine/wine64 ./velmora.exe --headless --frames 2 --screenshot frame.png \
  --udp-port "$(free_port)" --tcp-port "$(free_port)" >run.txt 2>&1 ||
  { echo "package-windows: velmora.exe did not run from the unpacked zip (status $?)" >&2; cat run.txt >&2; exit 1; }
[ -s frame.png ] && [ -f config.txt ] || { echo "package-windows: no frame or config.txt from the unpacked zip" >&2; exit 1; }
echo "package-windows: $zip ($(du -k "$zip" | cut -f1) KiB), runs from an empty folder"
