#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, coverage + AddressSanitizer + UBSan) in build-fuzz/ and
# runs each for a while from its seeds; fails when any target finds a crash, a leak, a time-out
# or a broken invariant.
#   bash tools/fuzz.sh [seconds per target, default 20] [target names without fuzz_ ...]
# Inputs that failed are kept as build-fuzz/fuzz-run/<target>/crash-* (replay one with
# build-fuzz/fuzz/fuzz_<target> <file>); the grown corpora stay in build-fuzz/fuzz-run/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Paths under the checkout are hashed relative to it, so another clone reuses the compiler cache.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
seconds=${1:-20}
shift || true
all=(ini utf8 element sel kit kit_library wav blobs editbox midimap_names viewer_link midimap shin_patch)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all[@]}")
build=$root/build-fuzz
run=$build/fuzz-run
jobs=${FUZZ_JOBS:-$(nproc)}

bash "$root/tools/setup.sh"
# Light optimisation and line tables only: quick to build, with file and line in the reports.
cmake -S "$root" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DSKYT_FUZZ=ON \
  -DSKYT_TESTS=OFF -DSKYT_BENCH=OFF -DCMAKE_BUILD_TYPE=Release \
  "-DCMAKE_C_FLAGS_RELEASE=-O1 -gline-tables-only" "-DCMAKE_CXX_FLAGS_RELEASE=-O1 -gline-tables-only" >/dev/null
cmake --build "$build" -j "$jobs" --target skyt_fuzz_all

mkdir -p "$run"
cat "$root/tools/lsan.supp" "$root/fuzz/lsan-extra.supp" >"$run/lsan.supp"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:allocator_may_return_null=1
export LSAN_OPTIONS=suppressions=$run/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# One target: seeds (committed text files and those the target writes itself), then the run.
fuzz_one() {
  local t=$1 dir=$run/$1
  mkdir -p "$dir/corpus" "$dir/seeds"
  rm -f "$dir"/crash-* "$dir"/leak-* "$dir"/timeout-* "$dir"/oom-*
  if [ -d "$root/fuzz/corpus/$t" ]; then cp "$root/fuzz/corpus/$t"/* "$dir/seeds/"; fi
  SKYT_FUZZ_SEEDS=$dir/seeds "$build/fuzz/fuzz_$t" -runs=0 >/dev/null 2>&1 </dev/null || true
  local rc=0
  (cd "$dir" && "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$dir/" "$dir/corpus" "$dir/seeds" \
    >"$dir/log" 2>&1 </dev/null) || rc=$?
  local runs speed
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$dir/log" | grep -o '[0-9]*$' || true)
  speed=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$dir/log" | grep -o '[0-9]*$' || true)
  if [ $rc -ne 0 ]; then
    echo "fuzz_$t: FAILED (exit $rc)"
    grep -E 'ERROR|check failed|SUMMARY|Test unit written' "$dir/log" | head -20
    return 1
  fi
  echo "fuzz_$t: ok, ${runs:-?} inputs in ${seconds} s (${speed:-?}/s)"
}

# As many targets at a time as there are cores.
pids=()
names=()
failed=0
for t in "${targets[@]}"; do
  fuzz_one "$t" &
  pids+=($!)
  names+=("$t")
  if [ ${#pids[@]} -ge "$jobs" ]; then
    wait "${pids[0]}" || failed=1
    pids=("${pids[@]:1}")
  fi
done
for p in "${pids[@]}"; do wait "$p" || failed=1; done
if [ $failed -ne 0 ]; then
  echo "fuzzing found failures: see $run/<target>/log" >&2
  exit 1
fi
