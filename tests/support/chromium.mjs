// Headless Chromium over its DevTools protocol on a pipe (no extra packages):
// launch it, open pages, run script in them, take screenshots, click.
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

export const sleep = ms => new Promise(r => setTimeout(r, ms));

export function launchChromium() {
  const profile = mkdtempSync(join(tmpdir(), 'velmora-chromium-'));
  const proc = spawn(process.env.CHROMIUM || '/usr/bin/chromium', [
    '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--disable-background-timer-throttling', '--disable-renderer-backgrounding',
    '--disable-backgrounding-occluded-windows',
    '--remote-debugging-pipe', `--user-data-dir=${profile}`, 'about:blank'],
    { stdio: ['ignore', 'ignore', 'ignore', 'pipe', 'pipe'] });
  // JSON messages, each closed by a NUL byte.
  let nextId = 1, received = '';
  const pending = new Map();
  proc.stdio[4].on('data', chunk => {
    received += chunk.toString('utf8');
    for (let end; (end = received.indexOf('\0')) >= 0; received = received.slice(end + 1)) {
      const m = JSON.parse(received.slice(0, end));
      const p = m.id && pending.get(m.id);
      if (!p) continue;
      pending.delete(m.id);
      m.error ? p.reject(new Error(`${p.method}: ${m.error.message}`)) : p.resolve(m.result);
    }
  });
  const send = (method, params = {}, sessionId) => {
    const id = nextId++;
    proc.stdio[3].write(JSON.stringify({ id, method, params, sessionId }) + '\0');
    return new Promise((resolve, reject) => pending.set(id, { resolve, reject, method }));
  };

  // A new page of width x height showing url; `init`, when given, is script
  // run in the page before any of its own.
  async function open(url, width, height, init) {
    const { targetId } = await send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await send('Target.attachToTarget', { targetId, flatten: true });
    const s = (method, params) => send(method, params, sessionId);
    await s('Emulation.setDeviceMetricsOverride', { width, height, deviceScaleFactor: 1, mobile: false });
    await s('Page.enable');
    if (init) await s('Page.addScriptToEvaluateOnNewDocument', { source: init });
    await s('Page.navigate', { url });
    const evaluate = async expr => {
      const r = await s('Runtime.evaluate', { expression: expr, awaitPromise: true, returnByValue: true });
      if (r.exceptionDetails) throw new Error(`${expr.slice(0, 60)}: ${r.exceptionDetails.text}`);
      return r.result.value;
    };
    return {
      evaluate,
      async waitFor(expr, timeoutMs = 10000) {
        const until = Date.now() + timeoutMs;
        while (!(await evaluate(expr).catch(() => false))) {
          if (Date.now() > until) throw new Error(`condition never held: ${expr}`);
          await sleep(50);
        }
      },
      async screenshot() {
        return (await s('Page.captureScreenshot', { format: 'png' })).data;
      },
      async click(x, y) {
        for (const type of ['mousePressed', 'mouseReleased'])
          await s('Input.dispatchMouseEvent', { type, x, y, button: 'left', clickCount: 1 });
      },
      close: () => send('Target.closeTarget', { targetId }),
    };
  }

  function close() {
    try { proc.kill('SIGKILL'); } catch {}
    try { rmSync(profile, { recursive: true, force: true }); } catch {}
  }
  return { open, close, pid: proc.pid };
}
