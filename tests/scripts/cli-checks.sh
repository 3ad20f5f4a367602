# Sourced by the command-line tests: running a tool (under RUNNER when it is
# set, for instance wine) and counting checks.
#   . cli-checks.sh   (after setting runner)

run() { if [ -n "$runner" ]; then "$runner" "$@"; else "$@"; fi; }

passed=0 failed=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then passed=$((passed + 1)); else failed=$((failed + 1)); printf 'FAIL %s: expected [%s], got [%s]\n' "$1" "$2" "$3"; fi
}

# The last command of a test: the counts, and its exit status.
report() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
