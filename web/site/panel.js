// The panel (quillet_panel.wasm) in a <canvas>: the same editor and toolkit
// code as the plug-ins', drawn into the module's pixels and copied to the
// canvas, with the browser's pointer, wheel, keys and touch handed in.
//
// The controls follow a drag in loops that poll the pointer. The module is
// built with Asyncify: when a loop asks for the pointer, it unwinds to here,
// the page waits for the next pointer event (or the next animation frame),
// then rewinds into the loop with the pointer written where the module reads
// it. Until the loop ends, every other call waits its turn (run()).
import { instantiate } from './wasm_imports.js';

// platform/mouse_state.h
const kButtonLeft = 1;
const kButtonMiddle = 2;
const kButtonRight = 4;
const kKeyShift = 8;
const kKeyControl = 16;
const kKeyAlt = 32;
// gui/key_code.h
const VKEY = {
  Backspace: 1, Tab: 2, Enter: 4, Escape: 6, ' ': 7, PageDown: 8, End: 9, Home: 10,
  ArrowLeft: 11, ArrowUp: 12, ArrowRight: 13, ArrowDown: 14, PageUp: 15, Delete: 22,
  F1: 40, F2: 41, F3: 42, F4: 43, F5: 44, F6: 45, F7: 46, F8: 47, F9: 48, F10: 49, F11: 50,
  F12: 51, ContextMenu: 58,
};
const kModifierShift = 1;
const kModifierAlternate = 2;
const kModifierControl = 8;

// The panel's width at 100 %, in its pixels.
export const kPanelWidth = 586;

// A touch held this long without moving opens the menu; moving further than
// this many canvas pixels first makes it a drag.
const kLongPressMs = 450;
const kTouchSlop = 8;

export class PanelView {
  // `callbacks`: onValue(index, value) for every value the user sets on the
  // panel, onGesture(tag, begins), onResize(width, height) in canvas pixels.
  constructor(module, canvas, callbacks) {
    this.canvas = canvas;
    this.context = canvas.getContext('2d');
    this.callbacks = callbacks;
    this.pointer = { x: 0, y: 0, buttons: 0 };
    this.wakeWaiter = null;
    this.sleeping = false;
    this.rewinding = false;
    this.queue = Promise.resolve();
    this.instance = instantiate(module, {
      tick_count: () => Math.floor(performance.now()) >>> 0,
      window_present: (pixels, stride, left, top, right, bottom) =>
        this.present(pixels, stride, left, top, right, bottom),
      window_wait_pointer: () => this.waitPointer(),
      window_resize: (width, height) => this.resize(width, height),
      panel_value_changed: (index, value) => this.callbacks.onValue(index, value),
      panel_gesture: (tag, begins) => this.callbacks.onGesture?.(tag, begins === 1),
    });
    this.ex = this.instance.exports;
    this.data = this.ex.panel_asyncify_data();
    this.dataSize = this.ex.panel_asyncify_data_size();
    this.listen();
  }

  // ---- the module's calls, one at a time ---------------------------------

  // Runs ex[name](...args) after every call before it, through any number
  // of suspensions; resolves to its result.
  run(name, ...args) {
    const call = this.queue.then(() => this.callThrough(name, args));
    this.queue = call.catch(() => {});
    return call;
  }

  async callThrough(name, args) {
    let result = this.ex[name](...args);
    while (this.sleeping) {
      this.ex.asyncify_stop_unwind();
      await this.nextPointerOrFrame();
      this.sleeping = false;
      this.rewinding = true;
      this.ex.asyncify_start_rewind(this.data);
      result = this.ex[name](...args);
    }
    return result;
  }

  // The import a control's loop calls for the pointer.
  waitPointer() {
    if (this.rewinding) {
      this.ex.asyncify_stop_rewind();
      this.rewinding = false;
      const slot = new Int32Array(this.ex.memory.buffer, this.ex.panel_pointer_slot(), 3);
      slot[0] = this.pointer.x;
      slot[1] = this.pointer.y;
      slot[2] = this.pointer.buttons;
      return;
    }
    const header = new Int32Array(this.ex.memory.buffer, this.data, 2);
    header[0] = this.data + 8;
    header[1] = this.data + this.dataSize;
    this.ex.asyncify_start_unwind(this.data);
    this.sleeping = true;
  }

