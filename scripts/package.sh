#!/usr/bin/env bash
# Builds the Debian packages velmora_<version>_amd64.deb (native build, build/)
# and velmora_<version>_arm64.deb (cross build, build-arm64/) into build/dist/,
# checks the programs in both with hardening-check (every protection present),
# the amd64 one with lintian (no errors allowed; the report is
# build/dist/lintian.txt) and installs it into a clean Debian root
# (scripts/package-install-test.sh).
#
#   scripts/package.sh              both packages, lintian, the install test
#   scripts/package.sh --no-install both packages and lintian only
#
# Installs what is missing (help2man, lintian, debootstrap, dpkg-dev,
# devscripts for hardening-check, and systemd for systemd-analyze), as
# setup.sh does.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/failure-line.sh"
cd "$(dirname "$0")/.."

install_test=1
for arg in "$@"; do
  case $arg in
    --no-install) install_test=0 ;;
    *) echo "usage: scripts/package.sh [--no-install]" >&2; exit 2 ;;
  esac
done

./scripts/setup.sh
packages=(help2man lintian debootstrap dpkg-dev file systemd devscripts)
. scripts/packages.sh
find_missing_packages "${packages[@]}"
if ((${#missing[@]})); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "Packaging needs: sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  install_missing_packages --no-install-recommends
fi

jobs=$(nproc 2>/dev/null || echo 2)
dist=build/dist
mkdir -p "$dist"
rm -f "$dist"/velmora_*.deb

echo "== amd64 package"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
(cd build && cpack -G DEB >/dev/null && mv velmora_*_amd64.deb dist/)

echo "== arm64 package"
./scripts/cross-arm64.sh --build
(cd build-arm64 && cpack -G DEB >/dev/null && mv velmora_*_arm64.deb ../build/dist/)

for deb in "$dist"/velmora_*.deb; do
  echo "$(basename "$deb"): $(stat -c %s "$deb") bytes; Depends: $(dpkg-deb -f "$deb" Depends)"
done

echo "== hardening-check"
# The programs as packaged: stack protector, fortified calls, relro with
# immediate binding, PIE, stack-clash and control-flow protection.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
missed=0
# A program is marked as control-flow protected only when every object
# linked into it is; Debian 12's C start files (Scrt1.o, crti.o) are not, so
# there the check is that the code itself has its landing pads (endbr64).
# hardening-check reads x86 marks only; on arm64 the protection is branch
# protection, which Debian's arm64 libraries do not carry yet.
start_files_marked=0
readelf -n "$(gcc -print-file-name=Scrt1.o)" 2>/dev/null | grep -q 'x86 feature: IBT' && start_files_marked=1
for deb in "$dist"/velmora_*.deb; do
  arch=$(dpkg-deb -f "$deb" Architecture)
  dpkg-deb -x "$deb" "$unpacked/$arch"
  skip=()
  [[ $arch == amd64 && $start_files_marked == 1 ]] || skip=(--nocfprotection)
  for program in velmora velmora-send velmora-decode; do
    file=$unpacked/$arch/usr/bin/$program
    hardening-check "${skip[@]}" "$file" | sed "s|$unpacked/||" || missed=1
    if [[ $arch == amd64 && $start_files_marked == 0 ]]; then
      pads=$(objdump -d --no-show-raw-insn "$file" | grep -c endbr64 || true)
      echo " Control flow landing pads (endbr64): $pads"
      ((pads > 100)) || missed=1
    fi
  done
done
((missed == 0)) || { echo "hardening-check: a packaged program lacks a protection"; exit 1; }

echo "== lintian (amd64)"
status=0
lintian --fail-on error "$dist"/velmora_*_amd64.deb >"$dist/lintian.txt" 2>&1 || status=$?
sed -i '/root privileges/d' "$dist/lintian.txt"
cat "$dist/lintian.txt"
((status == 0)) || { echo "lintian reports errors"; exit 1; }
echo "lintian: $(grep -c '^E:' "$dist/lintian.txt" || true) errors, $(grep -c '^W:' "$dist/lintian.txt" || true) warnings"

echo "== systemd unit (amd64)"
# Verified as installed: the package's files over this machine's units, so
# the program named by ExecStart= exists and the targets it names resolve.
# Any remark (an unknown key is only a warning) counts as a failure.
unit_root=$(mktemp -d)
mkdir -p "$unit_root/lib/systemd"
cp -r /lib/systemd/system "$unit_root/lib/systemd/"
dpkg-deb -x "$dist"/velmora_*_amd64.deb "$unit_root"
remarks=$(systemd-analyze verify --man=no --root="$unit_root" velmora.service 2>&1) || remarks+=" (exit status $?)"
rm -rf "$unit_root"
[ -z "$remarks" ] || { echo "$remarks"; echo "systemd-analyze verify: the unit has faults"; exit 1; }
echo "systemd-analyze verify: clean"

if ((install_test)); then
  echo "== install into a clean root"
  ./scripts/package-install-test.sh "$dist"/velmora_*_amd64.deb build/bin/velmora
fi
ls -l "$dist"
