// Runs a short script in headless Chromium: open a page, wait for a script
// condition, take screenshots, click, and measure pixels of a screenshot
// inside the browser (no image library needed here).
//   node browser.mjs SCRIPT.json
// SCRIPT.json: {url, width, height, timeout_ms, steps:[{wait:"js expr", timeout_ms} |
//   {sleep:ms} | {screenshot:"file.png"} | {click:[x,y]} | {probe:"js fn(pixels,w,h)", into:"name"}]}
// Prints a JSON object with every probe's result.
import { readFileSync, writeFileSync } from 'node:fs';
import { launchChromium, sleep } from './chromium.mjs';

const script = JSON.parse(readFileSync(process.argv[2], 'utf8'));
const browser = launchChromium();
const deadline = setTimeout(() => fail('timed out'), script.timeout_ms || 60000);

function fail(why) {
  console.error(`browser: ${why}`);
  finish(1);
}
function finish(code) {
  clearTimeout(deadline);
  browser.close();
  process.exit(code);
}

async function main() {
  const page = await browser.open(script.url, script.width, script.height);
  const results = {};
  let lastShot = null;
  for (const step of script.steps) {
    if (step.wait) {
      await page.waitFor(step.wait, step.timeout_ms);
    } else if (step.sleep) {
      await sleep(step.sleep);
    } else if (step.screenshot) {
      lastShot = await page.screenshot();
      writeFileSync(step.screenshot, Buffer.from(lastShot, 'base64'));
    } else if (step.click) {
      await page.click(...step.click);
    } else if (step.probe) {
      // The last screenshot, decoded by the browser itself, handed to the probe.
      results[step.into] = await page.evaluate(`(async () => {
        const img = new Image(); img.src = 'data:image/png;base64,${lastShot}'; await img.decode();
        const c = document.createElement('canvas'); c.width = img.width; c.height = img.height;
        const g = c.getContext('2d'); g.drawImage(img, 0, 0);
        const px = g.getImageData(0, 0, c.width, c.height).data;
        return (${step.probe})(px, c.width, c.height);
      })()`);
    }
  }
  console.log(JSON.stringify(results));
  finish(0);
}
main().catch(e => fail(e.message));
