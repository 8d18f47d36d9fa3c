#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs them; exits non-zero on any crash, leak, undefined behaviour, hang,
# memory blow-up or build failure.
#
#   bash scripts/fuzz.sh          the test command's step, the same verdict for the same tree:
#                                 replays every input under fuzz/corpus/<target>/ and
#                                 fuzz/regressions/<target>/, then explores from them with a
#                                 fixed seed for each target's fixed number of runs
#                                 (RUNS in fuzz/CMakeLists.txt)
#   bash scripts/fuzz.sh 600      open-ended: each target for 600 s from a random seed
#
# Findings are kept in build-fuzz/findings/<target>/ to reproduce with
#   build-fuzz/<target> build-fuzz/findings/<target>/crash-...
# Once the fault is mended, the input goes into fuzz/regressions/<target>/ so
# that every later test run replays it.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-}
if [ -n "$seconds" ] && ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "fuzz: SECONDS must be a positive whole number, not '$seconds'" >&2
  exit 2
fi
build_dir=${VX_FUZZ_BUILD_DIR:-build-fuzz}
hang_seconds=10     # one input running longer than this is a hang
memory_mb=2048      # more than this is a memory blow-up
seed=20261209       # the exploration's seed in the test command's step

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

# Address-space layout randomisation moves the heap against the program and the stack, and
# library code that orders two addresses then takes other branches from run to run; the
# fixed-seed runs go without it where the system allows.
fixed_layout=()
if setarch "$(uname -m)" -R true 2>/dev/null; then
  fixed_layout=(setarch "$(uname -m)" -R)
fi

status=0

# Reports a target's failed step and keeps its log beside the findings.
failed() {
  local name=$1 what=$2 log=$3 findings=$4
  status=1
  cp "$log" "$findings/fuzz.log"
  echo "fuzz: $name: $what FAILED; the end of its log (whole log: $findings/fuzz.log):" >&2
  tail -n 60 "$log" >&2
}

while read -r name binary runs; do
  [ -n "$name" ] || continue
  findings="$build_dir/findings/$name"
  corpus="$work/$name/corpus"
  mkdir -p "$findings" "$corpus"
  inputs=()
  for dir in "fuzz/corpus/$name" "fuzz/regressions/$name"; do
    if [ -d "$dir" ]; then
      while IFS= read -r -d '' file; do
        inputs+=("$file")
      done < <(find "$dir" -type f ! -name 'README*' -print0 | sort -z)
    fi
  done
  # The inputs are copied so that what the fuzzer learns never lands in the repo.
  if [ ${#inputs[@]} -gt 0 ]; then
    cp "${inputs[@]}" "$corpus/"
  fi
  common=(-timeout="$hang_seconds" -rss_limit_mb="$memory_mb")
  args=("${common[@]}" -max_len=16384 -reload=0 -print_final_stats=1
        -artifact_prefix="$findings/")
  if [ -f "fuzz/$name.dict" ]; then
    args+=(-dict="fuzz/$name.dict")
  fi
  log="$work/$name.log"
  start=$SECONDS

  if [ -n "$seconds" ]; then
    echo "fuzz: $name for ${seconds}s"
    if "$binary" "${args[@]}" -max_total_time="$seconds" "$corpus" >"$log" 2>&1; then
      grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$log" | sed "s/^/fuzz: $name /" || true
    else
      failed "$name" "exploring" "$log" "$findings"
    fi
    continue
  fi

  # Every input that is kept, each run once: a known fault that is back fails here.
  if [ ${#inputs[@]} -gt 0 ] && ! "$binary" "${common[@]}" "${inputs[@]}" >"$log" 2>&1; then
    failed "$name" "replaying the kept inputs" "$log" "$findings"
    continue
  fi
  # From the same inputs, seed and number of runs libFuzzer takes the same path,
  # so two runs on one tree find the same things and print the same counts. The
  # values of comparisons are not fed back into mutations here: they include
  # addresses, which change from one run to the next.
  if "${fixed_layout[@]}" "$binary" "${args[@]}" -use_cmp=0 -seed="$seed" -runs="$runs" "$corpus" \
    >"$log" 2>&1; then
    done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1)
    counts=$(sed -E 's/.*(cov: [0-9]+ ft: [0-9]+ corp: [0-9]+).*/\1/' <<<"$done_line")
    executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz: $name: replayed ${#inputs[@]} inputs; $executed runs from seed $seed: $counts" \
         "($((SECONDS - start)) s)"
  else
    failed "$name" "exploring from seed $seed" "$log" "$findings"
  fi
done <"$list"

if [ $status -eq 0 ]; then
  echo "fuzz: every target ran clean"
fi
exit $status
