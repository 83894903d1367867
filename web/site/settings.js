// The settings a page keeps: the eleven values (and the tempo of the note
// keys) in its address, so a link opens with them, and all of it with the
// panel's size in the browser's storage, so a reload keeps everything.
//
// The address reads ?delay=0.42&repeat=0.55&...&tempo=120, one parameter by
// its symbol each; ?preset=Dub%20Throw starts from a factory preset by name,
// and values after it change it.

const kStorageKey = 'quillet-k3';

// The shortest decimal text that reads back as the same 32-bit float.
export function floatText(value) {
  const f = Math.fround(value);
  for (let digits = 1; digits <= 9; ++digits) {
    const text = String(Number(f.toPrecision(digits)));
    if (Math.fround(Number(text)) === f) return text;
  }
  return String(f);
}

export function addressOf(table, values, tempo) {
  const parts = table.map((row) => `${row.symbol}=${floatText(values[row.index])}`);
  parts.push(`tempo=${tempo}`);
  return `?${parts.join('&')}`;
}

// {values: [[index, value]], tempo, errors: [text]} from an address's
// query; what it cannot read is left out, with a line in errors.
export function settingsFromAddress(search, table, presets) {
  const found = { values: [], tempo: 0, errors: [] };
  const query = new URLSearchParams(search);
  for (const [key, text] of query) {
    if (key === 'preset') {
      const preset = presets.findIndex((p) => p.name.toLowerCase() === text.toLowerCase());
      if (preset < 0) found.errors.push(`no factory preset is called "${text}"`);
      else presets[preset].values.forEach((v, i) => found.values.push([i, v]));
      continue;
    }
    if (key === 'tempo') {
      const bpm = Number(text);
      if (text.trim() !== '' && bpm >= 20 && bpm <= 300) found.tempo = bpm;
      else found.errors.push(`tempo "${text}" is not 20 to 300 beats per minute`);
      continue;
    }
    const row = table.find((r) => r.symbol === key);
    if (!row) {
      found.errors.push(`"${key}" is not a setting`);
      continue;
    }
    const value = Number(text);
    if (text.trim() === '' || !Number.isFinite(value)) found.errors.push(`${row.name} "${text}" is not a number`);
    else found.values.push([row.index, Math.min(1, Math.max(0, value))]);
  }
  return found;
}

export function store(settings) {
  try {
    localStorage.setItem(kStorageKey, JSON.stringify(settings));
  } catch {
    // Storage refused (a private window, a full disk): the address still keeps the values.
  }
}

// What the browser kept, checked: {values?, tempo?, userScale?}.
export function loadStored(count) {
  let kept = null;
  try {
    kept = JSON.parse(localStorage.getItem(kStorageKey) || 'null');
  } catch {
    return {};
  }
  if (!kept || typeof kept !== 'object') return {};
  const out = {};
  if (Array.isArray(kept.values) && kept.values.length === count && kept.values.every((v) => Number.isFinite(v)))
    out.values = kept.values.map((v) => Math.min(1, Math.max(0, v)));
  if (kept.tempo >= 20 && kept.tempo <= 300) out.tempo = kept.tempo;
  if (kept.userScale >= 1 && kept.userScale <= 3) out.userScale = kept.userScale;
  return out;
}
