#!/usr/bin/env bash
# The touch processor's cost per packet (drags, taps, releases), from the release build.
# Arguments go to the benchmark, e.g. --benchmark_repetitions=5.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TACTILO_BENCH_DIR:-$root/build/bench}"

flock /tmp/tactilo-build.lock sh -c '
    if [ ! -f "$2/build.ninja" ]; then
        cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTACTILO_BENCH=ON \
            -DTACTILO_TESTS=OFF >/dev/null || exit
    fi
    cmake --build "$2" --target tactilo_processor_bench >/dev/null' sh "$root" "$build"
echo "machine: $(nproc) cores; load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
"$build/bench/tactilo_processor_bench" "$@"
