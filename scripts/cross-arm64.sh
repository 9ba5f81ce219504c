#!/usr/bin/env bash
# Cross-builds Velmora for 64-bit ARM (Raspberry Pi OS 64-bit, Debian arm64)
# on a Debian amd64 machine and runs the tests under qemu-user-static.
#
#   scripts/cross-arm64.sh            build, then every test but the reliability runs
#   scripts/cross-arm64.sh --subset   build what they need, then the end-to-end test, the
#                                     artwork checksums, the telemetry scanner, the pages and
#                                     the software renderer's fast paths against SDL (CI)
#   scripts/cross-arm64.sh --build    build what the package holds (scripts/package.sh)
#
# Installs what is missing, as setup.sh does: the arm64 architecture for
# dpkg, the cross compiler, qemu and the :arm64 development packages. The
# pictures are drawn by the native build's artgen (build/, see
# cmake/HostTools.cmake), so the arm64 build embeds the same bytes and its
# artwork checksums are the amd64 build's.
# The reliability runs (frame rates under load) are left out: under emulation
# they measure qemu. So is the window test (VelmoraWindow): it gives the
# height one second to follow the width, and under qemu it finds the window
# still 1024 x 600 instead of 1024 x 640 (so does a native run on a busy
# machine). The GL renderer comparison runs: Mesa's arm64 software GL under
# qemu, about three minutes.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/failure-line.sh"
cd "$(dirname "$0")/.."

mode=all
for arg in "$@"; do
  case $arg in
    --subset) mode=subset ;;
    --build) mode=build ;;
    *) echo "usage: scripts/cross-arm64.sh [--subset | --build]" >&2; exit 2 ;;
  esac
done

./scripts/setup.sh

packages=(
  crossbuild-essential-arm64 qemu-user-static file
  libsdl2-dev:arm64 libsdl2-image-dev:arm64 libsdl2-ttf-dev:arm64
  libfontconfig-dev:arm64 libcairo2-dev:arm64
  libgtest-dev:arm64 libgmock-dev:arm64 libturbojpeg0-dev:arm64 libwebsocketpp-dev
  libqrencode-dev:arm64
)
. scripts/packages.sh
find_missing_packages "${packages[@]}"
if ((${#missing[@]})); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "The arm64 cross build needs these packages. Install them with:" >&2
    echo "  sudo dpkg --add-architecture arm64 && sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  if ! dpkg --print-foreign-architectures | grep -qx arm64; then
    dpkg --add-architecture arm64
    apt_get update -q
  fi
  install_missing_packages --no-install-recommends
fi

jobs=$(nproc 2>/dev/null || echo 2)

# The CI subset, and the targets that hold its tests: the programs (the
# end-to-end test drives them; the artwork is drawn for the display) and six
# test programs. Only these are built for it. A test of the subset in a
# program missing here shows up as <program>_NOT_BUILT, or as a count that
# differs from the native build's, and fails the run.
subset_tests='^(VelmoraDemoEndToEnd|ArtworkChecksums|Telemetry|TcpStreamFramer|Calibration|FlightPage|TacticalPage|FrameCycle|Notation|SdlFastPath|DirectBlits\.)'
subset_targets=(velmora velmora-send TelemetryTest TelemetryInputTest NotationTest FlightPageTest TacticalPageTest
  FrameCycleTest SdlFastPathTest)
# What the Debian package installs (cmake/Packaging.cmake); cpack then builds
# nothing more (CMAKE_SKIP_INSTALL_ALL_DEPENDENCY).
package_targets=(velmora velmora-send velmora-decode velmora-changelog)

echo "== build-time tools (native, build/)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs" --target velmora-host-tools

echo "== arm64 cross build (build-arm64/)"
start=$SECONDS
cmake -S . -B build-arm64 -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake -DVELMORA_HOST_TOOLS="$PWD/build" \
  -DVELMORA_BENCH=OFF -DVELMORA_WERROR=ON -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
case $mode in
  subset) cmake --build build-arm64 -j "$jobs" --target "${subset_targets[@]}" ;;
  build)
    # The manual pages exist where help2man does.
    man=()
    targets=$(cmake --build build-arm64 --target help)
    if grep -q 'velmora-man-pages: phony' <<<"$targets"; then man=(velmora-man-pages); fi
    cmake --build build-arm64 -j "$jobs" --target "${package_targets[@]}" "${man[@]}" ;;
  *) cmake --build build-arm64 -j "$jobs" ;;
esac
echo "arm64 build: $((SECONDS - start)) s"
file build-arm64/bin/velmora | grep -q 'ARM aarch64' || { echo "build-arm64/bin/velmora is not an arm64 program"; exit 1; }
[[ $mode == build ]] && exit 0

echo "== arm64 tests under qemu"
start=$SECONDS
if [[ $mode == subset ]]; then
  listed=$(ctest --test-dir build-arm64 -N -R "$subset_tests")
  if grep -q '_NOT_BUILT' <<<"$listed"; then
    echo "The arm64 subset needs a program that is not built: add it to subset_targets:" >&2
    grep '_NOT_BUILT' <<<"$listed" >&2
    exit 1
  fi
  count=$(grep -c ' Test *#' <<<"$listed" || true)
  # The native build, when every test program is built there (CI's test.sh),
  # finds the same tests.
  native=$(ctest --test-dir build -N -R "$subset_tests" 2>/dev/null || true)
  if grep -q ' Test *#' <<<"$native" && ! grep -q '_NOT_BUILT' <<<"$native"; then
    native_count=$(grep -c ' Test *#' <<<"$native")
    if ((native_count != count)); then
      echo "The arm64 subset finds $count tests, the native build $native_count: add the missing programs to subset_targets" >&2
      exit 1
    fi
  fi
  echo "$count tests in the subset"
  ctest --test-dir build-arm64 --output-on-failure -j "$jobs" -R "$subset_tests"
else
  ctest --test-dir build-arm64 --output-on-failure -j "$jobs" -LE reliability -E '^VelmoraWindow$'
fi
echo "arm64 tests: $((SECONDS - start)) s"
