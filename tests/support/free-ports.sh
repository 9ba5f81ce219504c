# Sourced by the shell tests: free_port prints a TCP and UDP port that nothing
# on this machine listens on, so two test runs (or a real display on
# 20081/20083) never collide.
free_port() {
  local p
  for _ in $(seq 200); do
    p=$((20000 + RANDOM % 40000))
    if ! ss -Hltun 2>/dev/null | awk '{print $5}' | grep -q ":$p\$"; then
      echo "$p"
      return 0
    fi
  done
  echo "no free port found" >&2
  return 1
}
