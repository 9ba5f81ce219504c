#!/usr/bin/env bash
# End to end: the demo flight over UDP into a headless display on spare
# ports changes the picture, every message applies cleanly, and a recording
# replayed into a second display arrives byte for byte, in order.
set -euo pipefail
velmora=$(realpath "$1")
send=$(realpath "$2")
work=$(mktemp -d)
# Under wine a SIGTERM ends the program without its stop handler; SIGINT
# arrives as Ctrl-C, which saves config.txt the same way.
stop=${VELMORA_STOP_SIGNAL:-TERM}
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
. "$(dirname "$(realpath "$0")")/../support/free-ports.sh"
cd "$work"
# Waits until a display listens on UDP port $1: a slow start (under an
# emulator, on a loaded machine) must not lose the first datagrams.
listening() {
  for _ in $(seq 300); do
    ss -Hlun 2>/dev/null | awk '{print $4}' | grep -q ":$1\$" && return 0
    sleep 0.1
  done
  echo "nothing listens on UDP $1"
  return 1
}
p1=$(free_port); p2=$(free_port); p3=$(free_port); p4=$(free_port)
printf '0\r\n0\r\n1024\r\n1\r\nudp\r\n' > config.txt

"$velmora" --headless --udp-port $p1 --tcp-port $p2 --frames 2 --screenshot start.png >/dev/null

"$velmora" --headless --udp-port $p1 --tcp-port $p2 --record first.rec --stats \
  --screenshot live.png --screenshot-interval 1 >stats1.txt 2>err1.txt &
pids+=($!)
display=$!
listening $p1
# A second display on the same UDP port, or on a TCP port another program
# holds, ends at once, naming the failure, the port that is taken and what to
# do about it.
spare=$(free_port); held=$(free_port)
python3 -c 'import socket, sys, time
s = socket.socket(); s.bind(("0.0.0.0", int(sys.argv[1]))); s.listen(); print("held", flush=True); time.sleep(90)' \
  "$held" >held.txt &
pids+=($!)
for _ in $(seq 100); do grep -q held held.txt && break; sleep 0.05; done
for taken in "PortInUse UDP $p1 $p2" "TcpSocketError TCP $spare $held"; do
  read -r failure transport udp tcp <<<"$taken"
  port=$([ "$transport" = UDP ] && echo "$udp" || echo "$tcp")
  if "$velmora" --headless --udp-port "$udp" --tcp-port "$tcp" --frames 1 >/dev/null 2>taken.txt; then
    echo "a second display opened ports in use"; exit 1
  fi
  { grep -q "Exception $failure in module" taken.txt && grep -q "open $transport port $port," taken.txt &&
    grep -q -- "--${transport,,}-port" taken.txt && ! grep -q " at " taken.txt; } ||
    { echo "unclear message for $transport port $port in use:"; cat taken.txt; exit 1; }
done
"$send" --demo --udp 127.0.0.1:$p1 --duration 4 >/dev/null
sleep 1.5
kill -$stop $display
wait $display
cat stats1.txt
applied=$(tr -d '\r' < stats1.txt | awk '/^messages_applied:/ {print $2}')  # CR LF on Windows
rejected=$(tr -d '\r' < stats1.txt | awk '/^messages_rejected:/ {print $2}')
[ "${applied:-0}" -gt 50 ] || { echo "too few messages applied: $applied"; cat err1.txt; exit 1; }
[ "$rejected" = 0 ] || { echo "messages rejected: $rejected"; exit 1; }
if cmp -s start.png live.png; then echo "the picture did not change"; exit 1; fi
recorded=$(grep -vc '^#' first.rec)
[ "$recorded" = "$applied" ] || { echo "recorded $recorded of $applied messages"; exit 1; }

"$velmora" --headless --udp-port $p3 --tcp-port $p4 --record second.rec >/dev/null 2>&1 &
pids+=($!)
display=$!
listening $p3
"$send" --replay first.rec --udp 127.0.0.1:$p3 >/dev/null
sleep 1
kill -$stop $display
wait $display
# Same bytes in the same order (arrival times differ).
diff <(grep -v '^#' first.rec | cut -d' ' -f2-) <(grep -v '^#' second.rec | cut -d' ' -f2-) >/dev/null ||
  { echo "replayed messages differ"; exit 1; }
echo "ok: $applied messages applied, replay identical"
