#!/usr/bin/env bash
# Soak run (not part of ctest): a headless display fed the demo flight at
# 100 messages a second for 10 minutes (or SECONDS given as the third
# argument). Samples resident memory, descriptors and CPU every 30 s, then
# prints the display's --stats. Fails if memory grew by more than 5 MB after
# the first minute, or the display died.
#
#   tests/reliability/soak.sh build/bin/velmora build/bin/velmora-send [SECONDS]
set -euo pipefail
velmora=$(realpath "$1")
send=$(realpath "$2")
total=${3:-600}
interval=30
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
cd "$work"
base=$((22000 + RANDOM % 20000))
printf '0\r\n0\r\n1024\r\n1\r\nudp\r\n' > config.txt
"$velmora" --headless --stats --udp-port $base --tcp-port $((base + 1)) >stats.txt 2>stderr.txt &
display=$!
pids+=($display)
sleep 2
"$send" --demo --rate 100 --udp 127.0.0.1:$base --duration "$total" >/dev/null 2>send-err.txt &
pids+=($!)
tick=$(getconf CLK_TCK)
cpu() { awk -v t="$tick" '{print ($14 + $15) / t}' "/proc/$display/stat"; }
printf '%8s %10s %5s %12s\n' seconds rss_kb fds cpu_per_wall
prev_cpu=$(cpu)
rss_at_1min=""
max_rss=0
elapsed=0
while [ $elapsed -lt "$total" ]; do
  sleep $interval
  elapsed=$((elapsed + interval))
  kill -0 $display 2>/dev/null || { echo "the display died after ${elapsed} s"; cat stderr.txt; exit 1; }
  rss=$(awk '/^VmRSS:/ {print $2}' /proc/$display/status)
  fds=$(ls /proc/$display/fd | wc -l)
  now_cpu=$(cpu)
  printf '%8d %10d %5d %12.4f\n' $elapsed "$rss" "$fds" "$(echo "($now_cpu - $prev_cpu) / $interval" | bc -l)"
  prev_cpu=$now_cpu
  [ $elapsed -ge 60 ] && [ -z "$rss_at_1min" ] && rss_at_1min=$rss
  [ "$rss" -gt $max_rss ] && max_rss=$rss
done
wait "${pids[1]}" || true
kill -TERM $display
wait $display
cat stats.txt
growth=$((max_rss - ${rss_at_1min:-$max_rss}))
echo "rss growth after the first minute: ${growth} kB (max ${max_rss} kB)"
[ $growth -le 5120 ] || { echo "FAIL: resident memory grew"; exit 1; }
echo "ok"
