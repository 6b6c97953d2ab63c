#!/usr/bin/env bash
# Configures and builds one or more of the three builds:
#   native  build/native  Linux tools, portable core, native tests (clang, ASan+UBSan)
#   x64     build/x64     Windows x86_64: what the tests run under wine64
#   i686    build/i686    Windows i686: the shipping 32-bit build
# Usage: scripts/build.sh [native] [x64] [i686]    (no argument: all three)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
builds=("$@")
[ ${#builds[@]} -gt 0 ] || builds=(native x64 i686)
jobs=${QV_JOBS:-$(nproc)}

# With ccache, checkouts of the same tree share compiled objects: paths are
# hashed relative to the checkout, not with its folder's name.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$top" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

for b in "${builds[@]}"; do
  dir="$top/build/$b"
  case "$b" in
    native) args=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
    x64)    args=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-x86_64.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
    i686)   args=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-i686.cmake" -DCMAKE_BUILD_TYPE=Release) ;;
    *) echo "unknown build: $b" >&2; exit 2 ;;
  esac
  # Configured every time: areas and tests are found by scanning folders,
  # which only a configure run sees.
  cmake -S "$top" -B "$dir" -G Ninja "${args[@]}" "${launcher[@]}" >/dev/null
  cmake --build "$dir" -j "$jobs"
done
