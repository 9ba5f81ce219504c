#!/usr/bin/env bash
# What an exporter's author meets, end to end, on spare ports:
#   exporter_test.sh MODE VELMORA VELMORA_SEND VELMORA_DECODE EXAMPLE_LUA
# MODE lua:    the example Lua exporter into a headless display over UDP and
#              TCP, numbers written with %.2f and with Lua's own "..": every
#              message applied, the picture changed.
# MODE listen: velmora-decode --listen shows sender, changed fields,
#              warnings and errors, and a summary at Ctrl-C.
# MODE replay: a TCP exporter restarting mid-message and two overlapping
#              connections, recorded and replayed into a second display:
#              same applied count, same final picture, each connection's
#              bytes on a connection of its own.
set -euo pipefail
mode=$1 velmora=$(realpath "$2") send=$(realpath "$3") decode=$(realpath "$4") example=$(realpath "$5")
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*"; exit 1; }

# start NAME [ARGS...]: a program that prints "listening on ... port N" on
# stderr; sets pid and port.
start() {
  local name=$1; shift
  # The files exist before the program starts: the background shell may not
  # have opened its redirections yet when the first look below comes.
  : >"$name.out"; : >"$name.err"
  "$@" >"$name.out" 2>"$name.err" &
  pid=$!
  pids+=("$pid")
  for _ in $(seq 100); do
    port=$(sed -n 's/.*listening on [A-Z]* port \([0-9]*\).*/\1/p' "$name.err")
    [ -n "$port" ] && return 0
    sleep 0.05
  done
  fail "$name did not start: $(cat "$name.err")"
}
stop() { kill -"$2" "$1"; wait "$1"; }
# recorded FILE MESSAGES CLOSES: waits (a loaded machine may take a while)
# until the display's recording holds that many messages (each ends in "$")
# and closed connections, so stopping it loses nothing.
recorded() {
  for _ in $(seq 200); do
    [ "$(grep -v '^#' "$1" | tr -cd '$' | wc -c)" -ge "$2" ] && [ "$(grep -c '/close$' "$1")" -ge "$3" ] && return 0
    sleep 0.05
  done
}
stat_of() { awk -v k="$1:" '$1 == k {print $2}' "$2"; }

# display NAME TRANSPORT [ARGS...]
display() {
  local name=$1 transport=$2; shift 2
  start "$name" "$velmora" --headless --transport "$transport" --udp-port 0 --tcp-port 0 --stats --no-link-alerts \
    --screenshot "$name.png" "$@"
}

case $mode in
lua)
  command -v lua5.4 >/dev/null && lua5.4 -e 'require("socket")' 2>/dev/null || { echo "SKIP: lua5.4 with LuaSocket missing"; exit 77; }
  "$velmora" --headless --udp-port 0 --tcp-port 0 --no-link-alerts --frames 2 --screenshot start.png >/dev/null 2>&1
  for transport in udp tcp; do
    for format in fixed plain; do
      display "$transport-$format" "$transport" --record "$transport-$format.rec"
      grep -q "listening on ${transport^^} port $port" "$transport-$format.err" || fail "no listening line"
      VELMORA_TRANSPORT=$transport VELMORA_PORT=$port VELMORA_FORMAT=$format VELMORA_FRAMES=45 \
        lua5.4 "$example" 2>lua.err || fail "the exporter failed: $(cat lua.err)"
      sent=$(sed -n 's/^exporter-example: \([0-9]*\) messages sent.*/\1/p' lua.err)
      recorded "$transport-$format.rec" "${sent:-45}" 0
      stop "$pid" TERM
      applied=$(stat_of messages_applied "$transport-$format.out")
      rejected=$(stat_of messages_rejected "$transport-$format.out")
      echo "$transport $format: $sent sent, $applied applied, $rejected rejected"
      # Every message sent is applied; over TCP the first frames' messages may
      # be replaced by newer ones while the connection opens.
      [ "${sent:-0}" -ge 40 ] && [ "$applied" = "$sent" ] && [ "$rejected" = 0 ] ||
        fail "$transport $format: $(cat lua.err "$transport-$format.err")"
      cmp -s start.png "$transport-$format.png" && fail "$transport $format: the picture did not change"
    done
  done
  ;;
