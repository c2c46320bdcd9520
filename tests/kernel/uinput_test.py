#!/usr/bin/env python3
"""Host side of the uinput guest test: boots the guest with udevd, loads uinput and evdev
there, starts Xorg (dummy video driver, libinput input driver) on :0 and runs the guest
test program against it. Nothing to answer: the packets come from the simulator inside."""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "guest"))
import qemu_guest  # noqa: E402

build_dir, guest_binary = sys.argv[1], sys.argv[2]
results = os.path.join(build_dir, "kernel", "results", "uinput")
script = os.path.join(build_dir, "kernel", "uinput_guest.sh")
os.makedirs(os.path.dirname(script), exist_ok=True)
with open(script, "w") as f:
    f.write("""modprobe -d "$TGUEST_KERNEL_ROOT" -a uinput evdev || exit 1
# Xorg compiles its keymap into /var/lib/xkb, which is on the read-only host root here.
mount -t tmpfs tmpfs /var/lib/xkb
echo "STAGE xorg 60" >>"$TGUEST_PROGRESS"
Xorg :0 -config %(conf)s -noreset -nolisten tcp -novtswitch -sharevts \
    -logfile "$TGUEST_RESULTS/Xorg.0.log" >"$TGUEST_RESULTS/Xorg.out" 2>&1 &
xorg=$!
# Xorg makes its socket once it is ready; nothing else to wait on from a shell. No count
# bounds the wait: the host's progress watch does, from the stage's bound.
while [ ! -S /tmp/.X11-unix/X0 ] && kill -0 $xorg 2>/dev/null; do sleep 0.1; done
DISPLAY=:0 xrandr --addmode DUMMY1 1920x1080 || { cat "$TGUEST_RESULTS/Xorg.0.log"; exit 1; }
echo "STAGE tests 90" >>"$TGUEST_PROGRESS"
%(binary)s --gtest_color=no $TGUEST_GTEST_ARGS
status=$?
kill $xorg
exit $status
""" % {"conf": os.path.join(os.path.dirname(os.path.abspath(__file__)), "guest",
                            "xorg-dummy.conf"),
       "binary": os.path.abspath(guest_binary)})

guest = qemu_guest.Guest(build_dir, script, results, udev=True)
with guest:
    status = guest.wait()
    print(guest.report())
    print("uinput_test: guest status %s after %.1f s" % (status, guest.seconds))
sys.exit(0 if status == 0 else 1)
