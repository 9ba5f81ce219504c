// Drives headless Chromium over its DevTools protocol: opens a page, waits
// for a script condition, takes screenshots, clicks, and measures pixels of
// a screenshot inside the browser (no image library needed here).
//   node browser.mjs SCRIPT.json
// SCRIPT.json: {url, width, height, steps:[{wait:"js expr", timeout_ms} |
//   {screenshot:"file.png"} | {click:[x,y]} | {probe:"js fn(pixels,w,h)", into:"name"} | {sleep:ms}]}
// Prints a JSON object with every probe's result.
import { spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, writeFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const script = JSON.parse(readFileSync(process.argv[2], 'utf8'));
const profile = mkdtempSync(join(tmpdir(), 'velmora-chromium-'));
const chromium = spawn(process.env.CHROMIUM || '/usr/bin/chromium', [
  '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
  '--remote-debugging-pipe', `--user-data-dir=${profile}`, 'about:blank'],
  { stdio: ['ignore', 'ignore', 'ignore', 'pipe', 'pipe'] });
const deadline = setTimeout(() => fail('timed out'), script.timeout_ms || 60000);

function fail(why) {
  console.error(`browser: ${why}`);
  finish(1);
}
function finish(code) {
  clearTimeout(deadline);
  try { chromium.kill('SIGKILL'); } catch {}
  setTimeout(() => { try { rmSync(profile, { recursive: true, force: true }); } catch {} process.exit(code); }, 200);
}
const sleep = ms => new Promise(r => setTimeout(r, ms));

// The protocol over the pipe: JSON messages, each closed by a NUL byte.
let nextId = 1, received = '';
const pending = new Map();
chromium.stdio[4].on('data', chunk => {
  received += chunk.toString('utf8');
  for (let end; (end = received.indexOf('\0')) >= 0; received = received.slice(end + 1)) {
    const m = JSON.parse(received.slice(0, end));
    const p = m.id && pending.get(m.id);
    if (!p) continue;
    pending.delete(m.id);
    m.error ? p.reject(new Error(`${p.method}: ${m.error.message}`)) : p.resolve(m.result);
  }
});
function send(method, params = {}, sessionId) {
  const id = nextId++;
  chromium.stdio[3].write(JSON.stringify({ id, method, params, sessionId }) + '\0');
  return new Promise((resolve, reject) => pending.set(id, { resolve, reject, method }));
}

async function main() {
  const { targetId } = await send('Target.createTarget', { url: 'about:blank' });
  const { sessionId } = await send('Target.attachToTarget', { targetId, flatten: true });
  const s = (method, params) => send(method, params, sessionId);
  await s('Emulation.setDeviceMetricsOverride',
          { width: script.width, height: script.height, deviceScaleFactor: 1, mobile: false });
  await s('Page.enable');
  await s('Page.navigate', { url: script.url });
  const evaluate = async expr => {
    const r = await s('Runtime.evaluate', { expression: expr, awaitPromise: true, returnByValue: true });
    if (r.exceptionDetails) throw new Error(`${expr.slice(0, 60)}: ${r.exceptionDetails.text}`);
    return r.result.value;
  };
  const results = {};
  let lastShot = null;
  for (const step of script.steps) {
    if (step.wait) {
      const until = Date.now() + (step.timeout_ms || 10000);
      while (!(await evaluate(step.wait).catch(() => false))) {
        if (Date.now() > until) throw new Error(`condition never held: ${step.wait}`);
        await sleep(50);
      }
    } else if (step.sleep) {
      await sleep(step.sleep);
    } else if (step.screenshot) {
      const { data } = await s('Page.captureScreenshot', { format: 'png' });
      writeFileSync(step.screenshot, Buffer.from(data, 'base64'));
      lastShot = data;
    } else if (step.click) {
      const [x, y] = step.click;
      for (const type of ['mousePressed', 'mouseReleased'])
        await s('Input.dispatchMouseEvent', { type, x, y, button: 'left', clickCount: 1 });
    } else if (step.probe) {
      // The last screenshot, decoded by the browser itself, handed to the probe.
      results[step.into] = await evaluate(`(async () => {
        const img = new Image(); img.src = 'data:image/png;base64,${lastShot}'; await img.decode();
        const c = document.createElement('canvas'); c.width = img.width; c.height = img.height;
        const g = c.getContext('2d'); g.drawImage(img, 0, 0);
        const px = g.getImageData(0, 0, c.width, c.height).data;
        return (${step.probe})(px, c.width, c.height);
      })()`);
    } else if (step.evaluate) {
      results[step.into] = await evaluate(step.evaluate);
    }
  }
  console.log(JSON.stringify(results));
  finish(0);
}
main().catch(e => fail(e.message));
