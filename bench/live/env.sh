# Sourced by the scripts of the live touch path (latency.sh, linerate.sh, silent.sh,
# startup.sh): a release build of the bench programs, a private Xvfb, a temporary
# XDG_CONFIG_HOME and XDG_RUNTIME_DIR, and on exit the end of every process started here.
# Never the user's display: DISPLAY is always the private server's.

set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${TACTILO_BENCH_DIR:-$root/build/bench}"
bin="$build/bench"

tmp="$(mktemp -d "${TMPDIR:-/tmp}/tactilo-bench.XXXXXX")"
pids=()

# Newest first: the driver (whose children follow it), then the tray host, then the server.
live_cleanup() {
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill -TERM "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$tmp"
}
trap live_cleanup EXIT
trap 'exit 130' INT TERM HUP

# Builds the given targets of the release build, under the lock every build here takes.
live_build() {
    if ! flock /tmp/tactilo-build.lock sh -c '
        root="$1" build="$2"
        shift 2
        if [ ! -f "$build/build.ninja" ]; then
            cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
                -DTACTILO_BENCH=ON -DTACTILO_TESTS=OFF || exit
        fi
        cmake --build "$build" --target "$@"' sh "$root" "$build" "$@" >"$tmp/build.log" 2>&1
    then
        tail -n 40 "$tmp/build.log" >&2
        exit 1
    fi
}

# Starts Xvfb on a display number of its own choosing; sets DISPLAY and xvfb_pid.
live_start_xvfb() {
    mkfifo "$tmp/displayfd"
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset \
        +extension RANDR +extension XTEST +extension XInputExtension \
        3>"$tmp/displayfd" >"$tmp/xvfb.log" 2>&1 &
    xvfb_pid=$!
    pids+=("$xvfb_pid")
    local number=""
    if ! read -r -t 15 number <"$tmp/displayfd" || [ -z "$number" ]; then
        echo "Xvfb did not start:" >&2
        cat "$tmp/xvfb.log" >&2
        exit 1
    fi
    export DISPLAY=":$number"
}

# A tray host on the private server, as the tests use it.
live_start_trayer() {
    trayer --SetDockType true --SetPartialStrut false --transparent false --expand true \
        --edge top --align left --widthtype pixel --width 200 --heighttype pixel --height 32 \
        >"$tmp/trayer.log" 2>&1 &
    pids+=("$!")
}

# A fresh configuration: port links, options and autostart entries go to the temporary
# directory, never to the user's.
export XDG_CONFIG_HOME="$tmp/config"
export XDG_RUNTIME_DIR="$tmp/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY QT_LOGGING_RULES

live_machine() {
    echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //');" \
        "load average before: $(cut -d' ' -f1-3 /proc/loadavg); $(date -u '+%Y-%m-%d %H:%M UTC')"
}

# Runs the driver, bounded in time: tactilo-live-bench MODE [options]. In the background,
# so that a signal to this script is handled at once rather than after the run.
live_run() {
    local limit="$1"
    shift
    timeout --kill-after=5 "$limit" "$bin/tactilo-live-bench" "$@" --work-dir "$tmp/work" &
    local driver=$!
    pids+=("$driver")
    local status=0
    wait "$driver" || status=$?
    echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
    return "$status"
}

# What reads the line: by default the Tactilo executable (TACTILO_EXE, default the release
# build's), which connects the ticked device of its Settings.dat at start-up;
# --inprocess: tactilo-live-pipeline, the same parts wired in a process of their own, which
# also reports the reader's packet count; --floor: the floor program.
pipeline_args=(--pipeline tactilo --tactilo-exe "${TACTILO_EXE:-$build/bin/Tactilo}")
driver_args=()
live_parse_args() {
    for arg in "$@"; do
        case "$arg" in
            --tactilo) ;;
            --inprocess) pipeline_args=(--pipeline inprocess) ;;
            --floor) pipeline_args=(--pipeline floor) ;;
            *) driver_args+=("$arg") ;;
        esac
    done
}

# Every program the live scripts may run.
live_targets=(tactilo-live-bench tactilo-live-pipeline tactilo-live-floor Tactilo)
