// For emscripten's linker only: the functions the web edition's modules take
// from their JavaScript side (module "quillet"), so that the link knows them.
// The modules are standalone WebAssembly; web/site/wasm_loader.js gives the
// real functions when it instantiates them.
mergeInto(LibraryManager.library, {
  tick_count: function () {},
  window_present: function () {},
  window_wait_pointer: function () {},
  window_resize: function () {},
  panel_value_changed: function () {},
  panel_gesture: function () {},
});
