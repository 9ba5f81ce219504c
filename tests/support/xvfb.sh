# Sourced by the shell tests that need a window: start_xvfb WxHxD starts a
# private X server on a display number it picks itself (-displayfd), so test
# runs side by side never share or fight over one. Sets xvfb_display and xpid.
start_xvfb() {
  local number
  number=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$number" >/dev/null 2>&1 &
  xpid=$!
  for _ in $(seq 200); do
    [ -s "$number" ] && break
    kill -0 "$xpid" 2>/dev/null || break
    sleep 0.05
  done
  xvfb_display=:$(head -n1 "$number")
  rm -f "$number"
  [ "$xvfb_display" != : ] || { echo "Xvfb did not start"; return 1; }
}
