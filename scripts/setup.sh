#!/usr/bin/env bash
# Installs what building, testing, running and packaging need on a fresh Debian 12 machine; skips what is there.
set -euo pipefail
packages=(cmake make g++-mingw-w64-x86-64-posix mingw-w64-tools googletest libstb-dev libqoi-dev
          libkissfft-dev wine wine64 xvfb x11-utils xdotool xclip imagemagick openbox python3 python3-gi
          gir1.2-gtk-3.0 nsis zip plasma-workspace-wallpapers)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
