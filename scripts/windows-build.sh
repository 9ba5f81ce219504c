#!/usr/bin/env bash
# The Windows build, cross-compiled here with MinGW-w64:
#
#   scripts/windows-build.sh [BUILD_DIR]        (default: build/win64)
#
# 1. the Windows libraries from the cache (scripts/windows-deps.sh builds
#    them once; later runs take seconds);
# 2. the build-time tools (artgen, artembed) from the native build in build/,
#    configured there first if need be (cmake/HostTools.cmake);
# 3. the cross build itself, programs and tests.
# The build folder is printed on standard output.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/failure-line.sh"
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath -m "${1:-$repo/build/win64}")
native=${VELMORA_NATIVE_BUILD:-$repo/build}
jobs=${VELMORA_JOBS:-2}
log() { printf 'windows-build: %s\n' "$*" >&2; }

start=$(date +%s)
deps=$("$repo/scripts/windows-deps.sh")
log "libraries in $deps ($(( $(date +%s) - start )) s)"

t=$(date +%s)
if [ ! -f "$native/CMakeCache.txt" ]; then
  cmake -S "$repo" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >&2
fi
cmake --build "$native" --target velmora-host-tools -j "$jobs" >&2
log "build-time tools from $native ($(( $(date +%s) - t )) s)"

t=$(date +%s)
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" \
  -DVELMORA_WINDOWS_DEPS="$(dirname "$deps")/current" \
  -DVELMORA_HOST_TOOLS="$native" -DVELMORA_BENCH=OFF -DVELMORA_WERROR=ON >&2
cmake --build "$build" -j "$jobs" >&2
log "cross build in $build ($(( $(date +%s) - t )) s)"
echo "$build"
