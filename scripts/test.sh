#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test under Wine with its own prefix.
# Usage: scripts/test.sh [BUILD_DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:-$root/build}")"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$build"
source "$root/scripts/wineprefix.sh" "$build" null
status=0
(cd "$build" && ctest --output-on-failure) || status=$?
wineserver -k 2>/dev/null || true
exit $status
