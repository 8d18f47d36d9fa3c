#!/usr/bin/env bash
# Runs the Windows build under Wine against the Linux programs: the protocol,
# serial-link, compiler and notes-file suites; restarter.exe against the simulator's restart
# port; vxctl.exe (where built) against the simulator; vxc.exe output compared
# byte for byte with the Linux vxc; the configurator (where the Qt for Windows of
# scripts/build-qt-windows.sh is) against the simulator. Needs build/
# (scripts/build.sh) and build-windows/ (scripts/build-windows.sh). Non-zero on
# any failure. Uses the fixed ports 2110 and 2100 (the configurator's): run it
# when no other test uses them.
set -uo pipefail
cd "$(dirname "$0")/.."
linux_dir=$(realpath -m "${VX_BUILD_DIR:-build}")
windows_dir=$(realpath -m "${VX_WINDOWS_BUILD_DIR:-build-windows}")
wine=$(command -v wine || command -v wine64 || echo /usr/lib/wine/wine64)
[ -x "$wine" ] || { echo "wine-check: no Wine (Debian package wine64)" >&2; exit 1; }
wineserver=$(command -v wineserver64 || command -v wineserver || echo /usr/lib/wine/wineserver64)

export WINEPREFIX=$windows_dir/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko set-up dialogs
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  "$wineserver" -k >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

status=0
pass() { echo "wine-check: ok    $*"; }
fail() { echo "wine-check: FAIL  $*" >&2; status=1; }

# A fresh machine has no prefix yet: make it once, under the build folder.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  start=$(date +%s)
  "$wine" wineboot -i >/dev/null 2>&1
  echo "wine-check: Wine prefix made in $(($(date +%s) - start)) s"
fi
# One server for the whole run. Left to itself, a server exits a few seconds
# after its last program; a program started in that moment dies with "wine
# client error: recvmsg: Connection reset by peer" and prints nothing. The
# server's own background programs are started here too, away from the test
# programs' output, which ctest would otherwise wait on until its time-out.
# The server keeps its output to itself: as it ends it prints a dump of every
# object it still holds.
"$wineserver" -k >/dev/null 2>&1
"$wineserver" -w >/dev/null 2>&1
"$wineserver" -p >/dev/null 2>&1
"$wine" wineboot </dev/null >/dev/null 2>&1

# The serial suite's controller end: two COM ports joined by a pseudo-terminal pair.
mkdir -p "$work/serial"
socat pty,raw,echo=0,link="$work/serial/a" pty,raw,echo=0,link="$work/serial/b" &
pids+=($!)
for _ in $(seq 50); do [ -e "$work/serial/b" ] && break; sleep 0.1; done
ln -sfn "$work/serial/a" "$WINEPREFIX/dosdevices/com5"
ln -sfn "$work/serial/b" "$WINEPREFIX/dosdevices/com6"
export VX_TEST_SERIAL_PAIR=COM5,COM6

# 1. The suites, one ctest test per program (the build runs them through Wine).
if ctest --test-dir "$windows_dir" --output-on-failure --timeout 300; then
  pass "protocol, serial-link, compiler and notes-file suites"
else
  fail "suites under Wine"
fi

# A Linux path as the Windows programs name it (Z:\...).
winepath_of() {
  mkdir -p "$1"
  echo "Z:$(realpath "$1" | tr '/' '\\')"
}

# Starts the Linux simulator on the given ports; sets sim_port and sim_pid.
start_simulator() {
  local out=$work/sim.$1.out
  "$linux_dir/sim/vxcore-sim" --port "$1" --restart-port "$2" --trace >"$out" 2>&1 &
  sim_pid=$!
  pids+=("$sim_pid")
  for _ in $(seq 50); do grep -q '^vxcore-sim: port' "$out" && break; sleep 0.1; done
  sim_port=$(sed -n 's/^vxcore-sim: port \([0-9]*\),.*/\1/p' "$out")
  sim_out=$out
}
stop_simulator() {
  kill "$sim_pid" 2>/dev/null
  wait "$sim_pid" 2>/dev/null
}

# 2. restarter.exe: its line, and its request at the simulator's restart port;
#    then with nothing listening on 2110.
start_simulator 0 2110
if [ -z "$sim_port" ]; then
  fail "restarter.exe: the simulator did not start (is port 2110 taken?)"
