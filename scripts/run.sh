#!/usr/bin/env bash
# Installs what is missing, builds, and runs the configurator against the
# simulator (started here when nothing listens on 127.0.0.1:2100).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh

configurator=build/app/configurator
simulator=build/sim/vxcore-sim
if [ ! -x "$configurator" ]; then
  echo "run: $configurator was not built" >&2
  exit 1
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<TXT
run: no display. Start the configurator in a virtual X server instead:
  xvfb-run -a -s "-screen 0 1280x900x24" bash scripts/run.sh
or without any window system (nothing is shown):
  QT_QPA_PLATFORM=offscreen bash scripts/run.sh
TXT
  exit 2
fi

listening() { (exec 3<>/dev/tcp/127.0.0.1/2100) 2>/dev/null; }

sim_pid=""
if listening; then
  echo "run: something already listens on 127.0.0.1:2100; using it"
elif [ -x "$simulator" ]; then
  "$simulator" ${VX_SIM_ARGS:-} > build/vxcore-sim.log 2>&1 &
  sim_pid=$!
  trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true' EXIT
  for _ in $(seq 50); do listening && break; sleep 0.1; done
  echo "run: vxcore-sim started (log: build/vxcore-sim.log)"
else
  echo "run: no controller on 127.0.0.1:2100 and no simulator built; the configurator starts without a connection"
fi

"$configurator" "$@"
