#!/usr/bin/env bash
# Builds the framer benchmark in its own release build (build/bench) and runs it.
# Arguments go to the benchmark, e.g. --benchmark_filter=InMemory.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TACTILO_BENCH_DIR:-$here/build/bench}"

# Several people build on two cores: every build takes the one build lock.
flock /tmp/tactilo-build.lock sh -c '
    if [ ! -f "$2/build.ninja" ]; then
        cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=Release \
            -DTACTILO_TESTS=OFF -DTACTILO_BENCH=ON >/dev/null || exit
    fi
    cmake --build "$2" --target tactilo_bench' sh "$here" "$build"
"$build/bench/tactilo_bench" "$@"
