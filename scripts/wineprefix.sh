#!/usr/bin/env bash
# Sourced: gives the build folder a Wine prefix of its own (made on first use) and starts its server.
# Usage: source scripts/wineprefix.sh BUILD_DIR [null|x11]
quadrino_build="$1"
quadrino_driver="${2:-null}"
export WINEPREFIX="$quadrino_build/wineprefix-$quadrino_driver"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/.quadrino-ready" ]; then
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i </dev/null >/dev/null 2>&1 || true
  wineserver -w
  if [ "$quadrino_driver" = null ]; then
    # The null driver must be set before the server that uses it starts.
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
    wineserver -w
  fi
  touch "$WINEPREFIX/.quadrino-ready"
fi
if [ ! -f "$WINEPREFIX/.quadrino-no-crash-dialog" ]; then
  # A crash then ends the process with a status instead of waiting in Wine's crash dialog.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1 || true
  wineserver -w
  touch "$WINEPREFIX/.quadrino-no-crash-dialog"
fi
# A running server keeps Wine's background services from holding each test's output open.
wineserver -p </dev/null >/dev/null 2>&1 || true
wine wineboot </dev/null >/dev/null 2>&1 || true
