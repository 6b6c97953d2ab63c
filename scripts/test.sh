#!/usr/bin/env bash
# Runs every test of the three builds, then prints one closing line with the
# totals. The Windows tests run under Wine in both Windows builds: the x86_64
# files under wine64, the i686 ones (the release made from them, see
# scripts/dist.py) under 32-bit Wine emulated by QEMU (scripts/setup-i386.sh).
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=${QV_TEST_JOBS:-$(nproc)}
python3 "$top/tools/wine/wine.py" template >/dev/null
if [ -f "$top/build/i686/CTestTestfile.cmake" ]; then
  python3 "$top/tools/wine/wine.py" template --arch win32 >/dev/null || {
    echo "no 32-bit Wine prefix: the i686 tests cannot run (see scripts/setup-i386.sh)" >&2
    exit 1
  }
fi

passed=0; failed=0
for b in native x64 i686; do
  dir="$top/build/$b"
  [ -f "$dir/CTestTestfile.cmake" ] || continue
  echo "=== tests of build/$b"
  log="$dir/ctest.log"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 900 "$@" 2>&1 | tee "$log"
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of' "$log" | tail -n 1)
  if [ -n "$line" ]; then
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
    bad=$(sed -E 's/.*tests passed, ([0-9]+) tests failed.*/\1/' <<<"$line")
    passed=$((passed + total - bad)); failed=$((failed + bad))
  fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
