#!/usr/bin/env bash
# Installs the Debian packages Velmora needs to build, test and run
# (chromium and nodejs: the browser view's end-to-end test; zbar-tools: the
# link page's QR code read back; avahi-daemon and avahi-utils: DNS-SD
# registration tried against a real daemon).
# As root it installs what is missing; otherwise it prints the exact command.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/failure-line.sh"

packages=(
  cmake ninja-build g++ pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libsdl2-image-dev libsdl2-ttf-dev
  libfontconfig-dev fonts-liberation2
  libasio-dev libcairo2-dev libcli11-dev
  libwebsocketpp-dev libturbojpeg0-dev chromium nodejs
  libqrencode-dev zbar-tools
  xvfb x11-utils twm xdotool libgl1-mesa-dri
  clang libclang-rt-14-dev
  lua5.4 lua-socket
  avahi-daemon avahi-utils libavahi-client3
)

. "$(dirname "$0")/packages.sh"
find_missing_packages "${packages[@]}"

if ((${#missing[@]} == 0)); then
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
  echo "Velmora needs these Debian packages. Install them with:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi

install_missing_packages
