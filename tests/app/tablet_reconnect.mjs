// The tablet page across a display restart, in headless Chromium: it shows
// the picture, dims it and says so when the display goes away, comes back by
// itself when the display returns, and serves what "Add to Home Screen"
// needs (manifest and icons).
//   node tablet_reconnect.mjs VELMORA VELMORA_SEND WORKDIR [SCREENSHOT.png]
import { spawn } from 'node:child_process';
import { writeFileSync } from 'node:fs';
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
  await sleep(500);
  if ((await frames()) <= before) throw new Error('no new frames after the display came back');
  console.log(`ok: dimmed while away (${away.note}), reconnected, manifest and icons ${install.sizes.join(' and ')}`);
  display.kill('SIGTERM');
  await display.exited;
  finish(0);
}
main().catch(e => fail(e.message));
