// Functions the web edition's JavaScript side gives its WebAssembly modules
// (web/site/wasm_loader.js lists them; web/link_imports.js names them for
// the linker). Only the web backends of this folder include this.
#pragma once

#define QUILLET_WEB_IMPORT(name) __attribute__((import_module("quillet"), import_name(#name)))
