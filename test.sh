#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
# the normal build (warnings are errors here, as in CI and the cross builds),
# then the tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, then a short fuzzing run when clang is present.
set -euo pipefail
. "$(dirname "$0")/scripts/failure-line.sh"
cd "$(dirname "$0")"

./scripts/setup.sh

jobs=$(nproc 2>/dev/null || echo 2)
# Compiler cache entries keyed on paths relative to the tree, so a second
# clone (CI's) reuses what the first one compiled.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

echo "== build (RelWithDebInfo)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
echo "== tests"
ctest --test-dir build --output-on-failure -j "$jobs"

if [[ "${VELMORA_SKIP_SANITIZERS:-0}" != 1 ]]; then
  echo "== sanitizer build (ASan + UBSan)"
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON -DVELMORA_BENCH=OFF \
    -DVELMORA_WERROR=ON >/dev/null
  # Build tools run during the build (the picture generator) keep library
  # caches alive until exit; their leaks are not the display's.
  ASAN_OPTIONS=detect_leaks=0 cmake --build build-asan -j "$jobs"
  echo "== tests under sanitizers"
  ASAN_OPTIONS=detect_leaks=0 VELMORA_SANITIZED=1 ctest --test-dir build-asan --output-on-failure -j "$jobs"
fi

if [[ "${VELMORA_SKIP_FUZZ:-0}" != 1 ]] && command -v clang++ >/dev/null && [[ -f fuzz/CMakeLists.txt ]]; then
  echo "== fuzzing (30 s)"
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELMORA_FUZZ=ON -DVELMORA_BENCH=OFF -DVELMORA_WERROR=ON >/dev/null
  cmake --build build-fuzz -j "$jobs" --target velmora-fuzz-telemetry
  mkdir -p build-fuzz/corpus
  build-fuzz/bin/velmora-fuzz-telemetry -max_total_time=30 -print_final_stats=1 build-fuzz/corpus fuzz/seeds
fi
echo "== all tests passed"
