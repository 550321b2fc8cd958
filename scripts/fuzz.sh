#!/usr/bin/env bash
# Runs every fuzz target for the given number of seconds each (default 600),
# starting from the committed seeds; what a run learns stays under build/.
# Usage: scripts/fuzz.sh [seconds] [target...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/fuzz"
seconds="${1:-600}"
shift || true
cd "$root"
bash scripts/deps.sh
cmake -S . -B "$build" -DVELLISK_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
targets=("$@")
if ((${#targets[@]} == 0)); then
  for f in fuzz/*_fuzz.cpp; do targets+=("$(basename "$f" _fuzz.cpp)"); done
fi
for t in "${targets[@]}"; do
  corpus="$build/corpus-$t"
  mkdir -p "$corpus" "$build/findings-$t"
  echo "== fuzzing $t for ${seconds}s"
  "$build/${t}_fuzz" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$build/findings-$t/" "$corpus" "fuzz/corpus/$t" 2>&1 |
    grep -E '^(Done|stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY)' || true
  # libFuzzer leaves a crash-, leak- or timeout- file behind for each finding.
  if compgen -G "$build/findings-$t/*" >/dev/null; then
    echo "fuzz target $t found a fault: $(ls "$build/findings-$t")" >&2
    exit 1
  fi
done
