#!/usr/bin/env bash
# Installs the Debian packages Velmora needs to build, test and run
# (chromium and nodejs: the browser view's end-to-end test).
# As root it installs what is missing; otherwise it prints the exact command.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libsdl2-image-dev libsdl2-ttf-dev
  libfontconfig-dev fonts-liberation2
  libasio-dev libcairo2-dev
  libwebsocketpp-dev libturbojpeg0-dev chromium nodejs
  xvfb x11-utils twm libgl1-mesa-dri
  clang libclang-rt-14-dev
  lua5.4 lua-socket
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

# apt-get, waiting while another package manager (an unattended upgrade, a
# second terminal) holds the lock instead of failing at once: up to ten
# minutes in all, in steps of five seconds.
lock_waits=0
apt_get() {
  local log told=0 rc
  log=$(mktemp)
  while true; do
    rc=0
    apt-get "$@" 2> "$log" || rc=$?
    if ((rc != 0 && lock_waits < 120)) && grep -q -e 'Could not get lock' -e 'Unable to lock' \
        -e 'Unable to acquire the dpkg frontend lock' "$log"; then
      if ((!told)); then
        echo "Another package manager holds the lock; waiting for it to finish (up to 10 minutes)..."
        told=1
      fi
      lock_waits=$((lock_waits + 1))
      sleep 5
      continue
    fi
    cat "$log" >&2
    rm -f "$log"
    return "$rc"
  done
}

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! apt_get install -y -q "${missing[@]}"; then
  apt_get update -q
  apt_get install -y -q "${missing[@]}"
fi