listen)
  start udp "$decode" --listen udp 0
  datagram() { printf "$1" >d.txt; cat d.txt >"/dev/udp/127.0.0.1/$port"; }  # one write, one datagram
  datagram '\n100 200 $'
  datagram '100 200 3 4 5 6 -nan 8 $'
  datagram '1\t2\t3\t$'
  sleep 0.3
  stop "$pid" INT
  cat udp.out
  grep -q '^udp 127.0.0.1:[0-9]*: Altitude=100 IndicatedAirspeed=200$' udp.out || fail "no changed fields"
  grep -q '^  warning: 1 leading byte skipped' udp.out || fail "no warning"
  grep -q '^udp .*: Pitch=4 Bank=5 Spare6=6 LoadFactor=8 LeftEngineRpm=3$' udp.out || fail "field 7 stopped the rest"
  grep -q "^  error: field 7: '-nan' is not a valid floating point value$" udp.out || fail "no error"
  grep -q '^  error: no field before "\$"' udp.out || fail "tabs not reported"
  grep -q '^3 messages, 2 rejected, ' udp.out || fail "no summary"

  start tcp "$decode" --listen tcp 0
  exec 3<>"/dev/tcp/127.0.0.1/$port"
  printf '7 8 9$' >&3
  sleep 0.2
  printf '\r\n1 2 ' >&3
  sleep 0.2
  exec 3>&-
  sleep 0.3
  stop "$pid" INT
  cat tcp.out
  grep -q '^tcp 127.0.0.1:[0-9]*: Altitude=7 IndicatedAirspeed=8$' tcp.out || fail "no TCP message"
  grep -q "^  warning: '9' before \"\\$\" is not a field and is dropped: each number must be followed by a space$" tcp.out ||
    fail "the last number without a space is not pointed out"
  grep -q '^  warning: 4 bytes of an unfinished message dropped' tcp.out || fail "unfinished message not reported"
  grep -q '^1 messages, 0 rejected, ' tcp.out || fail "no TCP summary"
  ;;
replay)
  m() { printf '%s ' "$@" $(seq 4 33 | sed 's/.*/0/'); printf '$\r\n'; }
  display live tcp --record live.rec
  exec 3<>"/dev/tcp/127.0.0.1/$port"
  m 1000 300 80 >&3; printf '3.0' >&3; sleep 0.2
  exec 3>&-; sleep 0.2                                  # the exporter restarts mid-message
  exec 4<>"/dev/tcp/127.0.0.1/$port"
  printf '4001.00 450 ' >&4; sleep 0.2                  # half a message ...
  exec 5<>"/dev/tcp/127.0.0.1/$port"
  m 2000 500 95 >&5; sleep 0.2                          # ... while a second connection sends one
  printf '90 5 25 0 $\r\n' >&4; sleep 0.2               # the first one finishes its message
  m 5000 700 100 >&5; sleep 0.2
  exec 5>&- 4>&-
  recorded live.rec 4 3
  sleep 0.3  # frames (30 a second) draw what came last: the pictures are compared
  stop "$pid" TERM
  cat live.rec
  applied=$(stat_of messages_applied live.out)
  [ "$applied" = 4 ] || fail "the live display applied $applied of 4: $(cat live.err)"
  grep -q ' tcp/1/close$' live.rec || fail "no close recorded"
  grep -q ' tcp/3 ' live.rec || fail "no third connection recorded"

  display replayed tcp --record replayed.rec
  "$send" --replay live.rec --tcp "127.0.0.1:$port" 2>send.err || fail "replay failed: $(cat send.err)"
  recorded replayed.rec 4 3
  sleep 0.3
  stop "$pid" TERM
  replayed=$(stat_of messages_applied replayed.out)
  echo "live $applied applied, replayed $replayed applied"
  [ "$replayed" = "$applied" ] || fail "replay applied $replayed: $(cat replayed.err)"
  [ "$(stat_of messages_rejected replayed.out)" = 0 ] || fail "replay rejected messages: $(cat replayed.err)"
  cmp -s live.png replayed.png || fail "the replayed picture differs"
  # Each recorded connection's bytes arrive on a connection of their own, in
  # their order: the display's two recordings agree connection by connection
  # (however TCP cut the stream into reads; a space ending a read is escaped).
  by_connection() {
    grep -v '^#' "$1" | cut -d' ' -f2- |
      awk '{ k = $1; sub(/^[^ ]* ?/, ""); gsub(/\\x20/, " "); s[k] = s[k] $0 } END { for (k in s) print k, s[k] }' |
      sort
  }
  diff <(by_connection live.rec) <(by_connection replayed.rec) ||
    fail "the replay did not keep the recorded connections apart"
  ;;
*) fail "unknown mode $mode" ;;
esac
echo "PASS: $mode"
