// The page: the panel, the echo in an AudioWorklet, the sound it runs on
// (the demo, a file, the microphone or line input), Export, the tempo for the
// note keys, and the settings kept in the address and the browser's storage.
import { kPanelWidth, PanelView } from './panel.js';
import { instantiate } from './wasm_imports.js';
import { EchoRunner } from './echo_runner.js';
import { paramIndexIn, paramTable, presetTable } from './params.js';
import { encodeWavFloat } from './wav.js';
import { settingsFromAddress, addressOf, loadStored, store } from './settings.js';

const $ = (id) => document.getElementById(id);
const kDemoRate = 48000;
const kMaxTailSeconds = 30;
const kQuietLevel = 3.1622776601683795e-5; // -90 dBFS, as quillet-host's automatic tail
const kQuietSeconds = 0.5;

const state = {
  echoModule: null,
  panelModule: null,
  table: [],
  presets: [],
  values: [],
  tempo: 120,
  userScale: 0,
  panel: null,
  context: null,
  node: null,
  source: null, // the node playing now
  sourceKind: 'demo',
  fileBuffer: null,
  fileName: '',
  demo: null, // [left, right] Float32Arrays at kDemoRate
  micStream: null,
  playing: false,
  taps: [],
};

function say(text, kind = 'error') {
  const box = $('message');
  box.textContent = text;
  box.dataset.kind = kind;
  box.hidden = !text;
}

// ---- values -------------------------------------------------------------

function showValues() {
  for (const row of state.table) {
    const cell = $(`value-${row.symbol}`);
    if (cell) cell.textContent = state.panel ? state.panel.valueText(row.index) : '';
  }
  const marked = state.panel ? state.panel.markedPreset() : -1;
  $('preset').value = marked >= 0 ? String(marked) : '';
}

function keep() {
  store({ values: state.values, tempo: state.tempo, userScale: state.userScale });
  history.replaceState(null, '', addressOf(state.table, state.values, state.tempo));
}

// A value set on the panel (or through it: a preset, a note key).
function valueFromPanel(index, value) {
  state.values[index] = value;
  if (state.node) state.node.port.postMessage({ index, value });
  const row = state.table[index];
  $('readout').textContent = `${row.name}: ${state.panel.valueText(index)}`;
  showValues();
  keep();
}

async function setValue(index, value) {
  state.values[index] = await state.panel.setValue(index, value);
  if (state.node) state.node.port.postMessage({ index, value: state.values[index] });
  showValues();
  keep();
}

async function loadPreset(number) {
  await state.panel.loadPreset(number);
  showValues();
}

// ---- the sound ------------------------------------------------------------

async function loadDemo() {
  if (state.demo) return state.demo;
  if (typeof DecompressionStream === 'undefined')
    throw new Error('This browser cannot unpack the demo (no DecompressionStream): drop a file of your own.');
  const response = await fetch('demo-48000.f32.gz');
  if (!response.ok) throw new Error(`The demo could not be loaded (${response.status}).`);
  const stream = response.body.pipeThrough(new DecompressionStream('gzip'));
  const bytes = await new Response(stream).arrayBuffer();
  const all = new Float32Array(bytes);
  const frames = all.length / 2;
  state.demo = [all.slice(0, frames), all.slice(frames)];
  return state.demo;
}

function bufferOf(context, [left, right], rate) {
  const buffer = context.createBuffer(2, left.length, rate);
  buffer.copyToChannel(left, 0);
  buffer.copyToChannel(right, 1);
  return buffer;
}

// The rate a WAV or FLAC file announces, so it is decoded without being
// resampled; null for others (they take the page's rate).
function announcedRate(bytes) {
  const v = new DataView(bytes);
  const tag = (at) => (v.byteLength >= at + 4 ? String.fromCharCode(...new Uint8Array(bytes, at, 4)) : '');
  if (tag(0) === 'RIFF' && tag(8) === 'WAVE') {
    for (let at = 12; at + 8 <= v.byteLength; ) {
      const size = v.getUint32(at + 4, true);
      if (tag(at) === 'fmt ' && at + 16 <= v.byteLength) return v.getUint32(at + 12, true);
      at += 8 + size + (size & 1);
    }
  }
  if (tag(0) === 'fLaC' && v.byteLength >= 21) return (v.getUint32(18) >>> 12) & 0xfffff;
  return null;
}

