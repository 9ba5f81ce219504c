// The tablet page across a display restart, in headless Chromium: it shows
// the picture, dims it and says so when the display goes away, comes back by
// itself when the display returns, and serves what "Add to Home Screen"
// needs (manifest and icons). Then the same page against a stand-in display
// that misbehaves: a connection taken and never answered is given up after
// 3 s, refused tries back off 0.5, 1, 2, 4, 8 s and no further, and a
// socket that stops delivering frames is given up after 4 s, the back-off
// starting again at 0.5 s.
//   node tablet_reconnect.mjs VELMORA VELMORA_SEND WORKDIR [SCREENSHOT.png]
import { spawn } from 'node:child_process';
import { createHash } from 'node:crypto';
import { writeFileSync } from 'node:fs';
import { createServer as createHttpServer } from 'node:http';
import { createServer } from 'node:net';
import { launchChromium, sleep } from '../support/chromium.mjs';

const [velmora, send, work, shot] = process.argv.slice(2);
const browser = launchChromium();
const children = new Set();
const deadline = setTimeout(() => fail('timed out'), 80000);

function fail(why) {
  console.error(`tablet: ${why}`);
  finish(1);
}
function finish(code) {
  clearTimeout(deadline);
  for (const c of children) c.kill('SIGKILL');
  browser.close();
  process.exit(code);
}
function freePort() {
  return new Promise(resolve => {
    const s = createServer().listen(0, '127.0.0.1', () => {
      const { port } = s.address();
      s.close(() => resolve(port));
    });
  });
}
function run(program, args) {
  const child = spawn(program, args, { cwd: work, stdio: ['ignore', 'ignore', 'pipe'] });
  let err = '';
  child.stderr.on('data', d => (err += d));
  child.exited = new Promise(resolve => child.on('exit', () => { children.delete(child); resolve(err); }));
  children.add(child);
  return child;
}

async function main() {
  const [udp, tcp, web] = [await freePort(), await freePort(), await freePort()];
  writeFileSync(`${work}/config.txt`, '0\r\n0\r\n1024\r\n1\r\nudp\r\n');
  const displayArgs = ['--headless', '--udp-port', udp, '--tcp-port', tcp, '--web', `127.0.0.1:${web}`].map(String);
  let display = run(velmora, displayArgs);
  run(send, ['--demo', '--udp', `127.0.0.1:${udp}`, '--duration', '60']);
  await sleep(800);

  const page = await browser.open(`http://127.0.0.1:${web}/`, 1024, 640);
  const frames = () => page.evaluate('window.__f');
  await page.waitFor("document.getElementById('pic').naturalWidth > 0", 15000);
  await page.evaluate("new Promise(r => { const p = document.getElementById('pic'); " +
                      "window.__f = 0; p.addEventListener('load', () => window.__f++); r(true); })");

  // What a home screen asks for.
  const install = await page.evaluate(`(async () => {
    const m = await (await fetch(document.querySelector('link[rel=manifest]').href)).json();
    const sizes = [];
    for (const i of m.icons) sizes.push((await createImageBitmap(await (await fetch(i.src)).blob())).width);
    return { display: m.display, start: m.start_url, sizes };
  })()`);
  if (install.display !== 'fullscreen' || install.start !== '/' || install.sizes.join() !== '192,512')
    throw new Error(`manifest or icons wrong: ${JSON.stringify(install)}`);

  // The display goes away: the last picture stays, dimmed, with a note.
  display.kill('SIGTERM');
  await display.exited;
  await page.waitFor("document.body.classList.contains('lost')", 5000);
  const away = await page.evaluate(`({ filter: getComputedStyle(document.getElementById('pic')).filter,
    note: document.getElementById('note').textContent,
    shown: document.getElementById('pic').naturalWidth })`);
  if (away.filter === 'none' || !/not connected/.test(away.note) || away.shown === 0)
    throw new Error(`not dimmed with a note while away: ${JSON.stringify(away)}`);
  await sleep(400);
  if (shot) writeFileSync(shot, Buffer.from(await page.screenshot(), 'base64'));
  await sleep(2500);  // a few tries back off meanwhile

  // Back: the page picks it up by itself and shows fresh frames, undimmed.
  display = run(velmora, displayArgs);
  const before = await frames();
  await page.waitFor("!document.body.classList.contains('lost') && document.getElementById('note').textContent === ''", 20000);
  // Fresh frames, not just an open connection: waited for, since a loaded
  // machine may take a while to encode and decode the first one.
  await page.waitFor(`window.__f > ${before}`, 10000).catch(() => {
    throw new Error('no new frames after the display came back');
  });
  console.log(`ok: dimmed while away (${away.note}), reconnected, manifest and icons ${install.sizes.join(' and ')}`);
  const html = await (await fetch(`http://127.0.0.1:${web}/`)).text();
  display.kill('SIGTERM');
  await display.exited;
  await misbehavingDisplay(html);
  finish(0);
}

