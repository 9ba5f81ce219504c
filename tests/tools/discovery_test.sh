#!/usr/bin/env bash
# Finding the display without an address, end to end, on spare ports (the
# beacon's too):
#   discovery_test.sh MODE VELMORA VELMORA_SEND
# MODE find:   velmora-send --find lists two displays by name (one with
#              spaces and odd characters), transport, port and browser URL,
#              and counts foreign datagrams; a display starts and beacons
#              while another program holds the announce port.
# MODE relay:  velmora-send --relay --to auto feeds a display it hears.
# MODE errors: a group address that is not multicast, a bad --name.
# MODE dnssd:  against a real avahi-daemon (started here when none runs):
#              the telemetry and browser services with their TXT records,
#              registered again when the daemon restarts.
set -euo pipefail
mode=$1 velmora=$(realpath "$2") send=$(realpath "$3")
. "$(dirname "$0")/../support/free-ports.sh"
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  if [ -n "${started_avahi:-}" ]; then avahi-daemon -k 2>/dev/null || true; fi
  if [ -n "${started_dbus:-}" ]; then
    kill "$started_dbus" 2>/dev/null || true
    rm -f /run/dbus/pid /run/dbus/system_bus_socket
  fi
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"
fail() { echo "FAIL: $*"; exit 1; }
skip() { echo "SKIP: $*"; exit 77; }

# display NAME ARGS...: a headless display on spare telemetry ports that
# beacons to $beacon; waits for its start-up line.
display() {
  local name=$1; shift
  "$velmora" --headless --null-render --udp-port 0 --tcp-port 0 --announce-port "$beacon" "$@" \
    >"$name.out" 2>"$name.err" &
  pids+=($!)
  for _ in $(seq 200); do
    grep -q "announcing\|--no-announce" "$name.err" 2>/dev/null && return 0
    sleep 0.05
  done
  fail "$name did not start: $(cat "$name.err")"
}
port_of() { sed -n 's/.*listening on [A-Z]* port \([0-9]*\).*/\1/p' "$1.err"; }

beacon=$(free_port)
case $mode in
find)
  # Another program holds the announce port, without sharing it: the
  # display still runs and its beacon still reaches that program.
  python3 - "$beacon" >holder.out 2>&1 <<'EOF' &
import socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", int(sys.argv[1])))
s.settimeout(10)
print(s.recv(600).decode().strip(), flush=True)
EOF
  holder=$!
  pids+=($holder)
  sleep 0.3
  display a --name 'Cockpit left = 50% "A"' --transport udp --web 0.0.0.0:0
  display b --name right --transport tcp
  wait "$holder" || fail "the program on the announce port heard no beacon: $(cat holder.out)"
  grep -q '^VELMORA/1 name=' holder.out || fail "not a beacon: $(cat holder.out)"
  # Two finders at once share the port (an exporter and the relay on one PC, say).
  "$send" --find --announce-port "$beacon" --duration 4.5 >find2.out 2>find2.err &
  second=$!
  "$send" --find --announce-port "$beacon" --duration 4.5 >find.out 2>find.err &
  first=$!
  for _ in $(seq 100); do grep -q "listening for displays" find.err 2>/dev/null && break; sleep 0.05; done
  for _ in $(seq 100); do grep -q "listening for displays" find2.err 2>/dev/null && break; sleep 0.05; done
  # Foreign datagrams once the finders listen: ignored and counted.
  python3 -c "import socket,sys; s=socket.socket(socket.AF_INET,socket.SOCK_DGRAM); [s.sendto(m, ('127.0.0.1', int(sys.argv[1]))) for m in (b'VELMORA/9 name=x transport=udp port=1', b'hello')]" "$beacon"
  wait "$first" || fail "--find found nothing: $(cat find.err)"
  wait "$second" || fail "a second finder on the port: $(cat find2.err)"
  cat find.out find.err
  web=$(sed -n 's/.*browsers is at http:\/\/0.0.0.0:\([0-9]*\).*/\1/p' a.err)
  grep -E "^Cockpit left = 50% \"A\" +[0-9.]+ +udp +$(port_of a) +http://[0-9.]+:$web/$" find.out ||
    fail "display a not listed with its name, UDP port and browser view"
  grep -E "^right +[0-9.]+ +tcp +$(port_of b) +-$" find.out || fail "display b not listed"
  grep -q "2 displays heard" find.err || fail "not both displays heard"
  # A datagram to one address reaches one of the sockets sharing the port.
  grep -q "displays heard; [1-9][0-9]* datagram(s) ignored" find.err find2.err || fail "foreign datagrams not counted"
  ;;