async function decodeFile(file) {
  const bytes = await file.arrayBuffer();
  const rate = announcedRate(bytes) || (state.context ? state.context.sampleRate : kDemoRate);
  if (!(rate >= 8000 && rate <= 384000)) throw new Error(`${file.name}: its rate (${rate} Hz) is outside 8000 to 384000 Hz.`);
  const decoder = new OfflineAudioContext(2, 1, rate);
  try {
    return await decoder.decodeAudioData(bytes);
  } catch {
    throw new Error(`${file.name} is not audio this browser can read (WAV, FLAC, MP3, Ogg or AAC).`);
  }
}

async function takeFile(file) {
  say('');
  try {
    state.fileBuffer = await decodeFile(file);
    state.fileName = file.name;
    $('file-name').textContent = `${file.name} (${state.fileBuffer.duration.toFixed(1)} s, ${state.fileBuffer.sampleRate} Hz)`;
    $('source-file').checked = true;
    await chooseSource('file');
  } catch (error) {
    say(error.message);
  }
}

// ---- the live echo ----------------------------------------------------------

async function ensureContext() {
  if (state.context) return state.context;
  if (typeof AudioWorkletNode === 'undefined' || typeof AudioContext === 'undefined')
    throw new Error('This browser has no AudioWorklet, which the echo runs in: try a current Chrome, Edge, Firefox or Safari.');
  const context = new AudioContext({ latencyHint: 'interactive' });
  await context.audioWorklet.addModule('worklet.js');
  state.context = context;
  state.panel.setRate(context.sampleRate);
  return context;
}

function echoNode(context, values, changes) {
  const node = new AudioWorkletNode(context, 'quillet-k3', {
    numberOfInputs: 1,
    numberOfOutputs: 1,
    outputChannelCount: [2],
    processorOptions: { module: state.echoModule, values, changes },
  });
  node.port.onmessage = (event) => {
    if (event.data.error) say(event.data.error);
  };
  return node;
}

function stopSource() {
  if (state.source) {
    try {
      state.source.stop?.();
    } catch {
      // already stopped
    }
    state.source.disconnect();
    state.source = null;
  }
  if (state.micStream) {
    for (const track of state.micStream.getTracks()) track.stop();
    state.micStream = null;
  }
}

async function sourceNode(context) {
  if (state.sourceKind === 'input') {
    try {
      state.micStream = await navigator.mediaDevices.getUserMedia({
        audio: { echoCancellation: false, noiseSuppression: false, autoGainControl: false },
      });
    } catch (error) {
      throw new Error(
        error && error.name === 'NotAllowedError'
          ? 'The microphone was refused: allow it in the browser (the icon in the address bar), or choose the demo or a file.'
          : `No microphone or line input could be opened (${error && error.name ? error.name : error}).`,
      );
    }
    return context.createMediaStreamSource(state.micStream);
  }
  const node = context.createBufferSource();
  node.buffer = state.sourceKind === 'file' && state.fileBuffer ? state.fileBuffer : bufferOf(context, await loadDemo(), kDemoRate);
  node.loop = true;
  return node;
}

async function start() {
  say('');
  try {
    const context = await ensureContext();
    await context.resume();
    if (!state.node) {
      state.node = echoNode(context, state.values);
      state.node.connect(context.destination);
    }
    stopSource();
    state.source = await sourceNode(context);
    state.source.connect(state.node);
    state.source.start?.();
    state.playing = true;
  } catch (error) {
    stopSource();
    state.playing = false;
    say(error.message);
  }
  $('start').textContent = state.playing ? 'Stop' : 'Start';
}

function stop() {
  stopSource();
  state.playing = false;
  $('start').textContent = 'Start';
}

async function chooseSource(kind) {
  state.sourceKind = kind;
  $('headphones').hidden = kind !== 'input';
  if (kind === 'file' && !state.fileBuffer) {
    $('file').click();
    return;
  }
  if (state.playing) await start();
}

// ---- offline renders and Export ---------------------------------------------

