#!/usr/bin/env bash
# Runs the store's benchmarks on both generators' files (1M entries, or the
# sizes in VELUNAR_COMPARE_SIZES, e.g. "100000 1000000") and, beside them in
# the same run, the measuring program from ../shared/perf when this processor
# has the instructions it needs (AVX-512 F/BW/VL/VBMI and BMI2). The measuring
# program is built in a scratch directory and never becomes part of the tree.
#   bench/compare.sh BUILD_DIR [SCRATCH_DIR]
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:?usage: bench/compare.sh BUILD_DIR [SCRATCH_DIR]}
scratch=${2:-/tmp/velunar-compare}
perf=${VELUNAR_PERF_DIR:-$top/../shared/perf}
mkdir -p "$scratch"

sizes=${VELUNAR_COMPARE_SIZES:-1000000}
for n in $sizes; do
  "$build/bench/make_phonebook" "$n" "$scratch/own-$n.txt"
  python3 "$perf/gen_entries.py" "$n" "$scratch/shared-$n.txt"
done

limit=""
flags=$(grep -o -w -E 'avx512(f|bw|vl|vbmi)|bmi2' /proc/cpuinfo | sort -u | wc -l)
if [ "$flags" -eq 5 ] && [ -f "$perf/limit_fast.cpp" ]; then
  limit="$scratch/limit_fast"
  [ -x "$limit" ] || g++ -O3 -march=native -std=c++20 -pthread -o "$limit" "$perf/limit_fast.cpp"
else
  echo "This processor lacks the measuring program's instructions; compare with the figures in its README."
fi

for round in 1 2; do
  echo "== round $round: the store"
  filter=""
  for n in $sizes; do filter="$filter|BM_(Load|Find)/$n/|BM_WriteAll/$n\$"; done
  # Five repetitions each; the fastest ("_min") is the figure to set against
  # the measuring program's fastest (its second column).
  VELUNAR_SHARED_GENERATOR="$perf/gen_entries.py" "$build/bench/store_bench" \
    --benchmark_filter="${filter#|}" --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true | grep -E '_(min|median) '
  filter=""
  for n in $sizes; do filter="$filter|BM_Memory/$n/"; done
  VELUNAR_SHARED_GENERATOR="$perf/gen_entries.py" "$build/bench/store_bench" \
    --benchmark_filter="${filter#|}" | grep -E '^BM_'
  if [ -n "$limit" ]; then
    for n in $sizes; do
      for file in own shared; do
        echo "== round $round: the measuring program, $file file, $n entries"
        "$limit" "$scratch/$file-$n.txt" "$scratch" --reps 5 |
          grep -E '^file=|\[best|matches in list order|save total'
      done
    done
  fi
done
