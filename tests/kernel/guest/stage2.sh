#!/bin/sh
# The guest's second stage, run from the host's read-only root: writable places on tmpfs,
# the results share, udevd when asked, then the guest script. Its exit status lands in
# <results>/status, and the guest powers off.
#
# Progress: each stage appends "STAGE <name> <bound in seconds>" to $TGUEST_PROGRESS; the
# host fails the run when the guest shows no progress for the bound of its stage. The guest
# script reports its own stages the same way.
arg() { sed -n "s/.*\<$1=\([^ ]*\).*/\1/p" /proc/cmdline; }
results=$(arg tguest_results)
script=$(arg tguest_script)
kernel_root=$(arg tguest_kernel_root)
for dir in /tmp /run /var/tmp /var/log; do
    # A checkout under one of these folders (a clone in /tmp) must stay visible through the
    # tmpfs: its top folder is held aside on /dev (writable here) and moved back on top.
    case "$results" in
        "$dir"/*) rest="${results#"$dir"/}"; top="$dir/${rest%%/*}" ;;
        *) top="" ;;
    esac
    if [ -n "$top" ]; then
        mkdir -p /dev/.tguest-keep
        mount --bind "$top" /dev/.tguest-keep
    fi
    mount -t tmpfs -o mode=1777 tmpfs "$dir"
    if [ -n "$top" ]; then
        mkdir -p "$top"
        mount --move /dev/.tguest-keep "$top"
    fi
done
mount -t devpts -o gid=5,mode=620,ptmxmode=666 devpts /dev/pts 2>/dev/null ||
    { mkdir -p /dev/pts && mount -t devpts -o ptmxmode=666 devpts /dev/pts; }
mount -t 9p -o trans=virtio,version=9p2000.L,cache=none results "$results"
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
export HOME=/tmp/home TMPDIR=/tmp TGUEST_RESULTS="$results" TGUEST_KERNEL_ROOT="$kernel_root"
export TGUEST_PROGRESS="$results/progress"
mkdir -p "$HOME"
# The guest's clock runs in real time while the emulation slows down with the host's load:
# the boot's length measures how slow this run is. Test programs stretch their deadlines by
# this factor (an idle machine boots in about 4 s).
boot_s=$(cut -d. -f1 /proc/uptime)
export TACTILO_TEST_TIME_SCALE=$(( boot_s / 4 > 1 ? boot_s / 4 : 1 ))
echo "STAGE booted 60" >>"$TGUEST_PROGRESS"
echo "booted after ${boot_s} s: deadlines x${TACTILO_TEST_TIME_SCALE}" >"$results/guest.log"
# The host has no modules of the guest's kernel in /lib/modules: guest scripts load them from
# the unpacked package, `modprobe -d "$TGUEST_KERNEL_ROOT" -a xhci_pci ftdi_sio`.
if [ "$(arg tguest_udev)" = 1 ]; then
    /lib/systemd/systemd-udevd --daemon 2>>"$results/udevd.log"
    udevadm trigger --action=add >/dev/null 2>&1
    udevadm settle --timeout=$(( 10 * TACTILO_TEST_TIME_SCALE ))
fi
echo "STAGE script 60" >>"$TGUEST_PROGRESS"
cd "$results" || exit 1
/bin/sh "$script" >>"$results/guest.log" 2>&1
echo $? >"$results/status"
sync
echo o >/proc/sysrq-trigger
sleep 10
