# The VST 2.4 edition of the installed package, as Ardour finds it: Ardour's
# own scanner on every library of the package that lies in the search path
# Ardour uses when none is configured (no VST_PATH or LXVST_PATH): exactly
# one, /usr/lib/vst/QTAPG_x64.so, "Quillet K3" by Marrow Ledge, ID QTAP,
# stereo, with an editor. The library kept outside that path is a sound
# plug-in too.
# Sourced by scripts/test-package.sh, which gives $scratch, $files (the
# package's paths) and fail.
check_edition() {
  local ardour_lib=/usr/lib/ardour7
  local scanner=$ardour_lib/ardour-vst-scanner
  [ -x "$scanner" ] || fail "no $scanner (package ardour)"
  # The folders Ardour searches for Linux VST plug-ins when no path is
  # configured, as compiled into libardour.
  local search_path
  search_path=$(strings "$ardour_lib"/libardour.so.* | grep -m1 -E '^[^ ]*lxvst[^ ]*:/usr/lib/vst(:|$)' || true)
  [ -n "$search_path" ] || fail "no default VST search path found in libardour"
  echo "Ardour's default path: $search_path"
  # Ardour looks for *.so in each folder and below; ours are the package's files.
  local folders ours=() folder so
  IFS=: read -r -a folders <<<"$search_path"
  for folder in "${folders[@]}"; do
    [ -d "$folder" ] || continue
    while IFS= read -r so; do
      grep -qxF "$so" "$files" && ours+=("$so")
    done < <(find -L "$folder" -name '*.so' -type f | LC_ALL=C sort)
  done
  echo "our libraries in that path: ${ours[*]:-none}"
  [ "${#ours[@]}" = 1 ] || fail "expected exactly one library of ours in Ardour's path"
  # A private home: the scanner writes its cache (.v2i) under ~/.cache/ardour7/vst.
  mkdir -p "$scratch/vst2-home"
  scan() {
    env -u VST_PATH -u LXVST_PATH HOME="$scratch/vst2-home" \
      XDG_CACHE_HOME="$scratch/vst2-home/.cache" LD_LIBRARY_PATH="$ardour_lib" \
      "$scanner" -f -v "$1" 2>&1
  }
  local qtap_id=1364476240 report  # 'QTAP' read as a big-endian number
  for so in "${ours[@]}"; do
    report=$(scan "$so")
    # The scanner prints the ID's bytes in memory order ('PATQ' on x86 and
    # arm64); the cache holds it as a number.
    grep -m1 "Found Plugin" <<<"$report"
    grep -qF "Found Plugin: 'PATQ' Quillet K3" <<<"$report" || { echo "$report"; fail "$so not found"; }
    grep -qF "id=\"$qtap_id\" name=\"Quillet K3\" creator=\"Marrow Ledge\"" <<<"$report" ||
      fail "$so: unexpected identity"
    grep -qF 'n_inputs="2" n_outputs="2"' <<<"$report" || fail "$so: not stereo"
    grep -qF 'has_editor="1"' <<<"$report" || fail "$so: no editor"
  done
  [ "${ours[0]}" = /usr/lib/vst/QTAPG_x64.so ] || fail "the editor build is not in /usr/lib/vst"
  find "$scratch/vst2-home/.cache/ardour7/vst" -name '*.v2i' | grep -q . || fail "no scanner cache written"
  report=$(scan /usr/lib/quillet-k3/QTAP_x64.so)
  grep -m1 "Found Plugin" <<<"$report"
  grep -qF "id=\"$qtap_id\" name=\"Quillet K3 (no GUI)\"" <<<"$report" || fail "QTAP_x64.so not found"
  grep -qF 'has_editor="0"' <<<"$report" || fail "QTAP_x64.so claims an editor"
}
