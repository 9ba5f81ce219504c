#!/usr/bin/env bash
# The link page's QR code, read back by a real QR reader (zbarimg) from a
# headless screenshot: with --web on every network it opens the tablet view
# at this machine's first network address; with --web on 127.0.0.1 there is
# no code to read.
set -euo pipefail
velmora=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
command -v zbarimg >/dev/null || { echo "zbarimg is not installed (zbar-tools; scripts/setup.sh)"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$here/../support/free-ports.sh"
cd "$work"
web=$(free_port)

"$velmora" --headless --udp-port 0 --tcp-port 0 --web "0.0.0.0:$web" --page 3 --frames 3 --screenshot all.png 2>all.err
address=$(sed -n 's/.*; send to \([0-9.]*\):.*/\1/p' all.err)
[ -n "$address" ] || { echo "no 'send to' address on the start-up line:"; cat all.err; exit 1; }
case $address in 127.*) echo "this machine has no network address: nothing for a tablet to open"; exit 77 ;; esac
read_code=$(zbarimg --raw -q all.png 2>/dev/null || true)
[ "$read_code" = "http://$address:$web/" ] || { echo "the code reads '$read_code', not http://$address:$web/"; exit 1; }

"$velmora" --headless --udp-port 0 --tcp-port 0 --web "127.0.0.1:$web" --page 3 --frames 3 --screenshot local.png 2>local.err
if read_code=$(zbarimg --raw -q local.png 2>/dev/null); then
  echo "a code for a view on this computer only: '$read_code'"
  exit 1
fi
echo "ok: the code opens http://$address:$web/; none for a view on 127.0.0.1"
