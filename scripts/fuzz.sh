#!/usr/bin/env bash
# Builds the libFuzzer targets in build/fuzz (clang, AddressSanitizer and UndefinedBehaviorSanitizer,
# a tree of its own, apart from the test build) and runs each target in turn.
#
#   bash scripts/fuzz.sh [SECONDS [TARGET...]]
#
# SECONDS is the time of EACH target (default 120: the five targets take 10 minutes in all).
# TARGETs are a choice among: text encoding cookies headers pages (default: all of them).
# Every run starts from a fresh copy of the initial inputs (the sample site's pages, generated,
# and fuzz/corpus/<target>/) in build/fuzz/run/<target>/corpus, so nothing committed changes.
# A crash or a broken property leaves its input in build/fuzz/run/<target>/findings/ and makes the
# script fail; `build/fuzz/fuzz/tavolin_fuzz_<target> <that file>` replays it.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-120}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(text encoding cookies headers pages)
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [SECONDS-PER-TARGET [TARGET...]]" >&2
  exit 2
fi

declare -A maxLength=([text]=8192 [encoding]=8192 [cookies]=4096 [headers]=16384 [pages]=65536)
for target in "${targets[@]}"; do
  if [[ -z ${maxLength[$target]:-} ]]; then
    echo "unknown fuzz target: $target (known: ${!maxLength[*]})" >&2
    exit 2
  fi
done

if ! command -v clang++ >/dev/null; then
  echo "clang++ is missing: run scripts/install-deps.sh as root first." >&2
  exit 1
fi

build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DTAVOLIN_BUILD_FUZZ=ON -DTAVOLIN_SANITIZE=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null

generated="$build/generated-corpus"
rm -rf "$generated"
"$build/fuzz/tavolin_fuzz_corpus" "$generated" >/dev/null

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

failed=0
summary=()
for target in "${targets[@]}"; do
  run="$build/run/$target"
  rm -rf "$run"
  mkdir -p "$run/corpus" "$run/findings"
  [[ -d $generated/$target ]] && cp "$generated/$target"/* "$run/corpus/"
  [[ -d fuzz/corpus/$target ]] && cp fuzz/corpus/"$target"/* "$run/corpus/"
  initial=$(find "$run/corpus" -type f | wc -l)

  echo "fuzzing $target for ${seconds} s ($initial initial inputs)..."
  status=0
  "$build/fuzz/tavolin_fuzz_$target" "$run/corpus" \
    -max_total_time="$seconds" -max_len="${maxLength[$target]}" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -dict="fuzz/dict/$target.dict" \
    -artifact_prefix="$run/findings/" >"$run/fuzz.log" 2>&1 || status=$?

  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$run/fuzz.log" | tail -1)
  last=$(grep -E '^#[0-9]+.*cov: ' "$run/fuzz.log" | tail -1 || true)
  cov=$(sed -n 's/.*cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  corpus=$(sed -n 's/.* corp: \([^ ]*\).*/\1/p' <<<"$last")
  findings=$(find "$run/findings" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
    -o -name 'oom-*' \) | wc -l)
  summary+=("$(printf '%-9s %12s %6s %7s %12s %9s' "$target" "${executions:-?}" "${cov:-?}" \
    "${ft:-?}" "${corpus:-?}" "$findings")")

  if ((status != 0 || findings != 0)); then
    failed=1
    echo "FUZZ FINDING in $target (exit status $status), log: $run/fuzz.log" >&2
    grep -E -A8 '^\*\*\* property broken|^==[0-9]+==ERROR|^SUMMARY' "$run/fuzz.log" | head -40 >&2 ||
      true
    for file in "$run/findings"/*; do
      [[ -f $file ]] && echo "  replay: $build/fuzz/tavolin_fuzz_$target $file" >&2
    done
  fi
done

echo
printf '%-9s %12s %6s %7s %12s %9s\n' target executions cov ft corpus findings
printf '%s\n' "${summary[@]}"
if ((failed)); then
  echo "fuzzing found faults (see above)" >&2
  exit 1
fi
echo "fuzzing: no findings"