relay)
  display d --name fed --transport udp --record fed.rec
  listen=$(free_port)
  "$send" --relay --listen "udp:$listen" --to auto --announce-port "$beacon" >relay.out 2>relay.err &
  relay=$!
  pids+=($relay)
  for _ in $(seq 200); do grep -q "found 'fed'" relay.err && break; sleep 0.05; done
  grep -q "found 'fed', feeding udp [0-9.]*:$(port_of d)" relay.err || fail "the relay did not find the display: $(cat relay.err)"
  "$send" --demo --udp "127.0.0.1:$listen" --count 20 --rate 50 2>/dev/null
  for _ in $(seq 100); do [ "$(grep -vc '^#' fed.rec)" -ge 20 ] && break; sleep 0.05; done
  [ "$(grep -vc '^#' fed.rec)" -ge 20 ] || fail "the display got $(grep -vc '^#' fed.rec) of 20 messages through the relay"
  ;;
errors)
  set +e
  "$velmora" --headless --udp-group 192.168.1.20 2>group.err; rc=$?
  set -e
  [ $rc -eq 2 ] || fail "a unicast group address gave exit code $rc"
  grep -q "udp-group needs an IPv4 multicast address.*not '192.168.1.20'" group.err || fail "unclear: $(cat group.err)"
  ;;
dnssd)
  command -v avahi-daemon >/dev/null && command -v avahi-browse >/dev/null || skip "avahi-daemon and avahi-utils are not installed"
  if ! avahi-daemon --check 2>/dev/null; then
    [ "$(id -u)" -eq 0 ] || skip "avahi-daemon is not running and only root can start it"
    if ! dbus-send --system --dest=org.freedesktop.DBus --print-reply / org.freedesktop.DBus.GetId >/dev/null 2>&1; then
      # No system bus answers: what a bus that is gone left behind goes too.
      rm -f /run/dbus/pid /run/dbus/system_bus_socket
      mkdir -p /run/dbus
      # To a file: the daemon keeps the pipe of a $(...) open.
      dbus-daemon --system --fork --print-pid >dbus.pid 2>dbus.err || skip "the system bus cannot start here: $(cat dbus.err)"
      started_dbus=$(cat dbus.pid)
    fi
    avahi-daemon -D --no-drop-root --no-chroot 2>avahi.err || skip "avahi-daemon cannot start here: $(cat avahi.err)"
    started_avahi=1
    for _ in $(seq 100); do avahi-daemon --check 2>/dev/null && break; sleep 0.05; done
  fi
  name="dnssd test $beacon"
  display s --name "$name" --transport udp --web 0.0.0.0:0
  web=$(sed -n 's/.*browsers is at http:\/\/0.0.0.0:\([0-9]*\).*/\1/p' s.err)
  found=
  end=$((SECONDS + 15))
  while [ $SECONDS -lt $end ]; do
    # Names as they are, not escaped, and the types not translated.
    timeout 5 avahi-browse -prtk _velmora._udp 2>/dev/null | sed 's/\\032/ /g' >velmora.browse || true
    timeout 5 avahi-browse -prtk _http._tcp 2>/dev/null | sed 's/\\032/ /g' >http.browse || true
    if grep -q "^=.*;$name;_velmora._udp;" velmora.browse && grep -q "^=.*;Velmora on $name;_http._tcp;" http.browse; then
      found=1
      break
    fi
    sleep 0.25
  done
  [ -n "$found" ] || fail "the services were not found: $(cat s.err velmora.browse http.browse)"
  line=$(grep "^=.*;$name;_velmora._udp;" velmora.browse | head -1)
  for txt in "\"transport=udp\"" "\"port=$(port_of s)\"" "\"web=$web\"" "\"version="; do
    case $line in *"$txt"*) ;; *) fail "TXT $txt missing: $line" ;; esac
  done
  grep "^=.*;Velmora on $name;_http._tcp;" http.browse | grep -q ";$web;" || fail "the browser view's port"
  # A daemon that restarts (an upgrade, say) gets the services again; only
  # one this test started is restarted.
  if [ -n "${started_avahi:-}" ]; then
    avahi-daemon -k
    for _ in $(seq 100); do avahi-daemon --check 2>/dev/null || break; sleep 0.05; done
    avahi-daemon -D --no-drop-root --no-chroot 2>>avahi.err || fail "avahi-daemon did not start again"
    found=
    end=$((SECONDS + 15))
    while [ $SECONDS -lt $end ]; do
      timeout 5 avahi-browse -prtk _velmora._udp 2>/dev/null | sed 's/\\032/ /g' >again.browse || true
      if grep -q "^=.*;$name;_velmora._udp;" again.browse; then found=1; break; fi
      sleep 0.25
    done
    [ -n "$found" ] || fail "not registered again after avahi-daemon restarted: $(cat s.err)"
  fi
  ;;
*) fail "unknown mode $mode" ;;
esac
echo "PASS: $mode"
