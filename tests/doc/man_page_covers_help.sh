#!/bin/sh
# man_page_covers_help.sh VST2_HOST PAGE.1
# Fails when a command `quillet-host --help` lists has no section (.SS) in the
# manual page, or when an option `quillet-host COMMAND --help` explains is not
# in that command's section; when man is installed, also when man warns
# about the page (as lintian does).
set -eu
host=$1
page=$2
status=0
miss() {
  echo "quillet-host(1): $*" >&2
  status=1
}
[ -f "$page" ] || { echo "no manual page $page" >&2; exit 1; }

# The page's text without roff's escapes for dashes and fonts.
text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\e/\\/g' "$page")

commands=$("$host" --help | sed -n '/^commands:/,/^$/p' | awk '/^  [a-z]/ {print $1}')
[ -n "$commands" ] || { echo "quillet-host --help lists no commands" >&2; exit 1; }
for command in $commands; do
  section=$(printf '%s\n' "$text" | awk -v c="$command" '
    /^\.S[SH]/ { inside = ($1 == ".SS" && $2 == c) ; next }
    inside { print }')
  if [ -z "$section" ]; then
    miss "no section for the command $command"
    continue
  fi
  # Options: a dash and a letter after a space, a comma, a bracket or the
  # start of a line; -h/--help is explained once for all commands.
  options=$("$host" "$command" --help |
    grep -oE '(^|[ ,[])--?[a-z][a-z-]*' | sed 's/^[ ,[]//' | sort -u)
  for option in $options; do
    case "$option" in -h | --help) continue ;; esac
    printf '%s\n' "$section" | grep -qE -- "(^|[^a-z-])$option([^a-z-]|\$)" ||
      miss "the section for $command does not mention $option"
  done
done
printf '%s\n' "$text" | grep -qE -- '(^|[^a-z-])--help([^a-z-]|$)' || miss "--help is not explained"

if command -v man >/dev/null 2>&1; then
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null) || true
  [ -z "$warnings" ] || miss "man warns: $warnings"
fi
[ "$status" = 0 ] && echo "quillet-host(1) covers: $(echo $commands)"
exit "$status"
