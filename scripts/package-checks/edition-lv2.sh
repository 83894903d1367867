# The LV2 edition of the installed package, as lilv finds it on its default
# path (no LV2_PATH): lv2ls lists urn:marrowledge:quillet-k3, lv2info shows
# the bundle in /usr/lib/lv2 with its DSP library, its panel and its factory
# presets, and writes nothing to stderr.
# Sourced by scripts/test-package.sh, which gives $scratch and fail.
check_edition() {
  local uri=urn:marrowledge:quillet-k3 lv2ls_out info shown_presets
  lv2ls_out=$(env -u LV2_PATH HOME="$scratch/lv2-home" lv2ls)
  grep -qxF "$uri" <<<"$lv2ls_out" || fail "lv2ls does not list $uri"
  info=$(env -u LV2_PATH HOME="$scratch/lv2-home" lv2info "$uri" 2>"$scratch/lv2info.err")
  [ ! -s "$scratch/lv2info.err" ] || fail "lv2info wrote to stderr: $(cat "$scratch/lv2info.err")"
  grep -m1 -E '^\s+Name:' <<<"$info"
  grep -qE "^\s+Bundle:\s+file:///usr/lib/lv2/quillet-k3.lv2/$" <<<"$info" ||
    fail "lv2info does not show the bundle in /usr/lib/lv2"
  grep -qE "^\s+Binary:\s+file:///usr/lib/lv2/quillet-k3.lv2/quillet_k3_dsp.so$" <<<"$info" ||
    fail "lv2info shows no DSP library"
  grep -qF "$uri#ui" <<<"$info" || fail "lv2info shows no panel"
  grep -qF "Tape Loop on the Edge" <<<"$info" || fail "lv2info shows no factory presets"
  shown_presets=$(sed -n '/^\s*Presets:/,/^\s*$/p' <<<"$info" | grep -c '^\s*[^[:space:]]' || true)
  [ "$((shown_presets - 1))" -ge 5 ] || fail "lv2info shows fewer than five presets"
  echo "lv2info: $(grep -c '^\s*Port [0-9]*:' <<<"$info") ports, $((shown_presets - 1)) presets"
}
