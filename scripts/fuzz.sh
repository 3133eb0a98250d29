#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang (libFuzzer, AddressSanitizer and
# UBSan) in build-fuzz/ and runs each for SECONDS (default 60), one after the
# other. Inputs that add coverage stay in build-fuzz/fuzz-corpus/<target>;
# the seed corpora in fuzz/corpus/ are only read. A finding is written to
# build-fuzz/fuzz-findings/<target>/ and named at the end; the script then
# exits 1. Keep a finding, once mended, in fuzz/regressions/<target>/: the
# test suite replays it.
#
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
# VELMORA_FUZZ_SEED fixes libFuzzer's seed (CI sets 1, so a red run can be
# replayed: same seed, same seed folders, an empty corpus); unset, every run
# explores anew.
seed=()
[ -n "${VELMORA_FUZZ_SEED:-}" ] && seed=(-seed="$VELMORA_FUZZ_SEED")
build=${VELMORA_FUZZ_BUILD:-build-fuzz}
jobs=$(nproc 2>/dev/null || echo 2)
[ "$jobs" -gt 2 ] && jobs=2
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

# Warnings are made errors by the g++ build of scripts/test.sh; clang warns of
# a few more things, which must not stop the fuzzing.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
      -DVELMORA_FUZZ=ON -DVELMORA_WERROR=OFF -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=OFF \
      "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$jobs" --target fuzz_targets

export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
targets=(sql search dates notelinks ini bookfile version vcard)
found=()
for t in "${targets[@]}"; do
  corpus="$build/fuzz-corpus/$t"
  findings="$build/fuzz-findings/$t"
  log="$build/fuzz-logs/$t.log"
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  seeds=(fuzz/corpus/"$t")
  [ -d fuzz/regressions/"$t" ] && seeds+=(fuzz/regressions/"$t")
  before=$(ls "$findings" | wc -l)
  status=0
  "$build/fuzz/fuzz_$t" "${seed[@]}" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=2560 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" "${seeds[@]}" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ "$status" -ne 0 ] || [ "$(ls "$findings" | wc -l)" -ne "$before" ]; then
    artifact=$(ls -t "$findings" | head -1)
    found+=("$findings/$artifact")
    echo "fuzz_$t: ${runs:-?} runs, FINDING $findings/$artifact (log: $log)"
    grep -m3 -E "ERROR|runtime error|^fuzz|: " "$log" | grep -v "^INFO" | head -3 | sed 's/^/    /' || true
  else
    echo "fuzz_$t: ${runs:-?} runs, no finding"
  fi
done

if [ ${#found[@]} -ne 0 ]; then
  echo "Reproducers:"
  printf '  %s\n' "${found[@]}"
  exit 1
fi
