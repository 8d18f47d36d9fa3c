#!/usr/bin/env bash
# Configures and builds everything into build/ (Ninja, two jobs; through
# ccache when it is installed, so that a second build of the same sources is quick).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${VX_BUILD_DIR:-build}
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=${VX_BUILD_TYPE:-RelWithDebInfo} "${launcher[@]}" "$@"
cmake --build "$build_dir" -j "${VX_JOBS:-2}"
