#!/usr/bin/env bash
# The project's front door.
#   ./go demo    install what is missing, build, and run the wizards against the
#                simulated modem and registration host
#   ./go test    install what is missing, build all three builds, run every test
#   ./go build [native|x64|i686]...
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
cmd=${1:-}
shift || true

case "$cmd" in
  demo)
    "$top/scripts/install-deps.sh"
    "$top/scripts/build.sh" native x64
    exec python3 "$top/scripts/demo.py" "$@"
    ;;
  test)
    "$top/scripts/install-deps.sh"
    "$top/scripts/build.sh" native x64 i686
    exec "$top/scripts/test.sh" "$@"
    ;;
  build)
    exec "$top/scripts/build.sh" "$@"
    ;;
  *)
    echo "usage: ./go demo | ./go test | ./go build [native|x64|i686]..." >&2
    exit 2
    ;;
esac