// The page's timers and Date.now run K times faster than real time, so its
// back-off up to 8 s takes seconds; the times below are the page's. Timers
// never fire early but may fire late on a loaded machine: the upper bounds
// leave room for that, the note's texts say exactly what the page chose.
const K = 4;
const fastClock = `(() => {
  const k = ${K}, t0 = Date.now(), now = Date.now, st = setTimeout, si = setInterval;
  Date.now = () => t0 + (now() - t0) * k;
  window.setTimeout = (f, d, ...a) => st(f, (d || 0) / k, ...a);
  window.setInterval = (f, d, ...a) => si(f, (d || 0) / k, ...a);
  // Every text the note shows, in order ('' while live).
  window.__notes = [];
  addEventListener('DOMContentLoaded', () => new MutationObserver(records => {
    for (const r of records) __notes.push(r.addedNodes.length ? r.target.textContent : '');
  }).observe(document.getElementById('note'), { childList: true }));
})();`;

// Serves the page and takes its WebSocket: 'hang' accepts and never answers,
// 'refuse' answers 503, 'serve' streams frames, 'stall' stops them with the
// socket left open.
async function misbehavingDisplay(html) {
  let mode = 'hang';
  const attempts = [];  // real times of the page's connection attempts
  const server = createHttpServer((req, res) => {
    res.writeHead(200, { 'Content-Type': 'text/html; charset=utf-8' });
    res.end(html);
  });
  server.on('upgrade', (req, socket) => {
    attempts.push(Date.now());
    socket.on('error', () => {});
    if (mode === 'hang') return;
    if (mode === 'refuse') return socket.end('HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\n\r\n');
    const key = createHash('sha1').update(req.headers['sec-websocket-key'] + '258EAFA5-E914-47DA-95CA-C5AB0DC85B11');
    socket.write('HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n' +
                 `Sec-WebSocket-Accept: ${key.digest('base64')}\r\n\r\n`);
    const frames = setInterval(() => mode === 'serve' && socket.write(Buffer.from([0x82, 3, 1, 2, 3])), 30);
    socket.on('close', () => clearInterval(frames));
  });
  await new Promise(r => server.listen(0, '127.0.0.1', r));
  const pageSeconds = ms => ms * K / 1000;
  const attempt = async n => {
    const until = Date.now() + 20000;
    while (attempts.length < n) {
      if (Date.now() > until) throw new Error(`no connection attempt ${n} (${attempts.length} so far)`);
      await sleep(10);
    }
  };
  const page = await browser.open(`http://127.0.0.1:${server.address().port}/`, 1024, 640, fastClock);

  // Taken, never answered: cut after 3 s, tried again after 0.5 s. Then refused
  // five times: each wait twice the last, up to 8 s.
  await attempt(1);
  mode = 'refuse';
  const waits = [3.5, 1, 2, 4, 8];
  for (let i = 0; i < waits.length; ++i) {
    await attempt(i + 2);
    const gap = pageSeconds(attempts[i + 1] - attempts[i]);
    if (gap < waits[i] * 0.85 || gap > waits[i] * 2 + 1)
      throw new Error(`try ${i + 2} came ${gap.toFixed(2)} s after the one before, not ${waits[i]} s`);
  }
  mode = 'serve';
  await attempt(7);
  await page.waitFor("window.__notes.at(-1) === ''", 10000);
  const backOff = (await page.evaluate('window.__notes')).map(n => n.replace(/^Display not connected: trying again in /, ''));
  if (backOff.join() !== '0.5 s,1 s,2 s,4 s,8 s,8 s,')
    throw new Error(`the back-off was ${JSON.stringify(backOff)}`);

  // Frames stop with the socket open: given up after 4 s, the next try 0.5 s later.
  mode = 'stall';
  const stalled = Date.now();
  await attempt(8);
  const gaveUp = pageSeconds(attempts[7] - stalled);
  const note = await page.evaluate('window.__notes.at(-1)');
  if (gaveUp < 4 || gaveUp > 9) throw new Error(`a stalled socket was given up after ${gaveUp.toFixed(2)} s`);
  if (!/ 0\.5 s$/.test(note)) throw new Error(`after a reconnect the back-off did not start again: ${note}`);
  console.log(`ok: an unanswered connect cut, back-off ${backOff.slice(0, -1).join(' ')}, ` +
              `a stalled socket given up after ${gaveUp.toFixed(1)} s, then ${note.replace(/.* in /, '')}`);
  await page.close();
  server.closeAllConnections?.();
  server.close();
}
main().catch(e => fail(e.message));
