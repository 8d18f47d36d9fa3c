#!/usr/bin/env bash
# Configures and builds everything into build/ (Ninja, two jobs).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${VX_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=${VX_BUILD_TYPE:-RelWithDebInfo} "$@"
cmake --build "$build_dir" -j "${VX_JOBS:-2}"
