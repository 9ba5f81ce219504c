#!/usr/bin/env bash
# Installs a Velmora .deb into a clean Debian root and runs it from there:
#   scripts/package-install-test.sh velmora_<version>_amd64.deb [REFERENCE_VELMORA]
# The root is a minimal Debian (debootstrap) holding only the package's
# Depends, so a library or font the package forgot to depend on shows up as
# a failure here. In the root: dpkg -i, velmora --version, one headless frame.
# With REFERENCE_VELMORA (the build tree's program) the installed program's
# frame must equal the reference's, byte for byte.
# Needs root and the Debian mirror; the downloaded packages are kept in
# /var/cache/velmora-debootstrap for the next run.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/failure-line.sh"
deb=$(realpath "$1")
reference=${2:+$(realpath "$2")}
suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
cache=/var/cache/velmora-debootstrap
. "$(dirname "$(realpath "$0")")/../tests/support/free-ports.sh"
ports="--udp-port $(free_port) --tcp-port $(free_port)"
root=$(mktemp -d /tmp/velmora-root.XXXXXX)
trap 'rm -rf "$root"' EXIT

echo "== contents of $(basename "$deb")"
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/velmora ./usr/bin/velmora-send ./usr/bin/velmora-decode \
         ./usr/share/applications/velmora.desktop ./usr/share/icons/hicolor/scalable/apps/velmora.svg \
         ./usr/share/man/man1/velmora.1.gz ./usr/share/man/man1/velmora-send.1.gz \
         ./usr/share/man/man1/velmora-decode.1.gz ./usr/share/doc/velmora/README.md \
         ./usr/share/doc/velmora/copyright ./usr/share/doc/velmora/changelog.gz \
         ./lib/systemd/system/velmora.service; do
  grep -qx "$f" <<<"$contents" || { echo "missing from the package: $f"; exit 1; }
done

# The package's dependencies, without versions or alternatives.
depends=$(dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/[(|].*//; s/ //g' | grep . | paste -sd,)
echo "== clean $suite root with: $depends"
mkdir -p "$cache"
debootstrap --variant=minbase --cache-dir="$cache" --include="$depends" "$suite" "$root" \
  http://deb.debian.org/debian >"$root.log" 2>&1 || { tail -20 "$root.log"; rm -f "$root.log"; exit 1; }
rm -f "$root.log"

echo "== dpkg -i"
cp "$deb" "$root/tmp/velmora.deb"
chroot "$root" dpkg -i /tmp/velmora.deb
chroot "$root" dpkg -s velmora | grep -q '^Status: install ok installed'

echo "== velmora --version"
version=$(chroot "$root" velmora --version)
echo "$version"
[ "$version" = "Velmora $(dpkg-deb -f "$deb" Version)" ] || { echo "unexpected version"; exit 1; }

echo "== a headless frame"
mkdir -p "$root/tmp/run"
chroot "$root" sh -c "cd /tmp/run && velmora --headless --frames 3 $ports --screenshot frame.png"
[ -s "$root/tmp/run/frame.png" ] || { echo "no frame written"; exit 1; }
if [ -n "$reference" ]; then
  work=$(mktemp -d)
  (cd "$work" && "$reference" --headless --frames 3 $ports --screenshot frame.png)
  cmp "$work/frame.png" "$root/tmp/run/frame.png" || { rm -rf "$work"; echo "the installed program draws another frame"; exit 1; }
  rm -rf "$work"
  echo "the frame equals the build tree's"
fi
echo "ok: installed and ran in a clean root"
