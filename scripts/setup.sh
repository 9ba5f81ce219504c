#!/usr/bin/env bash
# Installs the Debian packages Velmora needs to build, test and run.
# As root it installs what is missing; otherwise it prints the exact command.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libsdl2-image-dev libsdl2-ttf-dev
  libfontconfig-dev fonts-liberation2
  libasio-dev libcairo2-dev
  xvfb x11-utils twm libgl1-mesa-dri
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
  echo "Velmora needs these Debian packages. Install them with:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! apt-get install -y -q "${missing[@]}"; then
  apt-get update -q
  apt-get install -y -q "${missing[@]}"
fi
