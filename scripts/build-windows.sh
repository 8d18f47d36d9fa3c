#!/usr/bin/env bash
# Cross-builds the console tools (and their test suites) for 64-bit Windows into
# build-windows/ with Debian's MinGW-w64; the programs need no DLL beyond Windows' own.
# With the static Qt of scripts/build-qt-windows.sh in its cache folder, the
# configurator too: one configurator.exe, and the manual of the Linux build
# (build/app/Docs) in app/Docs beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${VX_WINDOWS_BUILD_DIR:-build-windows}
linux_dir=${VX_BUILD_DIR:-build}
qt=${VX_WINDOWS_QT:-${XDG_CACHE_HOME:-$HOME/.cache}/vesta-vx/qt6-mingw-6.4.2}
qt_args=(-DVX_BUILD_GUI=OFF)
if [ -f "$qt/.vesta-vx-complete" ]; then
  qt_args=(-DVX_BUILD_GUI=ON -DVX_WINDOWS_QT="$qt" -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
fi
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build_dir" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=${VX_BUILD_TYPE:-Release} \
  -DVX_BUILD_BENCH=OFF "${qt_args[@]}" "${launcher[@]}" "$@"
cmake --build "$build_dir" -j "${VX_JOBS:-2}"
if [ -f "$build_dir/app/configurator.exe" ]; then
  # Qt's symbols are half of the file's 39 MB; a user's program needs none of them.
  x86_64-w64-mingw32-strip --strip-unneeded "$build_dir/app/configurator.exe"
  mkdir -p "$build_dir/app/Docs"
  manual=$(ls "$linux_dir"/app/Docs/*.pdf 2>/dev/null | head -1 || true)
  if [ -n "$manual" ]; then
    cp "$manual" "$build_dir/app/Docs/"
  else
    echo "build-windows: no rendered manual in $linux_dir/app/Docs (run scripts/build.sh)" >&2
  fi
fi

# A program that needs a DLL Windows does not ship would not start on the
# controller's computer: refuse the build.
status=0
for exe in "$build_dir"/restarter/*.exe "$build_dir"/tools/*/*.exe "$build_dir"/sim/*.exe \
  "$build_dir"/app/*.exe; do
  [ -e "$exe" ] || continue
  foreign=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' |
    grep -viE '^(kernel32|user32|gdi32|advapi32|ws2_32|msvcrt|version|shell32|ole32|oleaut32|mswsock|bcrypt|ucrtbase|api-ms-win-.*)\.dll$' |
    grep -viE '^(imm32|winmm|comdlg32|comctl32|uxtheme|dwmapi|winspool\.drv|netapi32|userenv|mpr|setupapi|shcore|shlwapi|d3d9|d3d11|d3d12|dxgi|dwrite|d2d1|wtsapi32|opengl32|authz|crypt32|secur32|rpcrt4|iphlpapi|dnsapi)(\.dll)?$' || true)
  if [ -n "$foreign" ]; then
    echo "build-windows: $exe needs $(echo $foreign)" >&2
    status=1
  fi
done
exit $status
