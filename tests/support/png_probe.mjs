// Pixels of a screenshot for the shell tests, without an imaging library.
//   node png_probe.mjs FILE                       prints "WIDTH HEIGHT"
//   node png_probe.mjs FILE X Y W H RRGGBB TOL [X Y W H RRGGBB TOL ...]
//                     prints for each box how many of its pixels are within
//                     TOL of the colour on every channel
// Reads the 8-bit RGB and RGBA PNGs the display writes (not interlaced).
import { readFileSync } from 'node:fs';
import { inflateSync } from 'node:zlib';

const [file, ...boxes] = process.argv.slice(2);
const data = readFileSync(file);
if (data.toString('latin1', 1, 4) !== 'PNG') throw new Error(`${file}: not a PNG`);
const width = data.readUInt32BE(16), height = data.readUInt32BE(20), depth = data[24], colour = data[25];
if (boxes.length === 0) {
  console.log(width, height);
  process.exit(0);
}
if (depth !== 8 || (colour !== 2 && colour !== 6) || data[28] !== 0) throw new Error(`${file}: only 8-bit RGB or RGBA`);
const chunks = [];
for (let pos = 8; pos < data.length;) {
  const length = data.readUInt32BE(pos);
  if (data.toString('latin1', pos + 4, pos + 8) === 'IDAT') chunks.push(data.subarray(pos + 8, pos + 8 + length));
  pos += 12 + length;
}
const raw = inflateSync(Buffer.concat(chunks)), bpp = colour === 2 ? 3 : 4, stride = width * bpp;
const pixels = Buffer.alloc(stride * height);
for (let y = 0; y < height; ++y) {
  const filter = raw[y * (stride + 1)], src = y * (stride + 1) + 1, row = y * stride;
  for (let i = 0; i < stride; ++i) {
    const a = i >= bpp ? pixels[row + i - bpp] : 0, b = y ? pixels[row - stride + i] : 0;
    const c = i >= bpp && y ? pixels[row - stride + i - bpp] : 0;
    const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
    const predicted = [0, a, b, (a + b) >> 1, pa <= pb && pa <= pc ? a : pb <= pc ? b : c][filter];
    pixels[row + i] = (raw[src + i] + predicted) & 255;
  }
}
const counts = [];
for (let k = 0; k + 6 <= boxes.length; k += 6) {
  const [x0, y0, w, h] = boxes.slice(k, k + 4).map(Number), tol = Number(boxes[k + 5]);
  const want = [0, 2, 4].map(i => parseInt(boxes[k + 4].slice(i, i + 2), 16));
  let n = 0;
  for (let y = y0; y < Math.min(y0 + h, height); ++y)
    for (let x = x0; x < Math.min(x0 + w, width); ++x)
      if (want.every((v, ch) => Math.abs(pixels[y * stride + x * bpp + ch] - v) <= tol)) ++n;
  counts.push(n);
}
console.log(counts.join(' '));
