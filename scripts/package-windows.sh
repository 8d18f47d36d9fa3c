#!/usr/bin/env bash
# Packs the Windows programs of build-windows/, the programming manual and a
# short read-me into build-windows/vesta-vx-VERSION-windows.zip.
# Run scripts/build-windows.sh first; the manual comes from the Linux build
# (build/app/Docs), which renders it, when it is there.
set -euo pipefail
cd "$(dirname "$0")/.."
windows_dir=${VX_WINDOWS_BUILD_DIR:-build-windows}
linux_dir=${VX_BUILD_DIR:-build}
version=$(sed -n 's/^project(vesta_vx VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=vesta-vx-$version-windows
stage=$windows_dir/package/$name

rm -rf "$windows_dir/package"
mkdir -p "$stage/Docs"
found=0
for exe in restarter/restarter.exe tools/vxc/vxc.exe tools/vxctl/vxctl.exe app/configurator.exe; do
  if [ -f "$windows_dir/$exe" ]; then
    cp "$windows_dir/$exe" "$stage/"
    found=$((found + 1))
  fi
done
[ "$found" -gt 0 ] || { echo "package-windows: no .exe in $windows_dir: run scripts/build-windows.sh" >&2; exit 1; }
manual=$(ls "$linux_dir"/app/Docs/*.pdf 2>/dev/null | head -1 || true)
if [ -n "$manual" ]; then
  cp "$manual" "$stage/Docs/"
else
  echo "package-windows: no rendered manual in $linux_dir/app/Docs (run scripts/build.sh); packing without it" >&2
fi
# The read-me as a Windows text file: code page 1251, CR LF.
iconv -f UTF-8 -t CP1251 scripts/windows/README.txt | sed 's/$/\r/' >"$stage/README.txt"

zip_file=$PWD/$windows_dir/$name.zip
rm -f "$zip_file"
(cd "$windows_dir/package" && zip -qr -X "$zip_file" "$name")
echo "package-windows: $zip_file"
unzip -l "$zip_file" | sed -n '4,$p'
