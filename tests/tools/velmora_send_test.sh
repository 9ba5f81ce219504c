#!/bin/sh
# End-to-end tests of velmora-send against a stand-in receiver that parses
# every message with the display's own telemetry code.
#   velmora_send_test.sh MODE VELMORA_SEND CATCHER WORKDIR
# MODE: udp (demo over UDP), tcp (waiting for and reconnecting to the
# display), replay (record, replay, compare bytes; malformed recordings).
set -u
mode=$1 send=$2 catcher=$3 work=$4
rm -rf "$work" && mkdir -p "$work" || exit 1
cd "$work" || exit 1

fail() { echo "FAIL: $*"; exit 1; }

# Starts the catcher in the background and waits for its port number.
start_catcher() {  # name transport seconds [options...]
  name=$1; shift
  rm -f "$name.port"
  "$catcher" "$1" "$name.port" "$2" "$@" > "$name.out" 2> "$name.err" &
  pid=$!
  i=0
  while [ ! -s "$name.port" ]; do
    i=$((i + 1)); [ $i -gt 100 ] && fail "catcher $name did not start"
    sleep 0.05
  done
  port=$(tr -d '\r' < "$name.port")  # a Windows catcher ends its lines in CR LF
}

# check NAME MIN_MESSAGES [CONNECTIONS]
check() {
  tr -d '\r' < "$1.out" > "$1.summary"
  read -r _ messages _ errors _ connections < "$1.summary" || fail "no catcher summary for $1"
  echo "$1: $messages messages, $errors errors, $connections connections"
  [ "$messages" -ge "$2" ] || fail "$1: expected at least $2 messages"
  [ "$errors" -eq 0 ] || fail "$1: the display's parser reported $errors errors"
  if [ $# -ge 3 ]; then [ "$connections" -eq "$3" ] || fail "$1: expected $3 connections"; fi
}

# The message bytes of a recording, without times.
payloads() { grep -v '^#' "$1" | sed 's/^[0-9]* //'; }

case $mode in
udp)
  start_catcher udp --udp 4 --record udp.rec
  "$send" --demo --udp "127.0.0.1:$port" --duration 2 2> send.err || fail "velmora-send failed: $(cat send.err)"
  wait $pid
  check udp 50
  # At 30 per second for 2 s: no more than 61 can have gone out.
  [ "$messages" -le 61 ] || fail "sent faster than 30 per second: $messages"
  lines=$(payloads udp.rec | grep -c '\$\\r\\n$')
  [ "$lines" -eq "$messages" ] || fail "not every datagram ends in \$ CR LF ($lines of $messages)"
  ;;
tcp)
  # The display is not accepting for the first second, then drops the first
  # connection after a second (a restart): the sender must wait and come back.
  start_catcher tcp --tcp 5 --listen-delay 1 --drop-after 1
  "$send" --demo --tcp "127.0.0.1:$port" --duration 4 2> send.err || fail "velmora-send failed: $(cat send.err)"
  wait $pid
  cat send.err
  check tcp 30 2
  grep -q "waiting for the display" send.err || fail "no waiting notice"
  grep -q "lost" send.err || fail "no notice of the lost connection"
  ;;
replay)
  start_catcher first --udp 3 --record first.rec
  "$send" --demo --speed 20 --udp "127.0.0.1:$port" --count 25 2> send1.err || fail "demo failed: $(cat send1.err)"
  wait $pid
  check first 25
  start_catcher second --udp 3 --record second.rec
  started=$(date +%s%N)
  "$send" --replay first.rec --udp "127.0.0.1:$port" 2> send2.err || fail "replay failed: $(cat send2.err)"
  took=$(( ($(date +%s%N) - started) / 1000000 ))
  wait $pid
  check second 25
  payloads first.rec > first.bytes
  payloads second.rec > second.bytes
  cmp -s first.bytes second.bytes || fail "replayed messages differ from the recording: $(diff first.bytes second.bytes | head -5)"
  # 25 messages 1/30 s apart take about 0.8 s in real time.
  [ "$took" -ge 600 ] || fail "replay ran too fast: ${took} ms"

  printf '# hand-edited\n0 udp 1 2 3 $\n40 udp 1 \\q 3 $\n' > bad.rec
  "$send" --replay bad.rec --udp "127.0.0.1:$port" 2> bad.err && fail "a malformed recording was accepted"
  grep -q 'bad.rec: line 3: unknown escape' bad.err || fail "unclear error: $(cat bad.err)"
  printf '# nothing\n\n' > empty.rec
  "$send" --replay empty.rec 2> empty.err && fail "an empty recording was accepted"
  grep -q 'no messages' empty.err || fail "unclear error: $(cat empty.err)"
  ;;
*)
  fail "unknown mode $mode"
  ;;
esac
echo "PASS: $mode"
