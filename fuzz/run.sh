#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build/fuzz (everything instrumented for
# coverage, address and undefined-behaviour checks) and runs each for a while.
#   fuzz/run.sh [seconds per target, default 60] [target...]
# Corpora grow in build/fuzz/corpus/<target>; crashes land in build/fuzz/crashes/.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TACTILO_FUZZ_DIR:-$here/build/fuzz}"
seconds="${1:-60}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(fuzz_framer fuzz_settings_line)
fi

CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTACTILO_TESTS=OFF -DTACTILO_FUZZ=ON \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined" \
    >/dev/null
cmake --build "$build" --target "${targets[@]}"

mkdir -p "$build/crashes"
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    seeds="$here/fuzz/seeds/$target"
    echo "== $target, ${seconds}s"
    "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build/crashes/$target-" "$corpus" $( [ -d "$seeds" ] && echo "$seeds" ) \
        2>&1 | grep -E '^(stat::|Done |==[0-9]+==|SUMMARY|artifact_prefix|Test unit written)' || true
    if compgen -G "$build/crashes/$target-*" >/dev/null; then
        echo "!! $target found something: $(ls "$build/crashes/$target-"*)"
        exit 1
    fi
done