  nextPointerOrFrame() {
    return new Promise((resolve) => {
      let done = false;
      const wake = () => {
        if (done) return;
        done = true;
        this.wakeWaiter = null;
        resolve();
      };
      this.wakeWaiter = wake;
      requestAnimationFrame(wake);
      setTimeout(wake, 40); // a hidden page gets no animation frames
    });
  }

  // ---- the canvas ---------------------------------------------------------

  present(pixels, stride, left, top, right, bottom) {
    const width = right - left;
    const height = bottom - top;
    const image = this.context.createImageData(width, height);
    const source = new Uint8Array(this.ex.memory.buffer);
    const target = image.data;
    for (let y = 0; y < height; ++y) {
      let from = pixels + 4 * ((top + y) * stride + left);
      let to = 4 * y * width;
      for (let x = 0; x < width; ++x, from += 4, to += 4) {
        target[to] = source[from + 2];
        target[to + 1] = source[from + 1];
        target[to + 2] = source[from];
        target[to + 3] = source[from + 3];
      }
    }
    this.context.putImageData(image, left, top);
  }

  resize(width, height) {
    if (this.canvas.width !== width || this.canvas.height !== height) {
      this.canvas.width = width;
      this.canvas.height = height;
    }
    this.fitCss();
    this.callbacks.onResize?.(width, height);
    return 1;
  }

  // One canvas pixel on one device pixel: the panel is drawn sharp.
  fitCss() {
    const ratio = window.devicePixelRatio || 1;
    this.canvas.style.width = `${this.canvas.width / ratio}px`;
    this.canvas.style.height = `${this.canvas.height / ratio}px`;
  }

  // The factor for a panel as wide as `cssWidth` (at most its natural size)
  // on this screen: the panel takes its size nearest to it.
  static hostScaleFor(cssWidth) {
    const ratio = window.devicePixelRatio || 1;
    return ratio * Math.min(1, cssWidth / kPanelWidth);
  }

  // ---- opening, values, presets ------------------------------------------

  async open(hostScale, values, tempo, rate) {
    for (let i = 0; i < values.length; ++i) this.ex.panel_set_value(i, values[i]);
    this.ex.panel_set_tempo(tempo);
    this.ex.panel_set_rate(rate);
    if ((await this.run('panel_open', hostScale)) !== 1) return false;
    await this.run('panel_idle');
    this.startIdling();
    return true;
  }

  startIdling() {
    const tick = () => {
      if (!this.sleeping && !this.rewinding) this.run('panel_idle');
      requestAnimationFrame(tick);
    };
    requestAnimationFrame(tick);
    // Hidden pages get no animation frames; a slower beat keeps the panel true.
    setInterval(() => {
      if (document.hidden) this.run('panel_idle');
    }, 250);
  }

  setValue(index, value) {
    return this.run('panel_set_value', index, value);
  }
  value(index) {
    return this.ex.panel_value(index);
  }
  valueText(index) {
    const at = this.ex.panel_value_text(index);
    const bytes = new Uint8Array(this.ex.memory.buffer, at);
    let end = 0;
    while (bytes[end] !== 0) ++end;
    return new TextDecoder().decode(bytes.subarray(0, end));
  }
  loadPreset(preset) {
    return this.run('panel_load_preset', preset);
  }
  markedPreset() {
    return this.ex.panel_marked_preset();
  }
  setTempo(bpm) {
    return this.run('panel_set_tempo', bpm);
  }
  setRate(rate) {
    return this.run('panel_set_rate', rate);
  }
  setHostScale(factor) {
    return this.run('panel_set_host_scale', factor);
  }
  setUserScale(choice) {
    return this.run('panel_set_user_scale', choice || 0);
  }
  // The size the user chose on the menu, or 0 when it follows the page.
  userScale() {
    return this.ex.panel_scale_is_users() === 1 ? this.ex.panel_scale() : 0;
  }

  // ---- input --------------------------------------------------------------

  where(event) {
    const box = this.canvas.getBoundingClientRect();
    return {
      x: Math.round((event.clientX - box.left) * (this.canvas.width / box.width)),
      y: Math.round((event.clientY - box.top) * (this.canvas.height / box.height)),
    };
  }

