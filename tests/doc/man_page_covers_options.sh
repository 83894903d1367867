#!/bin/sh
# man_page_covers_options.sh PROGRAM PAGE.1
# Fails when an option `PROGRAM --help` lists is not in the manual page, or,
# when man is installed, when man warns about the page (as lintian does).
set -eu
program=$1
page=$2
name=$(basename "$program")
status=0
[ -f "$page" ] || { echo "no manual page $page" >&2; exit 1; }
# The page's text without roff's escapes for dashes and fonts.
text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\e/\\/g' "$page")
options=$("$program" --help | grep -oE '^ +--?[a-z][a-z-]*(, --[a-z-]+)?' | grep -oE -- '--?[a-z][a-z-]*' |
  sort -u)
[ -n "$options" ] || { echo "$name --help lists no options" >&2; exit 1; }
for option in $options; do
  printf '%s\n' "$text" | grep -qE -- "(^|[^a-z-])$option([^a-z-]|\$)" || {
    echo "$name(1) does not mention $option" >&2
    status=1
  }
done
if command -v man >/dev/null 2>&1; then
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null) || true
  [ -z "$warnings" ] || { echo "$name(1): man warns: $warnings" >&2; status=1; }
fi
[ "$status" = 0 ] && echo "$name(1) covers: $(echo $options)"
exit "$status"
