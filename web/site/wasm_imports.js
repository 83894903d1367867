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
// `memory()` gives the instance's memory once it exists.
export function wasmImports(quillet = {}, memory = () => null) {
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
      // No environment: QUILLET_UI_SCALE and the like do not exist here.
      environ_sizes_get: (count, size) => {
        const v = new DataView(memory().buffer);
        v.setUint32(count, 0, true);
        v.setUint32(size, 0, true);
        return 0;
      },
      environ_get: () => 0,
      clock_time_get: () => 52,
    },
  };
}

// Instantiates a compiled module (WebAssembly.Module) and runs its static
// constructors. The C library's system calls that nothing of ours needs
// (files, the user's name: the panel's settings file, which the page keeps
// in the browser's storage instead) answer "not supported".
export function instantiate(module, quillet) {
  let instance = null;
  const imports = wasmImports(quillet, () => instance.exports.memory);
  for (const { module: from, name, kind } of WebAssembly.Module.imports(module)) {
    if (kind !== 'function') continue;
    imports[from] = imports[from] || {};
    if (!(name in imports[from])) imports[from][name] = from === 'env' ? () => -52 : () => 52;
  }
  instance = new WebAssembly.Instance(module, imports);
  if (instance.exports._initialize) instance.exports._initialize();
  return instance;
}
