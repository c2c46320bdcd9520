#!/usr/bin/env bash
# Builds the framer benchmark in its own release build (build/bench) and runs it.
# Arguments go to the benchmark, e.g. --benchmark_filter=InMemory.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TACTILO_BENCH_DIR:-$here/build/bench}"

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTACTILO_TESTS=OFF -DTACTILO_BENCH=ON >/dev/null
cmake --build "$build" --target tactilo_bench
"$build/bench/tactilo_bench" "$@"