// Renders `input` ([left, right] Float32Arrays at `rate`) and a tail through
// the echo in an OfflineAudioContext, with `values` to start with and
// `changes` ([{frame, index, value}]) at their frames. The tail is
// `tailSeconds` long, or with 'auto' as long as the echo is heard (at most
// kMaxTailSeconds). Resolves to [left, right].
async function renderOffline({ input, rate, values, changes = [], tailSeconds = 'auto' }) {
  let tail;
  if (tailSeconds === 'auto') {
    const probe = new EchoRunner(instantiate(state.echoModule), rate, values);
    const frames = probe.ex.echo_tail_frames();
    tail = Math.floor(frames < 0 ? kMaxTailSeconds * rate : Math.min(frames + kQuietSeconds * rate, kMaxTailSeconds * rate));
  } else {
    tail = Math.floor(tailSeconds * rate);
  }
  const length = input[0].length + tail;
  const context = new OfflineAudioContext(2, length, rate);
  await context.audioWorklet.addModule('worklet.js');
  const node = echoNode(context, values, changes);
  const source = context.createBufferSource();
  source.buffer = bufferOf(context, input, rate);
  source.connect(node);
  node.connect(context.destination);
  source.start(0);
  const rendered = await context.startRendering();
  let out = [rendered.getChannelData(0), rendered.getChannelData(1)];
  if (tailSeconds === 'auto') out = trimQuiet(out, input[0].length, rate);
  return out;
}

// Ends the render once the output has stayed below -90 dBFS for half a
// second after the input, as quillet-host's automatic tail does.
function trimQuiet([left, right], inputFrames, rate) {
  const needed = Math.max(1, Math.floor(kQuietSeconds * rate));
  let quiet = 0;
  for (let i = inputFrames; i < left.length; ++i) {
    quiet = Math.abs(left[i]) < kQuietLevel && Math.abs(right[i]) < kQuietLevel ? quiet + 1 : 0;
    if (quiet >= needed) return [left.slice(0, i + 1), right.slice(0, i + 1)];
  }
  return [left, right];
}

async function exportWav() {
  say('');
  const button = $('export');
  button.disabled = true;
  try {
    let input;
    let rate;
    let name;
    if (state.sourceKind === 'file' && state.fileBuffer) {
      const b = state.fileBuffer;
      input = [b.getChannelData(0), b.numberOfChannels > 1 ? b.getChannelData(1) : b.getChannelData(0)];
      rate = b.sampleRate;
      name = state.fileName.replace(/\.[^.]*$/, '') + '-quillet-k3.wav';
    } else {
      if (state.sourceKind === 'input') say('Export renders the demo or a file; the demo now.', 'note');
      input = await loadDemo();
      rate = kDemoRate;
      name = 'demo-quillet-k3.wav';
    }
    const out = await renderOffline({ input, rate, values: [...state.values] });
    const url = URL.createObjectURL(new Blob([encodeWavFloat(out, rate)], { type: 'audio/wav' }));
    const link = document.createElement('a');
    link.href = url;
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
    $('readout').textContent = `Exported ${name}: ${(out[0].length / rate).toFixed(1)} s at ${rate} Hz, the tail included.`;
  } catch (error) {
    say(`Export failed: ${error.message}`);
  } finally {
    button.disabled = false;
  }
}

// ---- tempo ------------------------------------------------------------------

function setTempo(bpm, fromField = false) {
  if (!(bpm >= 20 && bpm <= 300)) {
    if (fromField) say('The tempo is a number of beats per minute from 20 to 300.');
    return;
  }
  say('');
  state.tempo = Math.round(bpm * 10) / 10;
  if (!fromField) $('tempo-field').value = String(state.tempo);
  state.panel.setTempo(state.tempo);
  keep();
}

// The mean of the last taps, restarted after a pause of two seconds.
function tap() {
  const now = performance.now();
  if (state.taps.length && now - state.taps[state.taps.length - 1] > 2000) state.taps = [];
  state.taps.push(now);
  if (state.taps.length > 8) state.taps.shift();
  if (state.taps.length >= 2) {
    const span = state.taps[state.taps.length - 1] - state.taps[0];
    setTempo(60000 / (span / (state.taps.length - 1)));
  }
}

// ---- the panel's size ---------------------------------------------------------

function fitPanel() {
  const room = $('panel-area').clientWidth || kPanelWidth;
  state.panel.setHostScale(PanelView.hostScaleFor(room));
}

// ---- start-up -------------------------------------------------------------

async function compile(url) {
  const response = await fetch(url);
  if (!response.ok) throw new Error(`${url} could not be loaded (${response.status})`);
  return WebAssembly.compile(await response.arrayBuffer());
}

