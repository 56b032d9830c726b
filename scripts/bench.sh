#!/usr/bin/env bash
# Builds the benchmarks in Release without sanitizers into build/bench and runs every benchmark
# program (named *_bench) found under build/bench/bench/.
#
#   bash scripts/bench.sh [NAME] [BENCHMARK OPTIONS...]
#
# NAME, when given, runs only the programs whose file name contains it (for example "text");
# further arguments go to every program (for example --benchmark_filter=SplitText).
set -euo pipefail
cd "$(dirname "$0")/.."

name="${1:-}"
if (($#)); then shift; fi

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVOLIN_SANITIZE=OFF \
      -DTAVOLIN_BUILD_BENCH=ON -DTAVOLIN_BUILD_TESTS=OFF >/dev/null
cmake --build build/bench -j2

mapfile -t programs < <(find build/bench/bench -path '*/CMakeFiles' -prune -o \
                             -type f -perm -u+x -name '*_bench' -print | sort)
ran=0
for program in "${programs[@]}"; do
  if [[ -n "$name" && "$(basename "$program")" != *"$name"* ]]; then continue; fi
  echo "== $program"
  "$program" "$@"
  ran=$((ran + 1))
done
if ((ran == 0)); then
  echo "No benchmark program${name:+ matching \"$name\"} under build/bench/bench." >&2
  exit 1
fi
