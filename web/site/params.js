// The parameters and factory presets as either web module's core tells them
// (web/core_exports.cpp).

function text(exports, pointer) {
  if (!pointer) return null;
  const bytes = new Uint8Array(exports.memory.buffer, pointer);
  let end = 0;
  while (bytes[end] !== 0) ++end;
  return new TextDecoder().decode(bytes.subarray(0, end));
}

// [{index, name, symbol, defaultValue}] in index order.
export function paramTable(exports) {
  const rows = [];
  for (let i = 0; i < exports.param_count(); ++i) {
    rows.push({
      index: i,
      name: text(exports, exports.param_name(i)),
      symbol: text(exports, exports.param_symbol(i)),
      defaultValue: exports.param_default(i),
    });
  }
  return rows;
}

// [{name, values: [11 floats]}] in the menu's order.
export function presetTable(exports) {
  const rows = [];
  const count = exports.param_count();
  for (let p = 0; p < exports.preset_count(); ++p) {
    const values = [];
    for (let i = 0; i < count; ++i) values.push(exports.preset_value(p, i));
    rows.push({ name: text(exports, exports.preset_name(p)), values });
  }
  return rows;
}

// The index of a parameter by its name or symbol, as quillet-host's --set
// finds it (exact, then ignoring case); -1 for none.
export function paramIndexIn(table, key) {
  for (const row of table) if (row.name === key || row.symbol === key) return row.index;
  const lower = key.toLowerCase();
  for (const row of table) if (row.name.toLowerCase() === lower || row.symbol === lower) return row.index;
  return -1;
}
