// Figures of the browser view and the relay, measured with headless Chromium
// on loopback. Writes Google Benchmark-shaped JSON for bench/run.
//   node bench/web.mjs BUILD_DIR OUT.json [--quick]
import { spawn, execFileSync } from 'node:child_process';
import { mkdtempSync, writeFileSync, readFileSync, rmSync } from 'node:fs';
import { createSocket } from 'node:dgram';
import { createServer } from 'node:net';
import { tmpdir, loadavg } from 'node:os';
import { join, dirname, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { launchChromium, sleep } from '../tests/support/chromium.mjs';

const [build, outFile] = process.argv.slice(2).map(p => resolve(p));
const quick = process.argv.includes('--quick');
const here = dirname(fileURLToPath(import.meta.url));
const velmora = join(build, 'bin/velmora'), send = join(build, 'bin/velmora-send');
const work = mkdtempSync(join(tmpdir(), 'velmora-webbench-'));
writeFileSync(join(work, 'config.txt'), '0\r\n0\r\n1024\r\n1\r\nudp\r\n');
const ticks = Number(execFileSync('getconf', ['CLK_TCK']).toString());
const children = [];
process.on('exit', () => children.forEach(c => { try { c.kill('SIGKILL'); } catch {} }));

async function freePort() {
  return new Promise(r => { const s = createServer().listen(0, '127.0.0.1', () => { const p = s.address().port; s.close(() => r(p)); }); });
}
function cpuSeconds(pid) {
  const f = readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ');
  return (Number(f[11]) + Number(f[12])) / ticks;
}
function start(cmd, args) {
  const c = spawn(cmd, args, { cwd: work, stdio: ['ignore', 'pipe', 'pipe'] });
  c.out = ''; c.stdout.on('data', d => c.out += d); c.stderr.on('data', () => {});
  children.push(c);
  return c;
}
const stop = c => new Promise(r => { c.on('exit', r); c.kill('SIGTERM'); });
const percentile = (a, p) => { const s = [...a].sort((x, y) => x - y); return s[Math.min(s.length - 1, Math.floor(p * s.length))]; };

async function display(extra = []) {
  const udp = await freePort(), tcp = await freePort(), web = await freePort();
  const d = start(velmora, ['--headless', '--udp-port', udp, '--tcp-port', tcp, '--web', `127.0.0.1:${web}`,
                            '--stats', '--page', '1', ...extra].map(String));
  await sleep(800);
  return { d, udp, url: `http://127.0.0.1:${web}/` };
}

// Frame rate and CPU of the display with 0, 1 and 8 viewers, fed by the demo.
async function frameRates(browser) {
  const seconds = quick ? 4 : 10, r = {};
  for (const viewers of [0, 1, 8]) {
    const { d, udp, url } = await display();
    const feed = start(send, ['--demo', '--udp', `127.0.0.1:${udp}`]);
    const pages = [];
    for (let i = 0; i < viewers; ++i) pages.push(await browser.open(url, 1024, 640));
    for (const p of pages) await p.waitFor("document.getElementById('pic').naturalWidth > 0", 15000);
    await sleep(1000);
    const c0 = cpuSeconds(d.pid), t0 = performance.now();
    await sleep(seconds * 1000);
    const cpu = cpuSeconds(d.pid) - c0, wall = (performance.now() - t0) / 1000;
    for (const p of pages) await p.close();
    await stop(feed);
    await stop(d);
    r[viewers] = { fps: Number(/^fps: ([\d.]+)/m.exec(d.out)[1]), cpu: cpu / wall };
  }
  return r;
}

// Telemetry sent -> picture shown: the single lamp toggled by UDP, seen by a
// page script that checks the lamp's pixel in every picture it shows.
async function latency(browser) {
  const { d, udp, url } = await display();
  const page = await browser.open(url, 1024, 640);
  await page.waitFor("document.getElementById('pic').naturalWidth > 0", 15000);
  await page.evaluate(`(() => {
    const pic = document.getElementById('pic'), c = document.createElement('canvas'); c.width = c.height = 1;
    const g = c.getContext('2d', { willReadFrequently: true }); window.seen = []; let last = -1;
    pic.addEventListener('load', () => requestAnimationFrame(() => {
      g.drawImage(pic, 835, 422, 1, 1, 0, 0, 1, 1); const [r, gr] = g.getImageData(0, 0, 1, 1).data;
      const lit = gr > 180 && r < 110 ? 1 : 0;
      if (lit !== last) { last = lit; seen.push([performance.timeOrigin + performance.now(), lit]); }
    }));
    return true; })()`);
  const sock = createSocket('udp4'), sent = [];
  const message = lit => Array.from({ length: 33 }, (_, i) => (i === 31 ? lit : 0) + ' ').join('') + '$\r\n';
  const toggles = quick ? 20 : 60;
  for (let i = 0; i < toggles; ++i) {
    const lit = i % 2 === 0 ? 1 : 0;
    // A random phase against the display's frames.
    await sleep(250 + Math.random() * 40);
    sent.push([performance.timeOrigin + performance.now(), lit]);
    sock.send(message(lit), udp, '127.0.0.1');
  }
  await sleep(500);
  const seen = await page.evaluate('seen');
  sock.close();
  await page.close();
  await stop(d);
  const lat = [];
  for (const [t, lit] of sent) {
    const s = seen.find(([ts, l]) => ts >= t && l === lit);
    if (s) lat.push(s[0] - t);
  }
  return { p50: percentile(lat, 0.5), p99: percentile(lat, 0.99), n: lat.length, of: sent.length };
}

// Relay: 100 messages/s to two UDP and one TCP target, arrival minus send,
// and the same path without the relay for comparison.
async function relay() {
  const seconds = quick ? 3 : 10, a = createSocket('udp4'), b = createSocket('udp4');
  const lat = [], direct = [], sentAt = new Map();
  const onMessage = (seq, into) => { const t = sentAt.get(seq); if (t !== undefined) into.push(Number(process.hrtime.bigint() - t) / 1e6); };
  const parse = text => Number(text.trim().split(' ')[0]);
  let directMode = false;
  for (const s of [a, b]) s.on('message', m => onMessage(parse(m.toString()), directMode ? direct : lat));
  await Promise.all([a, b].map(s => new Promise(r => s.bind(0, '127.0.0.1', r))));
  let tcpPending = '';
  const server = createServer(c => c.on('data', d => {
    tcpPending += d.toString();
    for (let e; (e = tcpPending.indexOf('$')) >= 0; tcpPending = tcpPending.slice(e + 1)) onMessage(parse(tcpPending.slice(0, e)), lat);
  }));
  await new Promise(r => server.listen(0, '127.0.0.1', r));
  const listen = await freePort();
  const r = start(send, ['--relay', '--listen', `udp:${listen}`, '--to', `udp:127.0.0.1:${a.address().port}`,
                         '--to', `udp:127.0.0.1:${b.address().port}`, '--to', `tcp:127.0.0.1:${server.address().port}`]);
  await sleep(800);
  const out = createSocket('udp4'), pad = ' 0'.repeat(120);
  const run = async (port, count) => {
    const t0 = performance.now();
    for (let i = 0; i < count; ++i) {
      const seq = (directMode ? 1e6 : 0) + i;
      sentAt.set(seq, process.hrtime.bigint());
      out.send(`${seq}${pad} $\r\n`, port, '127.0.0.1');
      const wait = t0 + (i + 1) * 10 - performance.now();
      await sleep(Math.max(0, wait));
    }
    await sleep(300);
  };
  await run(listen, seconds * 100);
  await stop(r);
  directMode = true;
  await run(a.address().port, seconds * 100);
  for (const s of [a, b, out]) s.close();
  server.close();
  return { p50: percentile(lat, 0.5), p99: percentile(lat, 0.99), n: lat.length, of: seconds * 300,
           directP99: percentile(direct, 0.99), relayOut: r.out.trim() };
}

const browser = launchChromium();
try {
  const fr = await frameRates(browser);
  const lt = await latency(browser);
  const rl = await relay();
  const perViewer = n => (fr[n].cpu - fr[0].cpu) / n;
  const json = {
    context: { date: new Date().toISOString(), executable: 'bench/web.mjs', num_cpus: 2 },
    benchmarks: [
      { name: 'BM_WebFrameRate', run_name: 'BM_WebFrameRate', iterations: 1, real_time: fr[8].fps, time_unit: 'ms',
        fps_0_viewers: fr[0].fps, fps_1_viewer: fr[1].fps, fps_8_viewers: fr[8].fps, fps_drop_8: fr[0].fps - fr[8].fps },
      { name: 'BM_WebCpuPerViewer', run_name: 'BM_WebCpuPerViewer', iterations: 1, real_time: perViewer(1), time_unit: 'ms',
        cpu_0_viewers: fr[0].cpu, cpu_1_viewer: fr[1].cpu, cpu_8_viewers: fr[8].cpu,
        core_per_viewer_1: perViewer(1), core_per_viewer_8: perViewer(8) },
      { name: 'BM_WebLatency', run_name: 'BM_WebLatency', iterations: 1, real_time: lt.p50, time_unit: 'ms',
        latency_ms_p50: lt.p50, latency_ms_p99: lt.p99, samples: lt.n, toggles: lt.of },
      { name: 'BM_RelayLatency', run_name: 'BM_RelayLatency', iterations: 1, real_time: rl.p99, time_unit: 'ms',
        latency_ms_p50: rl.p50, latency_ms_p99: rl.p99, direct_ms_p99: rl.directP99, received: rl.n, expected: rl.of },
    ],
  };
  for (const b of json.benchmarks) b.loadavg_1m = loadavg()[0];
  writeFileSync(outFile, JSON.stringify(json, null, 2));
  console.error(JSON.stringify({ fr, lt, rl }, null, 1));
} finally {
  browser.close();
  rmSync(work, { recursive: true, force: true });
}
process.exit(0);
