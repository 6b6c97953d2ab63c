#!/usr/bin/env bash
# The project's front door.
#   ./go demo    install what is missing, build, and run the wizards against the
#                simulated modem and registration host
#   ./go test    install what is missing, build all three builds, run every test
#   ./go demo --shipping   the same on the release of the i686 build, under
#                32-bit Wine (emulated: slower)
#   ./go dist    the release folder and zip from the i686 build (build/i686/release)
#   ./go build [native|x64|i686]...
#   ./go check-suite DIR   whether everything QVWIZ32.DLL in an installed suite
#                folder imports is there, and what differs where it is not
# Each installs what it needs first (scripts/install-deps.sh; quick when all
# is there).
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
cmd=${1:-}
shift || true

case "$cmd" in
  demo)
    if [[ " $* " == *" --shipping "* ]]; then
      "$top/scripts/install-deps.sh" build run i386
      "$top/scripts/build.sh" native i686
    else
      "$top/scripts/install-deps.sh" build run
      "$top/scripts/build.sh" native x64
    fi
    exec python3 "$top/scripts/demo.py" "$@"
    ;;
  dist)
    "$top/scripts/install-deps.sh" build
    "$top/scripts/build.sh" i686
    exec python3 "$top/scripts/dist.py" "$@"
    ;;
  test)
    "$top/scripts/install-deps.sh"
    "$top/scripts/build.sh" native x64 i686
    exec "$top/scripts/test.sh" "$@"
    ;;
  build)
    "$top/scripts/install-deps.sh" build
    exec "$top/scripts/build.sh" "$@"
    ;;
  check-suite)
    exec python3 "$top/tools/suite/check_suite.py" "$@"
    ;;
  *)
    echo "usage: ./go demo [--shipping] | ./go test | ./go dist | ./go build [native|x64|i686]... | ./go check-suite DIR" >&2
    exit 2
    ;;
esac
