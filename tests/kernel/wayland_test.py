#!/usr/bin/env python3
"""Host side of the Wayland guest test: boots the guest with a two-output virtio-gpu and
udevd, loads uinput, evdev and virtio-gpu there, starts seatd as root and sway as the user
nobody on it (pixman renderer, DRM and libinput back-ends), and runs the guest test program,
which starts our Wayland client, the simulator and Tactilo on Qt's Wayland platform.

Without a QEMU window only the first scanout is lit: the kernel's video= switch forces the
second on (800 x 600). The guest has no /dev/fd, which bash's process substitution needs, nor
/dev/shm, where sway puts its keymaps: the script makes both."""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "guest"))
import qemu_guest  # noqa: E402

build_dir, guest_binary = sys.argv[1], sys.argv[2]
results = os.path.join(build_dir, "kernel", "results", "wayland")
script = os.path.join(build_dir, "kernel", "wayland_guest.sh")
os.makedirs(os.path.dirname(script), exist_ok=True)
with open(script, "w") as f:
    f.write("""modprobe -d "$TGUEST_KERNEL_ROOT" -a uinput evdev virtio_gpu || exit 1
[ -e /dev/fd ] || ln -s /proc/self/fd /dev/fd
mkdir -p /dev/shm && mount -t tmpfs -o mode=1777 tmpfs /dev/shm
udevadm settle
echo "STAGE seatd 30" >>"$TGUEST_PROGRESS"
seatd -u nobody -g nogroup >"$TGUEST_RESULTS/seatd.log" 2>&1 &
while [ ! -S /run/seatd.sock ]; do sleep 0.1; done
mkdir -p /tmp/xdg /tmp/xdg-root /tmp/nobody
chown nobody:nogroup /tmp/xdg /tmp/nobody
chmod 700 /tmp/xdg /tmp/xdg-root
cat >/tmp/sway.conf <<'CONF'
output Virtual-1 mode 1024x768 pos 0 0 scale 1
output Virtual-2 mode 800x600 pos 1024 168 scale 1
CONF
echo "STAGE sway 90" >>"$TGUEST_PROGRESS"
setpriv --reuid=nobody --regid=nogroup --clear-groups \\
    env HOME=/tmp/nobody XDG_RUNTIME_DIR=/tmp/xdg LIBSEAT_BACKEND=seatd WLR_RENDERER=pixman \\
    WLR_BACKENDS=drm,libinput sway -c /tmp/sway.conf >"$TGUEST_RESULTS/sway.log" 2>&1 &
sway=$!
# sway makes its sockets once it runs; the host's progress watch bounds the wait.
while ! ls /tmp/xdg/sway-ipc.*.sock >/dev/null 2>&1 && kill -0 $sway 2>/dev/null; do
    sleep 0.2
done
while [ ! -S /tmp/xdg/wayland-1 ] && kill -0 $sway 2>/dev/null; do sleep 0.2; done
export SWAYSOCK=$(ls /tmp/xdg/sway-ipc.*.sock)
echo "STAGE tests 120" >>"$TGUEST_PROGRESS"
%(binary)s --gtest_color=no $TGUEST_GTEST_ARGS
status=$?
kill $sway
exit $status
""" % {"binary": os.path.abspath(guest_binary)})

guest = qemu_guest.Guest(build_dir, script, results, udev=True, memory_mb=1024,
                         qemu_args=["-device", "virtio-gpu-pci,max_outputs=2,xres=1024,yres=768"],
                         kernel_args="video=Virtual-2:800x600e")
with guest:
    status = guest.wait()
    print(guest.report())
    print("wayland_test: guest status %s after %.1f s" % (status, guest.seconds))
sys.exit(0 if status == 0 else 1)
