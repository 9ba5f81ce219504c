#!/usr/bin/env bash
# End to end in a real browser: a headless display fed by the demo serves its
# picture with --web; headless Chromium opens the page, the screenshot shows
# the instruments and the gear lamps lit green by the feed, and a click on the
# tactical bezel button switches the page.
set -euo pipefail
velmora=$(realpath "$1")
send=$(realpath "$2")
here=$(dirname "$(realpath "$0")")
command -v "${CHROMIUM:-chromium}" >/dev/null || { echo "chromium is not installed (scripts/setup.sh)"; exit 77; }
work=$(mktemp -d)
out=${3:-$work}
mkdir -p "$out"
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
. "$here/../support/free-ports.sh"
cd "$work"
udp=$(free_port); tcp=$(free_port); web=$(free_port)
printf '0\r\n0\r\n1024\r\n1\r\nudp\r\n' > config.txt

"$velmora" --headless --udp-port $udp --tcp-port $tcp --web 127.0.0.1:$web --page 1 2>display.err &
pids+=($!)
"$send" --demo --udp 127.0.0.1:$udp --duration 40 >/dev/null 2>&1 &
pids+=($!)
sleep 1

# The page fills a 1024 x 640 view: back-buffer y scales by 640/650.
cat > script.json <<JSON
{"url": "http://127.0.0.1:$web/", "width": 1024, "height": 640, "timeout_ms": 60000,
 "steps": [
  {"wait": "document.getElementById('pic').naturalWidth > 0", "timeout_ms": 15000},
  {"sleep": 500},
  {"screenshot": "$out/browser-flight.png"},
  {"probe": "(px, w, h) => { const at = (x, y) => { const i = 4 * (Math.round(y * 640 / 650) * w + x); return [px[i], px[i+1], px[i+2]]; }; let coloured = 0, n = 0; for (let y = 0; y < 560; y += 4) for (let x = 0; x < w; x += 4) { const [r, g, b] = at(x, y); n++; if (Math.max(r, g, b) - Math.min(r, g, b) > 40) coloured++; } return {lamp: at(834, 525), coloured: coloured / n}; }", "into": "flight"},
  {"click": [670, 603]},
  {"wait": "(() => { const p = document.getElementById('pic'), c = document.createElement('canvas'); if (!p.complete || !p.naturalWidth) return false; c.width = p.naturalWidth; c.height = p.naturalHeight; const g = c.getContext('2d'); g.drawImage(p, 0, 0); const [r, gr, b] = g.getImageData(834, 525, 1, 1).data; return !(gr > 180 && r < 110 && b < 110); })()", "timeout_ms": 15000},
  {"screenshot": "$out/browser-tactical.png"},
  {"probe": "(px, w, h) => { const i = 4 * (Math.round(525 * 640 / 650) * w + 834); return {lamp: [px[i], px[i+1], px[i+2]]}; }", "into": "tactical"}
 ]}
JSON
result=$(node "$here/../support/browser.mjs" script.json 2>browser.err) ||
  { echo "browser run failed:"; cat browser.err display.err; exit 1; }
echo "$result"
node -e '
  const r = JSON.parse(process.argv[1]);
  const green = ([red, g, b]) => g > 180 && red < 110 && b < 110;
  const problems = [];
  if (r.flight.coloured < 0.05) problems.push(`instrument area nearly blank (${r.flight.coloured})`);
  if (!green(r.flight.lamp)) problems.push(`gear lamp not green: ${r.flight.lamp}`);
  if (green(r.tactical.lamp)) problems.push("the tactical button did not switch the page");
  if (problems.length) { console.log(problems.join("\n")); process.exit(1); }
' "$result"
echo "ok: picture in the browser, lamp lit, page switched by a click"
