#!/usr/bin/env bash
# Installs what is missing, builds, and runs the configurator against the
# simulator (started here when nothing listens on 127.0.0.1:2100).
#   with a display (X11 or Wayland): the configurator's window, as usual;
#   without one: the configurator on a virtual display of its own (Xvfb),
#   pictured after both refreshes (main window, editor with an example
#   program) into build/run/; the paths are printed, then all is stopped.
# VX_SIM_ARGS passes options to the simulator. Exits non-zero with a one-line
# reason when a step fails.
set -uo pipefail
cd "$(dirname "$0")/.."

fail() {
  echo "run: $*" >&2
  exit 1
}

bash scripts/setup.sh || fail "set-up failed (installing the packages, see above)"
bash scripts/build.sh || fail "the build failed (see above)"

configurator=build/app/configurator
simulator=build/sim/vxcore-sim
screens=build/tools/screenshots/vx_screens
[ -x "$configurator" ] || fail "$configurator was not built"

started=()
stop_started() {
  local pid
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${started[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap stop_started EXIT

listening() { (exec 3<>/dev/tcp/127.0.0.1/2100) 2>/dev/null; }

if listening; then
  echo "run: something already listens on 127.0.0.1:2100; using it"
elif [ -x "$simulator" ]; then
  # shellcheck disable=SC2086  # VX_SIM_ARGS is a list of options
  "$simulator" ${VX_SIM_ARGS:-} >build/vxcore-sim.log 2>&1 &
  started+=($!)
  for _ in $(seq 100); do
    listening && break
    kill -0 "${started[-1]}" 2>/dev/null || break
    sleep 0.1
  done
  listening || fail "vxcore-sim did not start listening on 127.0.0.1:2100 (log: build/vxcore-sim.log)"
  echo "run: vxcore-sim started (log: build/vxcore-sim.log)"
else
  echo "run: no controller on 127.0.0.1:2100 and no simulator built; the configurator starts without a connection"
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  "$configurator" "$@"
  exit $?
fi

# No display: a virtual one of our own, and pictures of what a user would see.
command -v Xvfb >/dev/null || fail "Xvfb is missing although the set-up installs it (package xvfb)"
[ -x "$screens" ] || fail "$screens was not built"
pictures=build/run
mkdir -p "$pictures"
rm -f "$pictures"/*.png
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$display_file" >build/run/xvfb.log 2>&1 &
started+=($!)
for _ in $(seq 100); do
  [ -s "$display_file" ] && break
  kill -0 "${started[-1]}" 2>/dev/null || break
  sleep 0.1
done
display=$(tr -dc '0-9' <"$display_file")
rm -f "$display_file"
[ -n "$display" ] || fail "the virtual display did not start (log: build/run/xvfb.log)"
echo "run: no display; the configurator runs on the virtual display :$display"
DISPLAY=":$display" QT_QPA_PLATFORM=xcb "$screens" "$pictures" 2100 ||
  fail "no picture was made (see the lines above)"
for picture in main_window editor; do
  [ -s "$pictures/$picture.png" ] || fail "no picture was made: $pictures/$picture.png is missing"
done
echo "run: the pictures are in $pictures/ (the configurator and what this script started are stopped)"
