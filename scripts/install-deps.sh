#!/usr/bin/env bash
# Installs the Debian 12 packages the builds, tests and demo need.
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  # builds
  cmake ninja-build ccache g++ clang libclang-rt-14-dev
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 mingw-w64-tools binutils-mingw-w64
  googletest libbenchmark-dev libsqlite3-dev libshp-dev python3
  # running Windows programs headless
  wine wine64 xvfb x11-utils xdotool imagemagick
  # outside tools the tests check our files and our modem against
  sqlite3 liblnk-utils shapelib python3-dbf python3-dbfread libdbd-xbase-perl ser2net wvdial ppp socat
  # artwork and voice files made at build time
  espeak-ng sox
)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The shipping 32-bit files run here under emulation: QEMU, its binfmt entry
# and an i386 tree with Wine, prepared once and checked every time.
"$(dirname "$0")/setup-i386.sh"
