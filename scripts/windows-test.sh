#!/usr/bin/env bash
# The whole test suite of the Windows build, run under Wine:
#
#   scripts/windows-test.sh [BUILD_DIR]        (default: build/win64)
#
# Builds first (scripts/windows-build.sh), then runs ctest in a private, warm
# Wine (scripts/windows-wine.sh): the programs find the SDL DLLs through the
# toolchain file's WINEPATH, and the pixel tests draw with SDL's software
# renderer and the bundled font. Last, one real window under Xvfb
# (scripts/windows-window-check.sh).
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/failure-line.sh"
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$("$repo/scripts/windows-build.sh" "$@")
. "$repo/scripts/windows-wine.sh"
start=$(date +%s)
ctest --test-dir "$build" -j "${VELMORA_JOBS:-2}" --output-on-failure --timeout 300
echo "windows-test: ctest under wine took $(( $(date +%s) - start )) s"
"$repo/scripts/windows-window-check.sh" "$build"