function buildControls() {
  const list = $('values');
  for (const row of state.table) {
    const dt = document.createElement('dt');
    dt.textContent = row.name;
    const dd = document.createElement('dd');
    dd.id = `value-${row.symbol}`;
    list.append(dt, dd);
  }
  const select = $('preset');
  state.presets.forEach((p, i) => {
    const option = document.createElement('option');
    option.value = String(i);
    option.textContent = p.name;
    select.append(option);
  });
  select.addEventListener('change', () => {
    if (select.value !== '') loadPreset(Number(select.value));
  });
  $('start').addEventListener('click', () => (state.playing ? stop() : start()));
  $('export').addEventListener('click', exportWav);
  for (const kind of ['demo', 'file', 'input'])
    $(`source-${kind}`).addEventListener('change', () => chooseSource(kind));
  $('file').addEventListener('change', (e) => {
    if (e.target.files[0]) takeFile(e.target.files[0]);
  });
  $('pick-file').addEventListener('click', () => $('file').click());
  const drop = document.body;
  drop.addEventListener('dragover', (e) => {
    e.preventDefault();
    document.body.classList.add('dropping');
  });
  drop.addEventListener('dragleave', () => document.body.classList.remove('dropping'));
  drop.addEventListener('drop', (e) => {
    e.preventDefault();
    document.body.classList.remove('dropping');
    const file = e.dataTransfer.files[0];
    if (file) takeFile(file);
  });
  $('tempo-field').addEventListener('change', (e) => setTempo(Number(e.target.value), true));
  $('tap').addEventListener('click', tap);
  window.addEventListener('resize', fitPanel);
  matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`).addEventListener?.('change', fitPanel);
  window.addEventListener('popstate', applyAddress);
}

async function applyAddress() {
  const found = settingsFromAddress(location.search, state.table, state.presets);
  for (const [index, value] of found.values) await setValue(index, value);
  if (found.tempo) setTempo(found.tempo);
  if (found.errors.length) say(`Left out of the address: ${found.errors.join('; ')}.`, 'note');
}

async function main() {
  try {
    if (typeof WebAssembly === 'undefined') throw new Error('This browser cannot run WebAssembly, which the echo is built as.');
    [state.echoModule, state.panelModule] = await Promise.all([compile('quillet_echo.wasm'), compile('quillet_panel.wasm')]);
    const probe = instantiate(state.echoModule).exports;
    state.table = paramTable(probe);
    state.presets = presetTable(probe);
    state.values = state.table.map((row) => row.defaultValue);
    const stored = loadStored(state.table.length);
    if (stored.values) state.values = stored.values;
    if (stored.tempo) state.tempo = stored.tempo;
    state.userScale = stored.userScale || 0;
    const found = settingsFromAddress(location.search, state.table, state.presets);
    for (const [index, value] of found.values) state.values[index] = value;
    if (found.tempo) state.tempo = found.tempo;
    buildControls();
    $('tempo-field').value = String(state.tempo);
    const canvas = $('panel');
    state.panel = new PanelView(state.panelModule, canvas, {
      onValue: valueFromPanel,
      onResize: () => {
        const chosen = state.panel ? state.panel.userScale() : 0;
        if (state.panel && chosen !== state.userScale) {
          state.userScale = chosen;
          keep();
        }
      },
    });
    const room = $('panel-area').clientWidth || kPanelWidth;
    if (!(await state.panel.open(PanelView.hostScaleFor(room), state.values, state.tempo, kDemoRate)))
      throw new Error('The panel could not be drawn.');
    if (state.userScale) await state.panel.setUserScale(state.userScale);
    for (let i = 0; i < state.values.length; ++i) state.values[i] = state.panel.value(i);
    showValues();
    keep();
    if (found.errors.length) say(`Left out of the address: ${found.errors.join('; ')}.`, 'note');
    document.body.classList.add('ready');
  } catch (error) {
    say(error.message);
    throw error;
  }
}

// For scripts and tests: what the page runs on.
window.quillet = {
  ready: main(),
  state,
  renderOffline,
  loadDemo,
  setValue,
  loadPreset,
  paramIndex: (name) => paramIndexIn(state.table, name),
};

if ('serviceWorker' in navigator && location.protocol !== 'file:') {
  navigator.serviceWorker.register('sw.js').catch(() => {
    // Offline use is a bonus: the page works without it.
  });
}
