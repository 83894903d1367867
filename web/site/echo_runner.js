// The echo module (quillet_echo.wasm) driven block by block, the same way
// in the page's AudioWorkletProcessor (worklet.js), in offline renders and
// in the Node checks. No method that runs per block allocates.

export const kParamCount = 11;

export class EchoRunner {
  // `instance`: an instance of quillet_echo.wasm; `values`: the eleven
  // values to start with (they take effect without a glide, as values set
  // before a host switches a plug-in on).
  constructor(instance, rate, values) {
    const ex = instance.exports;
    this.ex = ex;
    const start = ex.echo_initial_values();
    new Float32Array(ex.memory.buffer, start, kParamCount).set(values);
    this.running = ex.echo_start(rate) === 1;
    // The memory may have grown in echo_start: the views come after it.
    const frames = ex.echo_max_frames();
    this.maxFrames = frames;
    const view = (which) => new Float32Array(ex.memory.buffer, ex.echo_buffer(which), frames);
    this.inL = view(0);
    this.inR = view(1);
    this.outL = view(2);
    this.outR = view(3);
  }

  // A change at `frame` frames since the start (0 or any frame already
  // passed: at the next block). False when the echo refused it.
  queue(frame, index, value) {
    return this.ex.echo_queue(frame, index, value) === 1;
  }

  value(index) {
    return this.ex.echo_value(index);
  }

  // One block of `frames` frames (at most maxFrames). The inputs and outputs
  // are Float32Arrays of at least `frames` samples; a missing right input
  // takes the left one, as a host feeds a mono track to both inputs. No
  // allocation while the block length stays the same.
  block(left, right, outLeft, outRight, frames) {
    if (frames !== this.viewFrames) {
      this.viewFrames = frames;
      this.outLView = this.outL.subarray(0, frames);
      this.outRView = this.outR.subarray(0, frames);
    }
    const r = right || left;
    this.inL.set(left.length === frames ? left : left.subarray(0, frames));
    this.inR.set(r.length === frames ? r : r.subarray(0, frames));
    this.ex.echo_process(frames);
    if (outLeft.length === frames) {
      outLeft.set(this.outLView);
      outRight.set(this.outRView);
    } else {
      outLeft.set(this.outLView, 0);
      outRight.set(this.outRView, 0);
    }
  }
}

// Renders `left`/`right` (Float32Arrays) and `tailFrames` of silence after
// them through a runner in blocks of `blockFrames`; `changes` is a list of
// {frame, index, value} in the order of their frames, each queued before the
// block it falls in. Returns [left, right].
export function renderThrough(runner, left, right, tailFrames, blockFrames, changes = []) {
  const timeline = new ChangeTimeline(runner, changes);
  const total = left.length + tailFrames;
  const outL = new Float32Array(total);
  const outR = new Float32Array(total);
  const inL = new Float32Array(blockFrames);
  const inR = new Float32Array(blockFrames);
  const bl = new Float32Array(blockFrames);
  const br = new Float32Array(blockFrames);
  for (let start = 0; start < total; start += blockFrames) {
    const n = Math.min(blockFrames, total - start);
    inL.fill(0);
    inR.fill(0);
    if (start < left.length) {
      const got = Math.min(n, left.length - start);
      inL.set(left.subarray(start, start + got));
      inR.set(right.subarray(start, start + got));
    }
    timeline.queueUntil(start + n);
    runner.block(inL, inR, bl, br, n);
    outL.set(bl.subarray(0, n), start);
    outR.set(br.subarray(0, n), start);
  }
  return [outL, outR];
}

// Changes at known frames handed to a runner a block ahead, so the echo's
// ring (of fixed room) never holds more than a block's worth.
export class ChangeTimeline {
  constructor(runner, changes) {
    this.runner = runner;
    this.changes = changes;
    this.next = 0;
  }
  // Queues every change before frame `end`.
  queueUntil(end) {
    while (this.next < this.changes.length && this.changes[this.next].frame < end) {
      const c = this.changes[this.next++];
      if (!this.runner.queue(c.frame, c.index, c.value))
        throw new Error(`change refused: ${JSON.stringify(c)}`);
    }
  }
}
