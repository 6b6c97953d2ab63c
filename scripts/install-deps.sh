#!/usr/bin/env bash
# Installs the Debian 12 packages the builds, tests and demo need.
# Safe to run again: it installs only what is missing.
#   install-deps.sh [build] [run] [i386]   (no argument: all three)
#     build  compilers and what the builds make files with
#     run    Wine, a private X display and the tools the tests check against
#     i386   the emulated i386 tree the shipping 32-bit files run in
set -euo pipefail

build_packages=(
  cmake ninja-build ccache g++ clang lld libclang-rt-14-dev
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 mingw-w64-tools binutils-mingw-w64
  googletest libbenchmark-dev libsqlite3-dev libshp-dev python3
  # artwork and voice files made at build time
  espeak-ng sox
)
run_packages=(
  # running Windows programs headless; Wine's own fonts draw its caption buttons
  wine wine64 fonts-wine xvfb x11-utils xdotool imagemagick
  # outside tools the tests check our files and our modem against
  sqlite3 liblnk-utils shapelib python3-dbf python3-dbfread libdbd-xbase-perl ser2net wvdial ppp socat
)

parts=("$@")
[ ${#parts[@]} -gt 0 ] || parts=(build run i386)
packages=()
for part in "${parts[@]}"; do
  case "$part" in
    build) packages+=("${build_packages[@]}") ;;
    run) packages+=("${run_packages[@]}") ;;
    i386) ;;
    *) echo "install-deps: unknown part: $part (build, run or i386)" >&2; exit 2 ;;
  esac
done

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# One query for all: quick when everything is there.
installed=" $(dpkg-query -W -f='${Package} ${db:Status-Status}\n' "${packages[@]}" 2>/dev/null |
  awk '$2 == "installed" { printf "%s ", $1 }' || true)"
missing=()
for p in "${packages[@]}"; do
  [[ "$installed" == *" $p "* ]] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The shipping 32-bit files run here under emulation: QEMU, its binfmt entry
# and an i386 tree with Wine, prepared once and checked every time.
if [[ " ${parts[*]} " == *" i386 "* ]]; then
  "$(dirname "$0")/setup-i386.sh"
fi
