#!/usr/bin/env bash
# Passes every test: installs what is missing, builds the host and the
# Windows build, and runs the unit tests (also under sanitizers), the fuzz
# targets for a few seconds each, the platform tests under Wine and the
# end-to-end tests on the real program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
cd "$root"

bash scripts/deps.sh
. scripts/wine-env.sh
jobs=$(nproc)

echo "== host build and unit tests"
cmake -S . -B "$build/host" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/host" -j"$jobs"
(cd "$build/host" && ctest --output-on-failure)

echo "== unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B "$build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DVELLISK_SANITIZE=ON >/dev/null
cmake --build "$build/sanitize" -j"$jobs" --target unit_tests
(cd "$build/sanitize" && ctest --output-on-failure)

echo "== fuzz targets, briefly (scripts/fuzz.sh runs them longer)"
bash scripts/fuzz.sh 10

echo "== Windows build"
cmake -S . -B "$build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/win" -j"$jobs"
bash scripts/check-exe.sh "$build/win/vellisk.exe"

cleanup() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null || true
}
trap cleanup EXIT

echo "== platform tests under Wine"
wine_prefix "$build/wine-platform"
start_xvfb
start_wine
(cd "$build/win" && ctest --output-on-failure)
cleanup
XVFB_PID=""

if [ -x "$build/host/e2e_tests" ]; then
  echo "== end-to-end tests under Wine"
  wine_prefix "$build/wine-e2e"
  VELLISK_EXE="$build/win/vellisk.exe" VELLISK_DRIVER="$build/win/driver.exe" "$build/host/e2e_tests"
fi

echo "== pictures of the form and its boxes (docs/)"
bash scripts/screenshot.sh
if git rev-parse --is-inside-work-tree >/dev/null 2>&1 && [ -n "$(git status --porcelain -- docs)" ]; then
  echo "note: the pictures in docs/ changed: commit them with the change that moved them"
fi

echo "== release package"
bash scripts/release.sh
# Built afresh in another folder, the program must be the test build's to the
# byte: the same sources give the same bytes.
cmp "$build/release/win/vellisk.exe" "$build/win/vellisk.exe" ||
  { echo "the release build differs from the test build of the same sources" >&2; exit 1; }
echo "== all tests passed"
