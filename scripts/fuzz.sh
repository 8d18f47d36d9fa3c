#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 60);
# exits non-zero on any crash, leak, undefined behaviour, hang or build failure.
#   bash scripts/fuzz.sh 60
# Findings are kept in build-fuzz/findings/<target>/ to reproduce with
#   build-fuzz/<target> build-fuzz/findings/<target>/crash-...
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "fuzz: SECONDS must be a positive whole number, not '$seconds'" >&2
  exit 2
fi
build_dir=${VX_FUZZ_BUILD_DIR:-build-fuzz}
hang_seconds=10     # one input running longer than this is a hang
memory_mb=2048      # more than this is a memory blow-up

for tool in clang clang++ cmake ninja; do
  if ! command -v "$tool" >/dev/null; then
    echo "fuzz: $tool not found; scripts/setup.sh installs it" >&2
    exit 1
  fi
done

# The fuzz folder is configured as a project of its own: it compiles only the
# core sources its targets name, so other areas (and Qt) play no part.
echo "fuzz: building the targets in $build_dir"
mkdir -p "$build_dir"
cmake -S fuzz -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >"$build_dir/configure.log" 2>&1 || {
  cat "$build_dir/configure.log" >&2
  echo "fuzz: configuring failed" >&2
  exit 1
}
cmake --build "$build_dir" -j "${VX_JOBS:-2}"

list="$build_dir/fuzz_targets.txt"
if [ ! -s "$list" ]; then
  echo "fuzz: no fuzz targets were built" >&2
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/vx-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"

status=0
while read -r name binary; do
  [ -n "$name" ] || continue
  corpus="$work/$name/corpus"
  findings="$build_dir/findings/$name"
  mkdir -p "$corpus" "$findings"
  # The seeds are copied so that what the fuzzer learns never lands in the repo.
  if [ -d "fuzz/corpus/$name" ]; then
    cp -R "fuzz/corpus/$name/." "$corpus/"
  fi
  args=(-max_total_time="$seconds" -timeout="$hang_seconds" -rss_limit_mb="$memory_mb"
        -max_len=16384 -print_final_stats=1 -artifact_prefix="$findings/")
  if [ -f "fuzz/$name.dict" ]; then
    args+=(-dict="fuzz/$name.dict")
  fi
  echo "fuzz: $name for ${seconds}s"
  log="$work/$name.log"
  if "$binary" "${args[@]}" "$corpus" >"$log" 2>&1; then
    grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$log" | sed "s/^/fuzz: $name /" || true
  else
    status=1
    cp "$log" "$findings/fuzz.log"
    echo "fuzz: $name FAILED; the end of its log (whole log: $findings/fuzz.log):" >&2
    tail -n 60 "$log" >&2
  fi
done <"$list"

if [ $status -eq 0 ]; then
  echo "fuzz: every target ran clean"
fi
exit $status
