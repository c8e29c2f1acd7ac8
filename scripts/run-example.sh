#!/usr/bin/env bash
# Sets up, builds Tarvane and Tesmo, and starts Tarvane in the folder of the bundled example.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVANE_TESTS=OFF \
      -DTARVANE_BENCH=OFF
cmake --build "$root/build" --target Tarvane Tesmo
cd "$root/examples"
exec "$root/build/bin/Tarvane" "$@"
