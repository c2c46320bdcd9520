#!/usr/bin/env bash
# What line noise does to the pointer: the Tactilo executable with its device on the
# simulator's pseudo-terminal (COM1, 9600 baud), random bytes at a line's pace for S seconds,
# then a clean tap; tactilo-xwatch, another X client, counts the presses and moves the X
# server saw during the noise, and whether the tap afterwards landed.
#
#   bench/noise.sh [--seconds S] [--rate BYTES_PER_S | --full-speed] [--seed N] [--keep DIR]
#
# Defaults: 60 s at 960 bytes/s, what a 9600-baud line carries at full pace. --full-speed
# sends 100000 bytes/s, the most the simulator paces. TACTILO_EXE picks another executable;
# --keep DIR copies the logs (the watch's events, Tactilo's trace, the simulator's) there.
source "$(dirname "${BASH_SOURCE[0]}")/live/env.sh"

seconds=60
rate=960
seed=1
keep=""
while [ $# -gt 0 ]; do
    case "$1" in
        --seconds) seconds="$2"; shift 2 ;;
        --rate) rate="$2"; shift 2 ;;
        --full-speed) rate=100000; shift ;;
        --seed) seed="$2"; shift 2 ;;
        --keep) keep="$2"; shift 2 ;;
        *) echo "usage: $0 [--seconds S] [--rate BYTES_PER_S | --full-speed] [--seed N] [--keep DIR]" >&2
           exit 2 ;;
    esac
done

live_build Tactilo tactilo-sim tactilo-xwatch
tactilo_exe="${TACTILO_EXE:-$build/bin/Tactilo}"
work="$tmp/work"
mkdir -p "$work/Tactilo"

# Waits up to $1 seconds until the command after it succeeds.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}
has_line() { grep -q -- "$2" "$1" 2>/dev/null; }

live_machine
live_start_xvfb
live_start_trayer

timeout --kill-after=5 $((seconds * 4 + 120)) "$build/tools/tactilo-xwatch" "$DISPLAY" \
    >"$work/xwatch.out" 2>"$work/xwatch.err" &
pids+=("$!")
wait_until 10 has_line "$work/xwatch.out" '^ready$' || { cat "$work/xwatch.err" >&2; exit 1; }

mkfifo "$work/sim.in"
timeout --kill-after=5 $((seconds * 4 + 120)) "$build/tools/tactilo-sim" --link COM1 \
    --keep-open --seed "$seed" - <"$work/sim.in" >"$work/sim.out" 2>"$work/sim.err" &
pids+=("$!")
exec {sim_fd}>"$work/sim.in"
sim() { printf '%s\n' "$@" >&"$sim_fd"; }
# Every byte sent so far is in the line once the echo comes back.
sim_sync() {
    sim "echo $1"
    wait_until "$2" has_line "$work/sim.out" "^$1\$" || { cat "$work/sim.err" >&2; exit 1; }
}
wait_until 10 has_line "$work/sim.out" '^/' || { cat "$work/sim.err" >&2; exit 1; }

# A portable copy beside its Settings.dat: one ticked device on COM1 at 9600 baud, mapped
# over the whole 1920 x 1080 screen.
line='Noise;screen;COM1;9600;1;0;1920;0;1080;1.920000;1005.000000;5.000000;1.464407;868.000000;131.000000;505.000000;500.000000;105.000000;905.000000;1000.000000;205.000000;795.000000;737.500000;0;0;'
cp "$tactilo_exe" "$work/Tactilo/Tactilo"
printf '%s\r\n' "$line" >"$work/Tactilo/Settings.dat"
(cd "$work/Tactilo" && exec env -u DBUS_SESSION_BUS_ADDRESS QT_LOGGING_RULES="tactilo.trace.debug=true" \
    timeout --kill-after=5 $((seconds * 4 + 120)) ./Tactilo) >"$work/tactilo.log" 2>&1 &
tactilo_pid=$!
pids+=("$tactilo_pid")
sim "rate 100" "calibration $line"

# Taps (x, y) until the X server saw a press within 3 pixels of it after line $3 of the
# watch; prints that line's number.
press_near() {
    awk -v from="$3" -v x="$1" -v y="$2" 'NR > from && $1 == "press" &&
        $3 - x <= 3 && x - $3 <= 3 && $4 - y <= 3 && y - $4 <= 3 { print NR; exit }' \
        "$work/xwatch.out"
}
tap_until_pressed() {
    local tries at
    for tries in $(seq 40); do
        sim "tappoint $1 $2" "wait 150"
        sim_sync "tap-$1-$2-$tries" 10
        if wait_until 1 test -n "$(press_near "$1" "$2" "$3")"; then
            press_near "$1" "$2" "$3"
            return 0
        fi
    done
    return 1
}

# Tactilo is reading once a first tap lands (it connects its device at start-up).
start_line="$(tap_until_pressed 300 300 0)" || {
    echo "no tap landed before the noise" >&2
    tail -n 20 "$work/tactilo.log" >&2
    exit 1
}
wait_until 5 has_line "$work/xwatch.out" '^release'
start_line="$(wc -l <"$work/xwatch.out")"
# The program itself is the child of its timeout.
tactilo_real="$(pgrep -P "$tactilo_pid" -x Tactilo || echo "$tactilo_pid")"
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$tactilo_real/stat"; }
utime_before="$(cpu_ticks)"

sim "noise $rate $((seconds * 1000))"
sim_sync noise-done $((seconds * 4 + 30))
# The tap's press comes after every event of the noise, which may have pressed there too.
end_line="$(tap_until_pressed 1500 800 "$(wc -l <"$work/xwatch.out")")" || end_line=""
utime_after="$(cpu_ticks)"

last="${end_line:-$(wc -l <"$work/xwatch.out")}"
awk -v from="$start_line" -v to="$last" -v landed="${end_line:+yes}" -v s="$seconds" \
    -v rate="$rate" 'NR > from && NR < to {
        split($6, t, "=")
        if (t0 == "") { t0 = t[2] }
        slot = int((t[2] - t0) / 10000)
        if (slot > slots) { slots = slot }
        if ($1 == "press") { presses[$2]++; per[slot]++ }
        if ($1 == "release") { releases++ }
        if ($1 == "motion" && !($3 >= 1497 && $3 <= 1503 && $4 >= 797 && $4 <= 803)) { moves++ }
    }
    END {
        printf "noise: %d s at %d bytes/s (%d bytes)\n", s, rate, s * rate
        printf "X server saw during the noise: %d left presses, %d right presses, %d releases, %d moves\n",
            presses[1], presses[3], releases, moves
        line = "presses per 10 s of server time:"
        for (i = 0; i <= slots; i++) { line = line " " (per[i] + 0) }
        print line
        printf "clean tap afterwards landed: %s\n", landed ? "yes" : "no (counted to the end)"
    }' "$work/xwatch.out"
notices="$(grep -c "sends data that is not a touch screen's" "$work/tactilo.log" || true)"
echo "Tactilo's notices of a bad line: $notices"
echo "Tactilo CPU during the run: $(( (utime_after - utime_before) * 1000 / $(getconf CLK_TCK) )) ms"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
if [ -n "$keep" ]; then
    mkdir -p "$keep"
    cp "$work"/*.out "$work"/*.err "$work/tactilo.log" "$keep/"
fi
