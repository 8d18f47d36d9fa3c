#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
status=0
(cd build && ctest -j2 --output-on-failure --timeout 300) || status=1
# Every C++ file as clang-format lays it out, so the style holds by itself.
bash scripts/format-check.sh || status=1
# Fuzz targets run after the suites, with sanitizers: every kept input, then a
# fixed-seed exploration of a fixed number of runs, so the verdict is the tree's.
if [ -x scripts/fuzz.sh ]; then
  bash scripts/fuzz.sh || status=1
fi
# The Windows build, cross-compiled and run under Wine against the Linux
# programs; after the suites, when no other test holds port 2110.
if [ -x scripts/wine-check.sh ]; then
  { bash scripts/build-windows.sh && bash scripts/wine-check.sh; } || status=1
fi
exit $status
