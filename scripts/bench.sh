#!/usr/bin/env bash
# Times the text commands: installs what is missing, builds the host build in
# build/bench (Release) and runs the benchmark, which prints its table and the
# check of the targets and exits non-zero when one is missed. Arguments go to
# the benchmark program (Google Benchmark flags, for example
# --benchmark_filter=ColumnWrapped or --benchmark_repetitions=15).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/deps.sh
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench -j"$(nproc)" --target text_bench
build/bench/text_bench "$@"
