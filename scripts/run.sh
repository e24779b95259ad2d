#!/usr/bin/env bash
# Installs what is missing, builds into build/ and starts Quadrino under Wine.
# With a display it runs until the program ends. Without one it starts a private Xvfb with a window
# manager, waits for the main window, saves a screenshot and ends everything it started.
# Usage: scripts/run.sh [IMAGE_PATH]
#   QUADRINO_SCREENSHOT=FILE  where the screenshot goes (default: BUILD/screenshot.png)
#   QUADRINO_BUILD_DIR=DIR    build folder (default: build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${QUADRINO_BUILD_DIR:-$root/build}")"
title="Brenwick Quadrino"
shot="${QUADRINO_SCREENSHOT:-$build/screenshot.png}"

xvfb_pid=""
wm_pid=""
prog_pid=""
prefix_ready=""

cleanup() {
  # Ends only what this script started, by process id; the program goes with its wineserver.
  if [ -n "$prefix_ready" ]; then wineserver -k 2>/dev/null || true; fi
  for pid in $prog_pid $wm_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in $prog_pid $wm_pid $xvfb_pid; do
    wait "$pid" 2>/dev/null || true
  done
  if [ -n "$wm_log" ]; then rm -f "$wm_log"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$build"

# Short polls instead of long sleeps: each loop below is bounded in time or count.
poll() { sleep 0.1; }

start_xvfb() {
  local n
  for n in $(seq 57 99); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    local deadline=$((SECONDS + 10))
    while [ $SECONDS -lt $deadline ]; do
      if xdpyinfo -display ":$n" >/dev/null 2>&1; then
        export DISPLAY=":$n"
        return 0
      fi
      kill -0 "$xvfb_pid" 2>/dev/null || break
      poll
    done
    # Another server took the number first, or this one never answered: try the next.
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  done
  echo "run.sh: could not start Xvfb" >&2
  return 1
}

# A window manager spares Wine its 2-second waits for withdrawn windows. One that does not come up is
# reported with its own words (openbox writes them to stdout) and the program starts without it.
wm_log=""
start_wm() {
  wm_log="$(mktemp "${TMPDIR:-/tmp}/quadrino-openbox.XXXXXX")"
  openbox --sm-disable >"$wm_log" 2>&1 &
  wm_pid=$!
  local deadline=$((SECONDS + 15))
  while [ $SECONDS -lt $deadline ]; do
    if ! kill -0 "$wm_pid" 2>/dev/null; then
      local status=0
      wait "$wm_pid" || status=$?
      wm_pid=""
      echo "run.sh: the window manager openbox did not start (status $status): $(tail -n 3 "$wm_log" | tr '\n' ' ')" >&2
      echo "run.sh: going on without a window manager" >&2
      return 0
    fi
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return 0
    poll
  done
  echo "run.sh: the window manager openbox did not answer within 15 s: $(tail -n 3 "$wm_log" | tr '\n' ' ')" >&2
  echo "run.sh: going on without it" >&2
}

headless=""
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  start_xvfb
  start_wm
fi

source "$root/scripts/wineprefix.sh" "$build" x11
prefix_ready=1

args=()
if [ $# -gt 0 ]; then
  image="$1"
  # A Linux path becomes a Windows path; one that already has a drive letter passes unchanged.
  if [[ ! "$image" =~ ^[A-Za-z]:\\ ]]; then
    image="$(winepath -w "$(realpath -m "$image")")"
  fi
  args+=("$image")
fi

if [ -z "$headless" ]; then
  status=0
  wine "$build/Quadrino.exe" "${args[@]}" || status=$?
  exit $status
fi

wine "$build/Quadrino.exe" "${args[@]}" </dev/null >/dev/null 2>&1 &
prog_pid=$!

window=""
deadline=$((SECONDS + 60))
while [ $SECONDS -lt $deadline ]; do
  window="$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1 || true)"
  [ -n "$window" ] && break
  kill -0 "$prog_pid" 2>/dev/null || break
  poll
done

if [ -z "$window" ]; then
  status=0
  if kill -0 "$prog_pid" 2>/dev/null; then
    echo "run.sh: no window appeared within 60 s; the program is still running and is ended now" >&2
    exit 1
  fi
  wait "$prog_pid" || status=$?
  prog_pid=""
  if [ $status -ne 0 ]; then
    echo "run.sh: no window appeared; the program ended with status $status" >&2
    exit $status
  fi
  echo "run.sh: no window appeared; the program ended normally (status 0), no screenshot taken"
  exit 0
fi

# Settle: the window counts as drawn once its geometry stays the same over two polls.
last=""
for i in $(seq 20); do
  sleep 0.25
  now="$(xdotool getwindowgeometry "$window" 2>/dev/null || true)"
  [ -n "$now" ] && [ "$now" = "$last" ] && break
  last="$now"
done

if [ -n "$wm_pid" ] && xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null | grep -q "="; then
  echo "run.sh: the window is managed by openbox"
elif [ -n "$wm_pid" ]; then
  echo "run.sh: the window has no frame from openbox" >&2
fi

mkdir -p "$(dirname "$shot")"
import -window root "$shot"
echo "run.sh: screenshot saved to $shot"
