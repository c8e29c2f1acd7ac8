#!/usr/bin/env bash
# Sets up, builds everything with address and undefined-behaviour sanitizers, and runs all tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup-deps.sh"
build="$root/build-test"
# -O1 keeps the sanitizer run fast enough for the real-data tests; asserts stay on.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
      -DTARVANE_SANITIZE=ON
cmake --build "$build" --parallel "$(nproc)"
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
# The readers under the fuzzer, a short bounded run each (built when clang with libFuzzer is there).
if [ -d "$build/fuzz/bin" ]; then
  "$root/scripts/fuzz.sh" "$build/fuzz/bin" 20
fi
