#!/usr/bin/env bash
# Builds the Qt the Windows configurator needs (Core, Gui, Widgets, PrintSupport,
# static, for MinGW-w64) from Debian's own qt6-base source, with Debian's Qt of the
# same version as the host tools, and installs it into a cache folder outside every
# repository. Once: a second run finds the cache and does nothing.
#   VX_WINDOWS_QT   where Qt goes (default ~/.cache/vesta-vx/qt6-mingw-6.4.2)
#   VX_JOBS         parallel compile jobs (default 2)
# About half an hour on a 2-core machine; run it under nice when others build too.
set -euo pipefail
cd "$(dirname "$0")/.."
version=6.4.2
cache=${XDG_CACHE_HOME:-$HOME/.cache}/vesta-vx
prefix=${VX_WINDOWS_QT:-$cache/qt6-mingw-$version}
stamp=$prefix/.vesta-vx-complete

if [ -f "$stamp" ]; then
  echo "build-qt-windows: Qt $version for Windows is already in $prefix"
  exit 0
fi

for tool in x86_64-w64-mingw32-g++-posix dpkg-source cmake ninja; do
  command -v "$tool" >/dev/null || {
    echo "build-qt-windows: $tool is missing; run scripts/setup.sh" >&2
    exit 1
  }
done
host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true)
case $host_version in
$version*) ;;
*)
  echo "build-qt-windows: the host tools must be Debian's Qt $version (qt6-base-dev), found '${host_version:-none}'" >&2
  exit 1
  ;;
esac

# The source, through a private apt configuration whose only entries are the
# deb-src twins of the machine's Debian entries: the machine's sources, lists
# and caches stay as they are.
fetch_source() {
  local apt_dir=$work/apt f
  mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] || continue
    grep -q 'debian' "$f" || continue
    sed 's/^Types:.*/Types: deb-src/' "$f" >"$apt_dir/sources.list.d/$(basename "$f")"
  done
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*debian.*\)/deb-src \1/p' /etc/apt/sources.list >"$apt_dir/sources.list.d/from-sources.list"
  fi
  local apt_opts=(
    -o Dir::Etc::SourceList=/dev/null
    -o Dir::Etc::SourceParts="$apt_dir/sources.list.d"
    -o Dir::State::Lists="$apt_dir/lists"
    -o Dir::Cache="$apt_dir/cache"
    -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
    -o APT::Sandbox::User=root
  )
  echo "build-qt-windows: fetching Debian's qt6-base $host_version source"
  apt-get "${apt_opts[@]}" -qq update
  (cd "$work" && apt-get "${apt_opts[@]}" -q source "qt6-base=$host_version" >apt-source.log 2>&1) || {
    tail -5 "$work/apt-source.log" >&2
    echo "build-qt-windows: apt-get source qt6-base=$host_version failed" >&2
    exit 1
  }
}

start=$(date +%s)
work=$cache/qt6-mingw-build
src=$(find "$work" -maxdepth 1 -type d -name 'qt6-base-*' 2>/dev/null | head -1)
if [ -n "$src" ] && [ -f "$work/build/CMakeCache.txt" ]; then
  echo "build-qt-windows: going on with the interrupted build in $work"
else
  rm -rf "$work"
  mkdir -p "$work"
  fetch_source
  src=$(find "$work" -maxdepth 1 -type d -name 'qt6-base-*' | head -1)
fi
[ -n "$src" ] || {
  echo "build-qt-windows: no unpacked source in $work" >&2
  exit 1
}
# Qt 6.4.2 compiles the DirectWrite font engine and its font database into Gui
# only with the Direct2D plugin, while the Windows plugin and PrintSupport use
# them whenever DirectWrite is on: without Direct2D the program would not link.
# Gui takes them in either way.
sed -i 's/CONDITION QT_FEATURE_direct2d AND QT_FEATURE_directwrite AND/CONDITION QT_FEATURE_directwrite AND/' \
  "$src/src/gui/CMakeLists.txt"
sed -i 's/QT_CONFIG(directwrite) \&\& QT_CONFIG(direct2d)/QT_CONFIG(directwrite)/' \
  "$src/src/gui/text/windows/qwindowsfontdatabasebase.cpp" \
  "$src/src/gui/text/windows/qwindowsfontdatabase.cpp"

cat >"$work/toolchain.cmake" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# tabletevent off: the repacked source leaves out the tablet header wintab.h.
# OpenGL stays on (dynamic): the Windows platform plugin does not compile without it.
# Left out as the configurator needs none of them: the Direct2D platform plugin, the
# JPEG, GIF and ICO image plugins, FreeType and HarfBuzz (Windows draws text itself).
echo "build-qt-windows: configuring (log: $work/configure.log)"
cmake -S "$src" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DBUILD_SHARED_LIBS=OFF \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
  -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_vulkan=OFF \
  -DFEATURE_network=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
  -DFEATURE_tabletevent=OFF \
  -DFEATURE_direct2d=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF \
  -DFEATURE_freetype=OFF -DFEATURE_harfbuzz=OFF \
  "${launcher[@]}" >"$work/configure.log" 2>&1 || {
  tail -30 "$work/configure.log" >&2
  echo "build-qt-windows: configure failed (log: $work/configure.log)" >&2
  exit 1
}
echo "build-qt-windows: building (log: $work/build.log)"
cmake --build "$work/build" -j "${VX_JOBS:-2}" >"$work/build.log" 2>&1 || {
  tail -30 "$work/build.log" >&2
  echo "build-qt-windows: build failed (log: $work/build.log)" >&2
  exit 1
}
rm -rf "$prefix"
cmake --install "$work/build" >"$work/install.log" 2>&1 || {
  tail -30 "$work/install.log" >&2
  echo "build-qt-windows: install failed (log: $work/install.log)" >&2
  exit 1
}
touch "$stamp"
[ -n "${VX_KEEP_QT_BUILD:-}" ] || rm -rf "$work"
elapsed=$(($(date +%s) - start))
printf 'build-qt-windows: Qt %s for Windows installed in %s in %dm%02ds\n' \
  "$version" "$prefix" $((elapsed / 60)) $((elapsed % 60))
