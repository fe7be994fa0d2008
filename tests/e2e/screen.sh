# Shared by the end-to-end scripts (sourced, after $prefix is set): a private
# X screen under Xvfb for Wine's X11 driver, a scratch folder $work, and the
# helpers the scripts drive the programs with. Everything goes on exit.
work=$(mktemp -d /tmp/lumadir-e2e.XXXXXX)
display_pid=
cleanup() {
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  [ -n "$display_pid" ] && kill "$display_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
windows_path() { echo "Z:${1//\//\\}"; }
# The first X window named so, looked for again and again: xdotool gives up
# when a window vanishes while it looks, which Wine's start-up windows do.
wait_for_window() {
  local name=$1 seconds=$2 found
  for _ in $(seq $((seconds * 5))); do
    found=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -1) || true
    [ -n "$found" ] && { echo "$found"; return 0; }
    sleep 0.2
  done
  return 1
}

exec 6> "$work/display"
Xvfb -displayfd 6 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
display_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
export LUMADIR_GRAPHICS=x11
