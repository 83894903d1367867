# shellcheck shell=bash
# Sourced by the stages that run the third-party validators (Steinberg's VST3
# validator, pluginval, clap-info): where they are, and what the VST3
# validator's log says. The validators are hosts built from their public
# sources outside this tree (../shared/validators beside the clone, or
# QUILLET_VALIDATORS); a clone without them skips what needs them.

validators_dir() {
  echo "${QUILLET_VALIDATORS:-$PWD/../shared/validators}"
}

# The failed and passed counts of a VST3 validator log ("Result: N tests
# passed, M tests failed"), as "N M"; nothing when the log has no result (the
# validator stopped before its end).
vst3_validator_counts() {
  sed -n 's/^Result: \([0-9]*\) tests passed, \([0-9]*\) tests failed.*/\1 \2/p' "$1" | tail -n 1
}

# The names of the tests a VST3 validator log marks as failed, one a line:
# each test's log starts with its name in brackets and ends with its verdict.
vst3_validator_failures() {
  awk '/^\[.*\]$/ && !/^\[Succeeded\]$/ && !/Failed\]$/ { name = $0 }
       /^\[X+ Failed\]$/ { print "  " name }' "$1" | sort -u
}

# Lines of a sanitizer's report in a log: UBSan's runtime errors, ASan's and
# LSan's errors, any sanitizer's summary.
sanitizer_reports() {
  grep -E 'runtime error:|ERROR: (AddressSanitizer|LeakSanitizer)|SUMMARY: [A-Za-z]*Sanitizer' "$1"
}
