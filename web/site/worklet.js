// The echo in the page's audio thread: an AudioWorkletProcessor that runs
// quillet_echo.wasm in the render quanta the browser gives it (128 frames).
//
// Values reach the echo through one ring of timed changes in the module
// (web/audio/timed_change_ring.h): the port's messages, which the browser
// delivers on this same thread between quanta, are copied into it as they
// arrive, and a timeline given at the start (an offline render's changes at
// known frames) is copied a quantum ahead. process() allocates nothing,
// locks nothing and never waits.
import { instantiate } from './wasm_imports.js';
import { ChangeTimeline, EchoRunner } from './echo_runner.js';

class QuilletK3Processor extends AudioWorkletProcessor {
  // processorOptions: {module: the compiled quillet_echo.wasm, values: the
  // eleven values to start with, changes: [{frame, index, value}] (optional)}
  constructor(options) {
    super();
    const { module, values, changes } = options.processorOptions;
    this.runner = new EchoRunner(instantiate(module), sampleRate, values);
    this.timeline = new ChangeTimeline(this.runner, changes || []);
    this.silence = new Float32Array(128);
    this.frames = 0;
    this.port.onmessage = (event) => {
      const { index, value } = event.data;
      this.runner.queue(0, index, value);
    };
    if (!this.runner.running) this.port.postMessage({ error: `the echo cannot run at ${sampleRate} Hz` });
  }

  process(inputs, outputs) {
    const input = inputs[0];
    const output = outputs[0];
    const frames = output[0].length;
    const left = input.length > 0 ? input[0] : this.silence;
    const right = input.length > 1 ? input[1] : left;
    this.timeline.queueUntil(this.frames + frames);
    this.runner.block(left, right, output[0], output[1] || output[0], frames);
    this.frames += frames;
    return true;
  }
}

registerProcessor('quillet-k3', QuilletK3Processor);
