#!/usr/bin/env bash
# The main job: builds the kfs tool natively and runs its tour of the library on real files.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh tour
cmake --preset native -B build/tour -DKORIL_BUILD_TESTS=OFF -DKORIL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build/tour -j2 --target kfs
exec build/tour/bin/kfs tour
