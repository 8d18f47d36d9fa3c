#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; non-zero on any failure.
# The last line counts them all: ctest's tests one by one, each other check as
# one, and the Windows checks one per "wine-check: ok" or "FAIL" line.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
passed=0
failed=0
check() {
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
}

# ctest's own count: "100% tests passed, 0 tests failed out of 412". A run that
# fails without failing a test (none found, a crash of ctest) is one failure.
set +e
(cd build && ctest -j2 --output-on-failure --timeout 300) | tee "$logs/ctest"
ctest_status=${PIPESTATUS[0]}
set -e
counts=$(sed -n 's/.* tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\).*/\1 \2/p' "$logs/ctest" | tail -1)
read -r ctest_failed ctest_total <<<"${counts:-0 0}"
passed=$((passed + ctest_total - ctest_failed))
failed=$((failed + ctest_failed))
if [ "$ctest_status" -ne 0 ] && [ "$ctest_failed" -eq 0 ]; then
  failed=$((failed + 1))
fi

# Every C++ file as clang-format lays it out, so the style holds by itself.
check bash scripts/format-check.sh
# Every #include "..." along an arrow that docs/arrows.tsv allows, so the layers hold.
check bash scripts/arrow-check.sh
# Braces on every if/else/for/while/do body of the product code.
check bash scripts/brace-check.sh
# The two checks' own cases.
check python3 scripts/checks_test.py -q
# Fuzz targets run after the suites, with sanitizers: every kept input, then a
# fixed-seed exploration of a fixed number of runs, so the verdict is the tree's.
if [ -x scripts/fuzz.sh ]; then
  check bash scripts/fuzz.sh
fi
# The Windows build, cross-compiled and run under Wine against the Linux
# programs; after the suites, when no other test holds port 2110.
if [ -x scripts/wine-check.sh ]; then
  if bash scripts/build-windows.sh; then
    passed=$((passed + 1))
    set +e
    bash scripts/wine-check.sh 2>&1 | tee "$logs/wine"
    wine_status=${PIPESTATUS[0]}
    set -e
    wine_passed=$(grep -c '^wine-check: ok' "$logs/wine" || true)
    wine_failed=$(grep -c '^wine-check: FAIL' "$logs/wine" || true)
    passed=$((passed + wine_passed))
    failed=$((failed + wine_failed))
    if [ "$wine_status" -ne 0 ] && [ "$wine_failed" -eq 0 ]; then
      failed=$((failed + 1))
    fi
  else
    failed=$((failed + 1))
  fi
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
