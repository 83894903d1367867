// What the web edition's WebAssembly modules import, in one place for the
// page, the audio worklet and the Node checks. The modules are standalone
// (emscripten with STANDALONE_WASM): their C library asks WASI for little
// more than an exit, and our own code asks its JavaScript side ("quillet")
// for the time and, in the panel, for the canvas.

export class WasmExit extends Error {
  constructor(code) {
    super(`the WebAssembly module stopped (exit ${code})`);
    this.code = code;
  }
}

// `quillet` holds the functions of the "quillet" module; any it leaves out
// answer 0.
export function wasmImports(quillet = {}) {
  const ours = {
    tick_count: () => 0,
    window_present: () => {},
    window_wait_pointer: () => {},
    window_resize: () => 0,
    ...quillet,
  };
  return {
    quillet: ours,
    env: { emscripten_notify_memory_growth: () => {} },
    wasi_snapshot_preview1: {
      proc_exit: (code) => {
        throw new WasmExit(code);
      },
      fd_write: () => 52, // ENOSYS: nothing of ours prints
      fd_close: () => 52,
      fd_seek: () => 52,
      fd_read: () => 52,
      environ_sizes_get: (count, size) => 52,
      environ_get: () => 52,
      clock_time_get: () => 52,
    },
  };
}

// Instantiates a compiled module (WebAssembly.Module) and runs its static
// constructors.
export function instantiate(module, quillet) {
  const instance = new WebAssembly.Instance(module, wasmImports(quillet));
  if (instance.exports._initialize) instance.exports._initialize();
  return instance;
}
