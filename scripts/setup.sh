#!/usr/bin/env bash
# Installs every Debian 12 package the project needs; safe to run again.
set -euo pipefail

packages=(
  # toolchain and build
  g++ cmake ninja-build pkg-config git ccache
  # the layout check of every C++ file; the include-arrow and brace checks
  clang-format python3
  # clang and its sanitizer/libFuzzer runtime, for the fuzz targets
  clang libclang-rt-14-dev llvm
  # GUI: Qt 6 widgets, print support, tests, and Russian standard dialogs
  qt6-base-dev qt6-base-dev-tools libqt6test6 libqt6printsupport6 libqt6svg6
  qt6-translations-l10n qt6-qpa-plugins libgl-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # the scenario tests check vxtest's JUnit XML against a schema
  libxml2-utils
  # the compiler benchmark's peer: Lua 5.4's compiler, luac5.4
  lua5.4
  # simulator
  libasio-dev nlohmann-json3-dev libcli11-dev
  # headless runs, screenshots and fonts that render Cyrillic text
  xvfb xauth fonts-dejavu-core fonts-liberation2
  # the serial link tests use pseudo-terminals; socat is the tool an installer
  # would use to reach the simulator's serial link by hand
  socat
  # the Windows build of the console tools, its GoogleTest sources, and Wine to test it
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest wine64 zip
)

if [ "$(id -u)" -ne 0 ] && ! command -v sudo >/dev/null; then
  echo "setup: run as root (or install sudo) to install packages" >&2
  exit 1
fi
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#packages[@]} packages are installed"
  exit 0
fi

echo "setup: installing ${missing[*]}"
as_root apt-get update
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
