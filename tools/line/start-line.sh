#!/usr/bin/env bash
# Starts "the line" for the demo and the tests: the registration host on a
# free loopback port with its database, and the simulated modem on a pty with
# a phone book that routes 1-800-555-0199 to that host and 555-0101 to a busy
# signal. Prints the pty path on one line once both answer, then runs until
# SIGTERM or SIGINT, and stops both on the way out.
#
# Usage: start-line.sh [--dir DIR] [--link PATH] [--persona NAME] [--host OPTION]...
#                      [-- MODEMSIM-OPTIONS...]
#   --dir DIR       where regs.sqlite and the transcripts go (default: a new /tmp/kestrix-line-*)
#   --link PATH     also make PATH a symlink to the pty (for a Wine COM port)
#   --persona NAME  the modem model (default usr-sportster-288)
#   --host OPTION   one more word for reghost's command line (repeatable:
#                   --host --refuse --host ERROR)
# QV_BIN names the folder with reghost and modemsim (default build/native/bin).
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
bin=${QV_BIN:-$top/build/native/bin}
dir="" link="" persona=usr-sportster-288 host_options=()
while [ $# -gt 0 ]; do
  case "$1" in
    --dir) dir=$2; shift 2 ;;
    --link) link=$2; shift 2 ;;
    --persona) persona=$2; shift 2 ;;
    --host) host_options+=("$2"); shift 2 ;;
    --) shift; break ;;
    *) echo "start-line.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
[ -n "$dir" ] || dir=$(mktemp -d /tmp/kestrix-line-XXXXXX)
mkdir -p "$dir"

host_pid="" sim_pid=""
stop() {
  trap - EXIT INT TERM
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null && wait "$host_pid" 2>/dev/null
  exit 0
}
trap stop EXIT INT TERM

# Waits up to five seconds for the first line of a program's output file.
first_line() {
  for _ in $(seq 50); do
    if [ -s "$1" ] && line=$(head -n 1 "$1") && [ -n "$line" ]; then
      echo "$line"; return 0
    fi
    sleep 0.1
  done
  echo "start-line.sh: no answer in $1" >&2; return 1
}

"$bin/reghost" --port 0 --db "$dir/regs.sqlite" --product-file "$top/data/reghost/product.rtf" \
  --transcript "$dir/reghost.log" "${host_options[@]}" >"$dir/reghost.out" 2>"$dir/reghost.err" &
host_pid=$!
port=$(first_line "$dir/reghost.out" | sed -n 's/.* port \([0-9]*\)$/\1/p')
[ -n "$port" ] || { echo "start-line.sh: reghost did not start, see $dir/reghost.err" >&2; exit 1; }

"$bin/modemsim" --pty ${link:+--link "$link"} --persona "$persona" \
  --dial "1-800-555-0199=127.0.0.1:$port" --dial 555-0101=busy \
  --transcript "$dir/modem.log" "$@" >"$dir/modemsim.out" 2>"$dir/modemsim.err" &
sim_pid=$!
pty=$(first_line "$dir/modemsim.out") || exit 1

echo "$pty"
echo "start-line.sh: host on 127.0.0.1:$port, files in $dir" >&2
wait "$sim_pid" || true
