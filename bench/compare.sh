#!/usr/bin/env bash
# Runs the store's benchmarks on both generators' 1M files and, beside them in
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

"$build/bench/make_phonebook" 1000000 "$scratch/own-1m.txt"
python3 "$perf/gen_entries.py" 1000000 "$scratch/shared-1m.txt"

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
  VELUNAR_SHARED_GENERATOR="$perf/gen_entries.py" "$build/bench/store_bench" \
    --benchmark_filter='BM_(Load|Find|SaveBytes)/1000000|BM_Memory/1000000'
  if [ -n "$limit" ]; then
    for file in own shared; do
      echo "== round $round: the measuring program, $file file"
      "$limit" "$scratch/$file-1m.txt" "$scratch" --reps 5 |
        grep -E '^file=|\[best\]|matches in list order|save total'
    done
  fi
done
