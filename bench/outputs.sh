#!/usr/bin/env bash
# The pointer outputs side by side, on a real kernel: Tactilo through uinput, Tactilo through
# XTest and a bare program that writes the same events to uinput, from the last byte of a
# packet on the pseudo-terminal to the motion another X client sees.
#
#   bench/outputs.sh [--packets N] [--period-us N] [--warmup N]
#
# uinput needs a kernel with it and an X server that takes devices from udev: the run boots
# Debian's kernel in QEMU (tests/kernel/guest, software emulation) with udevd and Xorg (the
# dummy video and libinput input drivers) on the host's root, and runs tactilo-live-bench
# there. Absolute times under emulation mean little; the ratios tell. See bench/README.md.
source "$(dirname "${BASH_SOURCE[0]}")/live/env.sh"
bench_args=()
while [ $# -gt 0 ]; do
    case "$1" in
        --packets | --period-us | --warmup) bench_args+=("$1" "$2"); shift 2 ;;
        *) echo "usage: bench/outputs.sh [--packets N] [--period-us N] [--warmup N]" >&2; exit 2 ;;
    esac
done
[ ${#bench_args[@]} -gt 0 ] || bench_args=(--packets 1000)
live_build Tactilo tactilo-live-bench tactilo-live-uinput-floor
live_machine
harness="$root/tests/kernel/guest/qemu_guest.py"
python3 "$harness" prepare "$build" >/dev/null
results="$build/kernel/results/outputs"
script="$build/kernel/outputs_guest.sh"
cat >"$script" <<GUEST
modprobe -d "\$TGUEST_KERNEL_ROOT" -a uinput evdev || exit 1
mount -t tmpfs tmpfs /var/lib/xkb  # Xorg's compiled keymaps; the host root is read-only here
Xorg :0 -config "$root/tests/kernel/guest/xorg-dummy.conf" -noreset -nolisten tcp \
    -novtswitch -sharevts -logfile /tmp/Xorg.0.log >/tmp/Xorg.out 2>&1 &
xorg=\$!
for i in \$(seq 300); do [ -S /tmp/.X11-unix/X0 ] && break; sleep 0.1; done
export DISPLAY=:0 QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME=/tmp/config XDG_RUNTIME_DIR=/tmp/runtime
mkdir -p -m 700 "\$XDG_CONFIG_HOME" "\$XDG_RUNTIME_DIR"
# One 1920 x 1080 monitor and a root window of that size: X maps an absolute device over the
# root window, Tactilo and the floor over the monitors.
xrandr --fb 1920x1080 --output DUMMY0 --mode 1920x1080 --pos 0x0 || exit 1
echo "guest: \$(nproc) core, \$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
timeout --kill-after=5 240 "$bin/tactilo-live-bench" outputs --tactilo-exe "$build/bin/Tactilo" \
    --work-dir /tmp/work ${bench_args[*]}
status=\$?
kill \$xorg
exit \$status
GUEST
python3 "$harness" run "$build" "$script" --udev --results "$results" >"$tmp/guest.txt" 2>&1 || true
sed -n '/^--- guest.log ---$/,/^--- console.log ---$/p' "$tmp/guest.txt" | sed '1d;$d'
tail -n 1 "$tmp/guest.txt"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
[ "$(cat "$results/status" 2>/dev/null)" = 0 ]
