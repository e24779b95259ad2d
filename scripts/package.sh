#!/usr/bin/env bash
# Installs what is missing, builds a Release and writes the two files Windows users get into dist/:
#   BrenwickQuadrino-<version>-setup.exe     the setup program (NSIS, package/quadrino.nsi)
#   BrenwickQuadrino-<version>-portable.zip  Quadrino.exe, LIESMICH.txt, LICENSE, THIRD-PARTY.txt
# The version is the one CMake's project() gives the build.
# Usage: scripts/package.sh [BUILD_DIR]
#   QUADRINO_DIST_DIR=DIR  where the two files go (default: dist/)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:-$root/build}")"
dist="$(realpath -m "${QUADRINO_DIST_DIR:-$root/dist}")"
"$root/scripts/setup.sh"
# build.sh always configures a Release.
"$root/scripts/build.sh" "$build" >/dev/null

version="$(sed -n 's/^#define QUADRINO_VERSION_TEXT "\(.*\)"$/\1/p' "$build/generated/quadrino_version.h")"
if [ -z "$version" ]; then
  echo "package.sh: no version in $build/generated/quadrino_version.h" >&2
  exit 1
fi
name="BrenwickQuadrino-$version"

# The files exactly as shipped; the archive and the setup program both take them from here.
stage="$build/package/stage"
rm -rf "$stage"
mkdir -p "$stage" "$dist"
x86_64-w64-mingw32-strip -o "$stage/Quadrino.exe" "$build/Quadrino.exe"
# Windows line ends; a byte order mark so every editor shows the umlauts of the German readme.
crlf() { sed 's/\r$//; s/$/\r/' "$1"; }
{ printf '\xEF\xBB\xBF'; crlf "$root/package/LIESMICH.txt"; } >"$stage/LIESMICH.txt"
crlf "$root/LICENSE" >"$stage/LICENSE"
crlf "$root/THIRD-PARTY.txt" >"$stage/THIRD-PARTY.txt"

zip_file="$dist/$name-portable.zip"
rm -f "$zip_file"
(cd "$stage" && zip -q -X -9 "$zip_file" Quadrino.exe LIESMICH.txt LICENSE THIRD-PARTY.txt)

setup_file="$dist/$name-setup.exe"
rm -f "$setup_file"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" -DICON="$root/res/quadrino.ico" \
         -DOUTFILE="$setup_file" "$root/package/quadrino.nsi" >/dev/null

echo "$setup_file"
echo "$zip_file"
