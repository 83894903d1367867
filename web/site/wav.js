// WAV files of 32-bit float samples: what Export writes, and what the checks
// read back from quillet-host.

export function encodeWavFloat(channels, rate) {
  const frames = channels[0].length;
  const count = channels.length;
  const dataBytes = frames * count * 4;
  const buffer = new ArrayBuffer(44 + dataBytes);
  const v = new DataView(buffer);
  const text = (at, s) => [...s].forEach((ch, i) => v.setUint8(at + i, ch.charCodeAt(0)));
  text(0, 'RIFF');
  v.setUint32(4, 36 + dataBytes, true);
  text(8, 'WAVE');
  text(12, 'fmt ');
  v.setUint32(16, 16, true);
  v.setUint16(20, 3, true); // IEEE float
  v.setUint16(22, count, true);
  v.setUint32(24, rate, true);
  v.setUint32(28, rate * count * 4, true);
  v.setUint16(32, count * 4, true);
  v.setUint16(34, 32, true);
  text(36, 'data');
  v.setUint32(40, dataBytes, true);
  let at = 44;
  for (let i = 0; i < frames; ++i) {
    for (let c = 0; c < count; ++c) {
      v.setFloat32(at, channels[c][i], true);
      at += 4;
    }
  }
  return buffer;
}

// {rate, channels: [Float32Array, ...]} from a WAV of 32-bit floats
// (WAVE_FORMAT_IEEE_FLOAT, or EXTENSIBLE with the float subformat).
export function decodeWavFloat(arrayBuffer) {
  const v = new DataView(arrayBuffer);
  const tag = (at) => String.fromCharCode(...new Uint8Array(arrayBuffer, at, 4));
  if (tag(0) !== 'RIFF' || tag(8) !== 'WAVE') throw new Error('not a WAV file');
  let at = 12;
  let format = null;
  while (at + 8 <= v.byteLength) {
    const id = tag(at);
    const size = v.getUint32(at + 4, true);
    const body = at + 8;
    if (id === 'fmt ') {
      format = {
        code: v.getUint16(body, true),
        channels: v.getUint16(body + 2, true),
        rate: v.getUint32(body + 4, true),
        bits: v.getUint16(body + 14, true),
      };
      if (format.code === 0xfffe) format.code = v.getUint16(body + 24, true);
    } else if (id === 'data') {
      if (!format || format.code !== 3 || format.bits !== 32) throw new Error('not 32-bit float');
      const frames = Math.floor(Math.min(size, v.byteLength - body) / (4 * format.channels));
      const channels = [];
      for (let c = 0; c < format.channels; ++c) channels.push(new Float32Array(frames));
      for (let i = 0; i < frames; ++i)
        for (let c = 0; c < format.channels; ++c)
          channels[c][i] = v.getFloat32(body + 4 * (i * format.channels + c), true);
      return { rate: format.rate, channels };
    }
    at = body + size + (size & 1);
  }
  throw new Error('no audio data in the WAV file');
}
