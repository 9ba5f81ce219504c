#!/usr/bin/env bash
# velmora.exe started with no console (as from Explorer) writes its lines to
# velmora.log beside config.txt: a bad option, then a headless run's notice,
# appended, each line ending in CR LF.
#   velmora_detached_log_test.sh DETACHED_START VELMORA_EXE WORKDIR
set -u
start=$1 work=$3
velmora=Z:$(realpath "$2" | tr / '\\')  # a Windows path for CreateProcess
here=$(dirname "$(realpath "$0")")
. "$here/../support/free-ports.sh"
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }
"$start" "$velmora" --no-such-option
[ $? -eq 2 ] || fail "expected status 2 for a bad option"
[ -f velmora.log ] || fail "no velmora.log"
grep -q "unknown option '--no-such-option'" velmora.log || fail "the error is not in velmora.log: $(cat velmora.log)"
"$start" "$velmora" --headless --frames 1 --udp-port "$(free_port)" --tcp-port "$(free_port)" \
  --feed does-not-exist.txt
grep -q "cannot read --feed file does-not-exist.txt" velmora.log || fail "the second run's line is missing: $(cat velmora.log)"
[ "$(grep -c . velmora.log)" -eq "$(grep -c "$(printf '\r')\$" velmora.log)" ] || fail "lines do not end in CR LF"
grep -q "unknown option" velmora.log || fail "the first run's line was lost"
echo "ok: $(grep -c . velmora.log) lines in velmora.log"
