// Reads 8-bit RGB and RGBA PNG files (no interlace), as the panel's golden
// pictures and Chromium's screenshots are, into {width, height, rgb}.
import zlib from 'node:zlib';

export function readPng(bytes) {
  const buffer = Buffer.from(bytes);
  if (buffer.readUInt32BE(0) !== 0x89504e47) throw new Error('not a PNG file');
  let at = 8;
  let width = 0;
  let height = 0;
  let channels = 0;
  const data = [];
  while (at < buffer.length) {
    const size = buffer.readUInt32BE(at);
    const type = buffer.toString('latin1', at + 4, at + 8);
    const body = buffer.subarray(at + 8, at + 8 + size);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      const depth = body[8];
      const color = body[9];
      if (depth !== 8 || (color !== 2 && color !== 6) || body[12] !== 0)
        throw new Error(`unsupported PNG (depth ${depth}, color type ${color}, interlace ${body[12]})`);
      channels = color === 6 ? 4 : 3;
    } else if (type === 'IDAT') {
      data.push(body);
    } else if (type === 'IEND') {
      break;
    }
    at += 12 + size;
  }
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const pixels = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? pixels[y * stride + x - channels] : 0;
      const b = y > 0 ? pixels[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? pixels[(y - 1) * stride + x - channels] : 0;
      let v = line[x];
      if (filter === 1) v += a;
      else if (filter === 2) v += b;
      else if (filter === 3) v += (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c;
        const pa = Math.abs(p - a);
        const pb = Math.abs(p - b);
        const pc = Math.abs(p - c);
        v += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      pixels[y * stride + x] = v & 0xff;
    }
  }
  const rgb = Buffer.alloc(width * height * 3);
  for (let i = 0; i < width * height; ++i) pixels.copy(rgb, i * 3, i * channels, i * channels + 3);
  return { width, height, rgb };
}

// Pixels whose colour differs, and the first of them.
export function differingPixels(a, b) {
  if (a.width !== b.width || a.height !== b.height) return { count: -1 };
  let count = 0;
  let first = null;
  for (let i = 0; i < a.width * a.height; ++i) {
    if (a.rgb[3 * i] !== b.rgb[3 * i] || a.rgb[3 * i + 1] !== b.rgb[3 * i + 1] || a.rgb[3 * i + 2] !== b.rgb[3 * i + 2]) {
      if (count++ === 0) first = { x: i % a.width, y: Math.floor(i / a.width) };
    }
  }
  return { count, first };
}