else
  got=$("$wine" "$windows_dir/restarter/restarter.exe" ignored-argument | od -An -c | tr -s ' ')
  want=$(printf 'Send commands...\r\n' | od -An -c | tr -s ' ')
  if [ "$got" = "$want" ] && grep -q '<- 51 0F 00 00 00 00 00 60  reboot_controller' "$sim_out"; then
    pass "restarter.exe sent 51 0F 00 00 00 00 00 60 to the simulator's restart port"
  else
    fail "restarter.exe against the simulator: printed [$got], simulator saw: $(grep '<-' "$sim_out")"
  fi
fi
stop_simulator
got=$("$wine" "$windows_dir/restarter/restarter.exe" | od -An -c | tr -s ' ')
want=$(printf 'Unable to open a socket.\r\n' | od -An -c | tr -s ' ')
if [ "$got" = "$want" ]; then
  pass "restarter.exe with nothing listening on 2110"
else
  fail "restarter.exe with nothing listening: printed [$got]"
fi

# 3. vxc.exe against the Linux vxc: every program of the compiler's fuzz corpus
#    and of the simulator's tests, compiled and disassembled in two folders.
#    The compiled file must be the same byte for byte. Text (the messages, the
#    listing, the chain file, which is a text-mode file) has CR LF line ends on
#    Windows: each CR LF is made LF once, and then it must be the same too.
unix_line_ends() {
  for file in "$1"/out "$1"/err "$1"/disasm "$1"/*.chain; do
    [ -f "$file" ] && sed -i 's/\r$//' "$file"
  done
}
vxc_differences=0
vxc_programs=0
for program in fuzz/corpus/compile_fuzzer/*.prg tests/sim/programs/*.prg; do
  [ -f "$program" ] || continue
  vxc_programs=$((vxc_programs + 1))
  name=$(basename "$program")
  for side in linux windows; do
    mkdir -p "$work/vxc/$side"
    cp "$program" "$work/vxc/$side/$name"
  done
  (cd "$work/vxc/linux" && "$linux_dir/tools/vxc/vxc" "$name" >out 2>err; echo $? >rc
   [ -f "$name.cpl" ] && "$linux_dir/tools/vxc/vxc" --disasm "$name.cpl" >disasm 2>&1)
  (cd "$work/vxc/windows" && "$wine" "$windows_dir/tools/vxc/vxc.exe" "$name" >out 2>err
   echo $? >rc
   [ -f "$name.cpl" ] && "$wine" "$windows_dir/tools/vxc/vxc.exe" --disasm "$name.cpl" >disasm 2>&1)
  unix_line_ends "$work/vxc/windows"
  if ! diff -r "$work/vxc/linux" "$work/vxc/windows" >"$work/vxc.diff"; then
    fail "vxc.exe differs from vxc on $program:"; head -60 "$work/vxc.diff" >&2
    vxc_differences=$((vxc_differences + 1))
  fi
  rm -rf "$work/vxc"
done
if [ "$vxc_programs" -gt 0 ] && [ "$vxc_differences" -eq 0 ]; then
  pass "vxc.exe as vxc on $vxc_programs programs (.cpl byte for byte; messages, exit code, .chain, listing)"
fi

# 4. vxctl.exe, where the tree has it: version, vars and load against the
#    simulator, each the same as the Linux vxctl's (line ends apart).
if [ -d tools/vxctl ]; then
  if ! cmake --build "$windows_dir" --target vxctl >"$work/vxctl-build.log" 2>&1; then
    echo "wine-check: SKIP  vxctl.exe does not build for Windows yet:" \
      "$(grep -m1 -E 'error|Error' "$work/vxctl-build.log")" >&2
  else
    start_simulator 0 0
    cp fuzz/corpus/compile_fuzzer/heating.prg "$work/heating.prg"
    for command in "version" "vars 0-15" "load heating.prg"; do
      linux_out=$(cd "$work" && "$linux_dir/tools/vxctl/vxctl" --port "$sim_port" $command 2>&1
        echo "exit $?")
      windows_out=$(cd "$work" && "$wine" "$windows_dir/tools/vxctl/vxctl.exe" \
        --port "$sim_port" $command 2>&1 | sed 's/\r$//'; echo "exit ${PIPESTATUS[0]}")
      if [ "$linux_out" = "$windows_out" ] && [ "${linux_out##*exit }" = 0 ]; then
        pass "vxctl.exe $command"
      else
        fail "vxctl.exe $command: Linux gave [$linux_out], Windows [$windows_out]"
      fi
    done
    stop_simulator
  fi
fi

# 5. The configurator, where the Qt for Windows was there to build it: vx_screens.exe
#    (the configurator's windows, as the program creates them) on a virtual display
#    against the simulator: connected, both refreshes, the example program
#    compiled, pictures saved; then configurator.exe itself starts and connects.
qt_cache=${VX_WINDOWS_QT:-${XDG_CACHE_HOME:-$HOME/.cache}/vesta-vx/qt6-mingw-6.4.2}
configurator=$windows_dir/app/configurator.exe
screens=$windows_dir/tools/screenshots/vx_screens.exe
if [ ! -f "$qt_cache/.vesta-vx-complete" ]; then
  echo "wine-check: SKIP  the Windows configurator: no Qt for Windows in $qt_cache;" \
    "bash scripts/build-qt-windows.sh builds it once (about half an hour on 2 cores)"
elif [ ! -f "$configurator" ] || [ ! -f "$screens" ]; then
  fail "the Windows configurator: Qt for Windows is there but $configurator or $screens is not built"
else
  pictures=$windows_dir/wine-pictures
  rm -rf "$pictures"
  start_simulator 0 0
  xvfb-run -a -s "-screen 0 1280x900x24" "$wine" "$screens" "$(winepath_of "$pictures")" \
    "$sim_port" >"$work/screens.out" 2>"$work/screens.err"
  screens_status=$?
  # The Linux program's compile of the same example, for the editor's messages.
  linux_compile=$(QT_QPA_PLATFORM=offscreen "$linux_dir/tools/screenshots/vx_screens" \
    "$work/linux-pictures" "$sim_port" 2>/dev/null | sed -n 's/^vx_screens: compile: //p')
  stop_simulator
  tr -d '\r' <"$work/screens.out" >"$work/screens.txt"
  line() { sed -n "s/^vx_screens: $1: //p" "$work/screens.txt"; }
  version=$(sed -n 's/^project(vesta_vx VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
  if [ "$screens_status" -eq 0 ] && [ "$(line connection)" = "Открыто" ] &&
    [ -n "$(line controller)" ] && [[ "$(line title)" == *"v.$version."* ]]; then
    pass "the configurator connects under Wine: $(line connection), $(line title), controller $(line controller)"
  else
    fail "the configurator under Wine: exit $screens_status, $(tr '\n' ' ' <"$work/screens.txt") $(head -5 "$work/screens.err")"
  fi
  if [ "$(line variables)" -gt 0 ] 2>/dev/null && [ "$(line modules)" -gt 0 ] 2>/dev/null; then
    pass "both refreshes fill the grids under Wine ($(line variables) variables, $(line modules) modules)"
  else
    fail "the grids under Wine: variables [$(line variables)], modules [$(line modules)]"
  fi
  if [ -n "$(line compile)" ] && [ "$(line compile)" = "$linux_compile" ] &&
    [ -s "$pictures/main_window.png" ] && [ -s "$pictures/editor.png" ]; then
    pass "the editor compiles the example program under Wine as on Linux ($(line compile)); pictures in $pictures"
  else
    fail "the editor under Wine: [$(line compile)], on Linux [$linux_compile], pictures: $(ls "$pictures" | tr '\n' ' ')"
  fi
  # The program itself, as a user starts it: from its folder, on the configurator's port.
  start_simulator 2100 0
  if [ "$sim_port" != 2100 ]; then
    fail "configurator.exe: the simulator did not start on port 2100 (is it taken?)"
  else
    xvfb-run -a "$wine" "$configurator" >"$work/configurator.out" 2>&1 &
    configurator_pid=$!
    pids+=("$configurator_pid")
    for _ in $(seq 100); do grep -q '<-' "$sim_out" && break; sleep 0.2; done
    if grep -q '<-' "$sim_out" && kill -0 "$configurator_pid" 2>/dev/null; then
      pass "configurator.exe starts under Wine and asks the simulator on port 2100"
    else
      fail "configurator.exe under Wine did not reach the simulator: $(head -5 "$work/configurator.out")"
    fi
    # Ending the Windows process ends xvfb-run, which then stops its display.
    "$wineserver" -k >/dev/null 2>&1
    wait "$configurator_pid" 2>/dev/null
  fi
  stop_simulator
fi

exit $status
