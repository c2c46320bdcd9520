#!/usr/bin/env python3
"""Host side of the USB serial guest test: boots the guest with QEMU's FTDI adapter on an
xHCI controller, its chardev a socket in our hands, and answers the guest's requests:
`send HEX` writes bytes to the adapter, `unplug` / `plug` pull it and put it back on
QEMU's monitor."""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "guest"))
import qemu_guest  # noqa: E402

build_dir, guest_binary = sys.argv[1], sys.argv[2]
results = os.path.join(build_dir, "kernel", "results", "usb_serial")
script = os.path.join(build_dir, "kernel", "usb_serial_guest.sh")
os.makedirs(os.path.dirname(script), exist_ok=True)
with open(script, "w") as f:
    f.write("""modprobe -d "$TGUEST_KERNEL_ROOT" -a xhci_pci ftdi_sio
echo "STAGE adapter 60" >>"$TGUEST_PROGRESS"
udevadm wait --timeout=$((20 * TACTILO_TEST_TIME_SCALE)) %(byid)s || { echo "no by-id link"; ls -l /dev/serial/by-id; exit 1; }
ls -l /dev/ttyUSB0 %(byid)s
echo "STAGE tests 90" >>"$TGUEST_PROGRESS"
exec %(binary)s --gtest_color=no
""" % {"byid": "/dev/serial/by-id/usb-QEMU_QEMU_USB_SERIAL_T1-if00-port0",
       "binary": os.path.abspath(guest_binary)})

ADAPTER = "usb-serial,id=adapter,chardev=adapter,serial=T1,bus=xhci.0"
guest = qemu_guest.Guest(build_dir, script, results, udev=True,
                         qemu_args=["-device", "qemu-xhci,id=xhci"])
chardev = guest.socket_path("adapter")
guest.command += ["-chardev", "socket,id=adapter,path=%s,server=on,wait=off" % chardev,
                  "-device", ADAPTER]
host_side = []


def answer(request):
    verb, _, argument = request.partition(" ")
    if verb == "send":
        host_side[0].sendall(bytes.fromhex(argument))
        return "ok"
    if verb == "unplug":
        out = guest.monitor("device_del adapter").strip()
        return out or "ok"
    if verb == "plug":
        # device_del only asks the guest; QEMU lets go of the chardev a moment after the
        # guest has released the device, and until then device_add says it is in use.
        deadline = time.monotonic() + 60
        while True:
            out = guest.monitor("device_add " + ADAPTER).strip()
            if "in use" not in out or time.monotonic() > deadline:
                return out or "ok"
            time.sleep(0.05)
    return "unknown request " + request


with guest:
    # QEMU's usb-serial is attached to the guest's bus only while its chardev has a peer.
    host_side.append(guest.connect(chardev))
    try:
        status = guest.requests(answer)
    finally:
        for s in host_side:
            s.close()
    print(guest.report())
    print("usb_serial_test: guest status %s after %.1f s" % (status, guest.seconds))
sys.exit(0 if status == 0 else 1)
