#!/usr/bin/env bash
# Cross-builds the console tools (and their test suites) for 64-bit Windows into
# build-windows/ with Debian's MinGW-w64; the programs need no DLL beyond Windows' own.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${VX_WINDOWS_BUILD_DIR:-build-windows}
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build_dir" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=${VX_BUILD_TYPE:-Release} \
  -DVX_BUILD_BENCH=OFF "${launcher[@]}" "$@"
cmake --build "$build_dir" -j "${VX_JOBS:-2}"

# A program that needs a DLL Windows does not ship would not start on the
# controller's computer: refuse the build.
status=0
for exe in "$build_dir"/restarter/*.exe "$build_dir"/tools/*/*.exe "$build_dir"/sim/*.exe; do
  [ -e "$exe" ] || continue
  foreign=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' |
    grep -viE '^(kernel32|user32|advapi32|ws2_32|msvcrt|version|shell32|ole32|mswsock|bcrypt|ucrtbase|api-ms-win-.*)\.dll$' || true)
  if [ -n "$foreign" ]; then
    echo "build-windows: $exe needs $(echo $foreign)" >&2
    status=1
  fi
done
exit $status
