#!/usr/bin/env bash
# The Windows zip and installer:
#
#   scripts/package-windows.sh [BUILD_DIR]       (default: build/win64)
#
# Builds (scripts/windows-build.sh), packs build/dist/velmora-<version>-win64.zip
# and velmora-<version>-win64.exe with cpack (cmake/WindowsPackage.cmake says
# what goes in), then checks both the way a user gets them, under Wine with no
# WINEPATH, so every DLL and the font must come from the package itself:
# - the zip unpacked into an empty folder runs a headless frame there;
# - the installer, silent (/S): files in %LOCALAPPDATA%\Programs\Velmora, the
#   Start-menu and desktop shortcuts starting in %LOCALAPPDATA%\Velmora, the
#   Apps & features entry; a headless frame from the installed copy in that
#   folder; then the silent uninstall, which leaves only config.txt and the
#   log there.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/failure-line.sh"
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$("$repo/scripts/windows-build.sh" "$@")
dist=$repo/build/dist
mkdir -p "$dist"
(cd "$build" && cpack -G "ZIP;NSIS" -B "$dist" >&2)
rm -rf "$dist/_CPack_Packages"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
zip=$dist/velmora-$version-win64.zip
installer=$dist/velmora-$version-win64.exe
for f in "$zip" "$installer"; do
  [ -f "$f" ] || { echo "package-windows: $f was not made" >&2; exit 1; }
done

[ -n "${WINEPREFIX:-}" ] || . "$repo/scripts/windows-wine.sh"
. "$repo/tests/support/free-ports.sh"
check=$(mktemp -d)
trap 'rm -rf "$check"' EXIT
# Into a folder named in Cyrillic: config.txt, the recording and the
# screenshot must all land there.
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$check/Кабина пилота"
folder="$check/Кабина пилота/velmora-$version-win64"
for f in velmora.exe velmora-send.exe velmora-decode.exe SDL2.dll SDL2_ttf.dll SDL2_image.dll \
         LiberationSans-Regular.ttf LiberationSans-LICENSE.txt README.txt; do
  [ -f "$folder/$f" ] || { echo "package-windows: $f is missing from the zip" >&2; exit 1; }
done
cd "$folder"
env -u WINEPATH SDL_VIDEODRIVER=offscreen SDL_RENDER_DRIVER=software \
  /usr/lib/wine/wine64 ./velmora.exe --headless --frames 2 --screenshot кадр.png --record полёт.rec \
  --udp-port "$(free_port)" --tcp-port "$(free_port)" >run.txt 2>&1 ||
  { echo "package-windows: velmora.exe did not run from the unpacked zip (status $?)" >&2; cat run.txt >&2; exit 1; }
[ -s кадр.png ] && [ -s полёт.rec ] && [ -f config.txt ] ||
  { echo "package-windows: no frame, recording or config.txt in $folder: $(ls)" >&2; cat run.txt >&2; exit 1; }
echo "package-windows: $zip ($(du -k "$zip" | cut -f1) KiB), runs from an empty folder named in Cyrillic"

# ---- The installer ----
fail() { echo "package-windows: installer: $*" >&2; exit 1; }
wine64=/usr/lib/wine/wine64
users=$WINEPREFIX/drive_c/users/$(id -un)
programs=$users/AppData/Local/Programs/Velmora
data=$users/AppData/Local/Velmora
startmenu="$users/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
startup="$startmenu/Startup"
desktop=$users/Desktop
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora'
# A clean slate from an earlier run.
rm -rf "$programs" "$data" "$startmenu/Velmora.lnk" "$startup/Velmora.lnk" "$desktop/Velmora.lnk"
"$wine64" reg delete "$key" /f >/dev/null 2>&1 || true

env -u WINEPATH "$wine64" "$installer" /S || fail "the silent install failed (status $?)"
for f in velmora.exe velmora-send.exe velmora-decode.exe SDL2.dll LiberationSans-Regular.ttf Uninstall.exe; do
  [ -f "$programs/$f" ] || fail "$f is not in $programs"
done
[ -d "$data" ] || fail "no working folder $data"
[ ! -e "$startup/Velmora.lnk" ] || fail "starts at log-in without being asked"
for link in "$startmenu/Velmora.lnk" "$desktop/Velmora.lnk"; do
  [ -f "$link" ] || fail "no shortcut $link"
  # The working folder is stored in the shortcut as UTF-16 text.
  python3 -c 'import sys; sys.exit(0 if "AppData\\Local\\Velmora".encode("utf-16-le") in open(sys.argv[1], "rb").read() else 1)' \
    "$link" || fail "$link does not start in the working folder"
done
"$wine64" reg query "$key" /v UninstallString 2>/dev/null | grep -q 'Uninstall.exe' ||
  fail "no Apps & features entry for this user"

# A frame from the installed copy, in the working folder, as the shortcut starts it.
(cd "$data" && env -u WINEPATH SDL_VIDEODRIVER=offscreen SDL_RENDER_DRIVER=software \
  "$wine64" "$programs/velmora.exe" --headless --frames 2 --screenshot "Z:${check//\//\\}\\installed.png" \
  --udp-port "$(free_port)" --tcp-port "$(free_port)" >"$check/installed.txt" 2>&1) ||
  { cat "$check/installed.txt" >&2; fail "the installed velmora.exe did not run (status $?)"; }
[ -s "$check/installed.png" ] && [ -f "$data/config.txt" ] || fail "no frame or config.txt from the installed copy"
printf 'velmora: a line from an earlier run\r\n' >"$data/velmora.log"

env -u WINEPATH "$wine64" "$programs/Uninstall.exe" /S || fail "the silent uninstall failed (status $?)"
# The uninstaller runs from a copy of itself and returns at once: wait for it
# to remove the program folder and both shortcuts, in whatever order it does.
for _ in $(seq 300); do
  [ -e "$programs" ] || [ -e "$startmenu/Velmora.lnk" ] || [ -e "$desktop/Velmora.lnk" ] || break
  sleep 0.1
done
[ ! -e "$programs" ] || fail "$programs is still there: $(ls "$programs")"
for link in "$startmenu/Velmora.lnk" "$desktop/Velmora.lnk"; do
  [ ! -e "$link" ] || fail "$link is still there"
done
! "$wine64" reg query "$key" >/dev/null 2>&1 || fail "the Apps & features entry is still there"
[ "$(ls "$data" | tr '\n' ' ')" = "config.txt velmora.log " ] || fail "the working folder holds $(ls "$data")"
echo "package-windows: $installer ($(du -k "$installer" | cut -f1) KiB): silent install, a frame from the installed copy, silent uninstall leaving config.txt and the log"
