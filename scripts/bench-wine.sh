#!/usr/bin/env bash
# Times vellisk.exe under Wine: the start until the window is idle against a
# minimal window program, the processor time while it sits idle, and 1, 4 and
# 16 Mi code-unit clipboards (start and both clean-up buttons, end to end, and
# what the editor costs apart from our code). Installs what is missing, builds
# the host build in build/bench and the Windows build in build/bench-win
# (both Release), prepares the prefix build/wine-bench, and runs
# start_bench, which prints its table and exits non-zero when the start ratio
# or the idle target is missed. Arguments go to start_bench, for example
# --repetitions=15, --sizes=1,4 or --sizes= (none). The 16 Mi clipboard
# alone takes several minutes under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/deps.sh
. scripts/wine-env.sh
jobs=$(nproc)

cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench -j"$jobs" --target start_bench
cmake -S . -B build/bench-win -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
  >/dev/null
cmake --build build/bench-win -j"$jobs" --target vellisk driver minimal_window editor_cost

wine_prefix "$root/build/wine-bench"
# start_bench starts its own X server, wineserver and driver, and ends them.
VELLISK_EXE="$root/build/bench-win/vellisk.exe" VELLISK_DRIVER="$root/build/bench-win/driver.exe" \
  build/bench/start_bench "$@"
