# Shared by the lumadir-cli script tests (sourced, not run): a scratch folder
# removed at the end (kept when KEEP is set, for a look), and counted checks.
work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
failures=0
checks=0
check() {  # check NAME COMMAND...: counts a failure when the command fails
  local name=$1; shift
  checks=$((checks + 1))
  if "$@"; then echo "ok: $name"; else echo "FAILED: $name"; failures=$((failures + 1)); fi
}
# The closing line and the exit status.
finish() {
  echo "$((checks - failures)) passed, $failures failed"
  [ "$failures" -eq 0 ]
}
