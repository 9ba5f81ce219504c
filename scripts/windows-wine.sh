# Sourced by the Windows scripts: a private, warm Wine for running the
# cross-built programs.
#
# WINEPREFIX is the project's own (build/wine unless VELMORA_WINEPREFIX says
# otherwise), so nothing of the user's Wine is touched or used. A persistent
# wineserver keeps the prefix warm: without it every test program would pay
# Wine's start-up again, and gtest's discovery of the cases would time out.
# The server ends by itself a minute after the last Wine program.
wine_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${VELMORA_WINEPREFIX:-$wine_repo/build/wine}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}  # no Mono or Gecko prompts
VELMORA_WINE64=/usr/lib/wine/wine64
VELMORA_WINESERVER=/usr/lib/wine/wineserver
[ -x "$VELMORA_WINE64" ] || { echo "wine64 is not installed (scripts/windows-deps.sh installs it)" >&2; exit 1; }
mkdir -p "$WINEPREFIX"
"$VELMORA_WINESERVER" -p60 || true  # status 2: already running for this prefix
# The first start creates or updates the prefix (tens of seconds when new).
"$VELMORA_WINE64" cmd /c exit >/dev/null 2>&1 || true