  static buttonsOf(event) {
    let bits = 0;
    if (event.buttons & 1) bits |= kButtonLeft;
    if (event.buttons & 2) bits |= kButtonRight;
    if (event.buttons & 4) bits |= kButtonMiddle;
    if (event.shiftKey) bits |= kKeyShift;
    if (event.ctrlKey) bits |= kKeyControl;
    if (event.altKey) bits |= kKeyAlt;
    return bits;
  }

  movePointer(event, buttons = PanelView.buttonsOf(event)) {
    const at = this.where(event);
    this.pointer = { x: at.x, y: at.y, buttons };
    if (this.wakeWaiter) this.wakeWaiter();
  }

  press(at, buttons) {
    this.pointer = { x: at.x, y: at.y, buttons };
    this.run('panel_pointer_down', at.x, at.y, buttons);
    this.run('panel_idle');
  }

  listen() {
    const canvas = this.canvas;
    canvas.style.touchAction = 'none';
    canvas.tabIndex = 0;
    canvas.addEventListener('contextmenu', (e) => e.preventDefault());
    canvas.addEventListener('pointerdown', (e) => {
      canvas.focus();
      canvas.setPointerCapture(e.pointerId);
      e.preventDefault();
      if (e.pointerType === 'touch') this.touchDown(e);
      else this.press(this.where(e), PanelView.buttonsOf(e));
    });
    canvas.addEventListener('pointermove', (e) => {
      if (this.touch && this.touch.id === e.pointerId) this.touchMove(e);
      else this.movePointer(e);
    });
    const up = (e) => {
      if (this.touch && this.touch.id === e.pointerId) this.touchUp(e);
      else this.movePointer(e);
    };
    canvas.addEventListener('pointerup', up);
    canvas.addEventListener('pointercancel', up);
    canvas.addEventListener(
      'wheel',
      (e) => {
        e.preventDefault();
        const at = this.where(e);
        // One notch away from the user is +1; browsers give about 100 a notch.
        const notches = e.deltaMode === 0 ? -e.deltaY / 100 : -e.deltaY;
        if (notches === 0) return;
        this.run('panel_wheel', at.x, at.y, notches, PanelView.buttonsOf(e));
        this.run('panel_idle');
      },
      { passive: false },
    );
    canvas.addEventListener('keydown', (e) => {
      const virt = VKEY[e.key] || 0;
      const character = virt || e.key.length !== 1 ? 0 : e.key.codePointAt(0);
      if (!virt && !character) return;
      let modifiers = 0;
      if (e.shiftKey) modifiers |= kModifierShift;
      if (e.altKey) modifiers |= kModifierAlternate;
      if (e.ctrlKey) modifiers |= kModifierControl;
      if (this.sleeping) return;
      // Handled at once (the key must be refused or taken in this event).
      if (this.ex.panel_key(character, virt, modifiers) === 1) {
        e.preventDefault();
        this.run('panel_idle');
      }
    });
  }

  // Touch: a finger that moves drags (the press goes in where it landed); one
  // held still opens the menu (as its keyboard key does); a tap is a click.
  touchDown(e) {
    const at = this.where(e);
    this.touch = { id: e.pointerId, at, started: false };
    this.touch.timer = setTimeout(() => {
      if (!this.touch || this.touch.started) return;
      this.touch.started = true;
      this.touch.menu = true;
      if (!this.sleeping && this.ex.panel_key(0, VKEY.ContextMenu, 0) === 1) this.run('panel_idle');
    }, kLongPressMs);
  }

  touchMove(e) {
    const t = this.touch;
    const at = this.where(e);
    if (!t.started && Math.hypot(at.x - t.at.x, at.y - t.at.y) > kTouchSlop) {
      clearTimeout(t.timer);
      t.started = true;
      this.press(t.at, kButtonLeft);
    }
    if (t.started && !t.menu) this.movePointer(e, kButtonLeft);
  }

  touchUp(e) {
    const t = this.touch;
    clearTimeout(t.timer);
    this.touch = null;
    if (!t.started) this.press(t.at, kButtonLeft);
    if (!t.menu) this.movePointer(e, 0);
  }
}
