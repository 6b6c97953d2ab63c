#!/usr/bin/env bash
# Runs every test of the three builds (the Windows tests of the x86_64 build
# under Wine; the i686 build has only static checks of its files),
# then prints one closing line with the totals.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=${QV_TEST_JOBS:-$(nproc)}
python3 "$top/tools/wine/wine.py" template >/dev/null

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
