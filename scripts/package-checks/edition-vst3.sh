# The VST3 edition of the installed package, as Ardour finds it: the bundle
# "Quillet K3.vst3" in /usr/lib/vst3, a folder of Ardour's default VST3 path,
# with the module for this machine and moduleinfo.json; Ardour's own VST3
# scanner lists "Quillet K3" by Marrow Ledge under the processor's class ID,
# stereo in and out; the installed quillet-host loads it and validates it.
# Its nine factory presets are the bundle's own program list, and no
# .vstpreset file lies in a folder of Ardour's preset path (Ardour would list
# each preset a second time).
# Sourced by scripts/test-package.sh, which gives $scratch, $files (the
# package's paths) and fail.
check_edition() {
  local ardour_lib=/usr/lib/ardour7
  local scanner=$ardour_lib/ardour-vst3-scanner
  local bundle="/usr/lib/vst3/Quillet K3.vst3"
  local uid=565354515441507175696C6C6574206B report
  [ -x "$scanner" ] || fail "no $scanner (package ardour)"
  # (grep reads all the strings: -q would end the pipe early under pipefail)
  strings "$ardour_lib"/libardour.so.* | grep -F "/usr/lib/vst3" >/dev/null ||
    fail "/usr/lib/vst3 is not in Ardour's default VST3 path"
  grep -qxF "$bundle/Contents/$(uname -m)-linux/Quillet K3.so" "$files" ||
    fail "the package has no module for $(uname -m) in $bundle"
  grep -qxF "$bundle/Contents/Resources/moduleinfo.json" "$files" ||
    fail "the package has no moduleinfo.json in $bundle"
  mkdir -p "$scratch/vst3-home"
  report=$(HOME="$scratch/vst3-home" XDG_CACHE_HOME="$scratch/vst3-home/.cache" \
    LD_LIBRARY_PATH="$ardour_lib" "$scanner" -f -v "$bundle" 2>&1) ||
    { echo "$report"; fail "Ardour's VST3 scanner failed on $bundle"; }
  grep -m1 "Found Plugin" <<<"$report"
  grep -qF "uid=\"$uid\" name=\"Quillet K3\" vendor=\"Marrow Ledge\"" <<<"$report" ||
    { echo "$report"; fail "Ardour does not list Quillet K3 by Marrow Ledge"; }
  grep -qF 'n_inputs="2" n_outputs="2"' <<<"$report" || fail "$bundle: not stereo"
  /usr/bin/quillet-host info "$bundle" | grep -qF "\"Quillet K3\" (Audio Module Class)" ||
    fail "the installed quillet-host does not load the installed bundle"
  /usr/bin/quillet-host validate "$bundle" --seconds 1 >"$scratch/vst3-validate.txt" 2>&1 ||
    { cat "$scratch/vst3-validate.txt"; fail "the installed bundle fails validation"; }
  tail -1 "$scratch/vst3-validate.txt"
  local programs
  programs=$(/usr/bin/quillet-host info "$bundle" | sed -n '/^  List:/,$p' | grep -cE '^ *[0-9]+  ' || true)
  [ "$programs" -eq 9 ] || fail "the installed bundle lists $programs factory programs, not nine"
  if grep -E '\.vstpreset$' "$files"; then fail "the package installs .vstpreset files"; fi
  echo "nine factory presets in the bundle's program list, no preset file beside it"
}
