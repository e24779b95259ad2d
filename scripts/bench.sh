#!/usr/bin/env bash
# Installs what is missing, builds, and runs the benchmark under Wine with the null-driver prefix.
# Prints one line per figure: the ratio, its target and the two times behind it.
# Usage: scripts/bench.sh [BUILD_DIR] [REPETITIONS]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:-$root/build}")"
repetitions="${2:-9}"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$build" >/dev/null

# The folder of 20,000 files is made once and kept: Wine makes files in a large folder one
# directory scan each, Linux makes them all in a second.
data="$build/bench-data"
folder="$data/folder-20000"
if [ ! -f "$data/folder-20000.complete" ]; then
  rm -rf "$folder"
  mkdir -p "$folder"
  python3 - "$folder" <<'PY'
import os, sys
folder = sys.argv[1]
extensions = ["jpg", "bmp", "gif", "tif", "jpeg"]
for i in range(10000):
    open(os.path.join(folder, "bild%05d.%s" % (i, extensions[i % 5])), "w").close()
    open(os.path.join(folder, "text%05d.txt" % i), "w").close()
PY
  touch "$data/folder-20000.complete"
fi

source "$root/scripts/wineprefix.sh" "$build" null
cpu="$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//' || true)"
echo "machine: $(nproc) CPUs, ${cpu:-unknown CPU}, $(wine --version 2>/dev/null | head -n 1)"
status=0
wine "$build/bench/quadrino_bench.exe" --data "$(winepath -w "$folder")" --work "$(winepath -w "$data")" \
     --repetitions "$repetitions" || status=$?
wineserver -k 2>/dev/null || true
exit $status
