#!/usr/bin/env python3
"""Boots Debian's own kernel in QEMU on the host's root and runs a guest script there.

The guest sees the host's root read-only over 9p (so it runs the host's build and
packages), a writable results folder at the same path as on the host, and tmpfs on /tmp,
/run, /var/tmp and /var/log. The kernel package is downloaded and unpacked once into the
build tree; the initramfs is built once per test run (`prepare`, a CTest fixture).

Host-side tests use `Guest`: extra QEMU devices, QEMU's monitor (device_del/device_add),
the host side of socket chardevs, and a line-based control channel to the guest
(/dev/ttyS1 in the guest; `tguest-host` there sends one request and prints the answer).

No deadline here is a constant for the whole run: a software-emulated guest slows down by the
factor the host is loaded, so a run may take many times its idle time and must still pass,
while a hung one must fail in bounded time. The guest therefore reports its progress: every
stage writes "STAGE <name> <bound in seconds>" to <results>/progress (`tguest_stage` in the
guest scripts), and every line its script prints lands in <results>/guest.log. The run fails
when neither has grown for the bound of the stage it is in:

    stage             reported by             bound   covers
    (start)           -                       BOOT    QEMU, the kernel, init, 9p root
    booted            stage2.sh               60 s    udevd and its settling
    udev / script     stage2.sh               60 s    the guest script up to its own stages
    <script's own>    the guest script        its own each step (a test program's output
                                                      is progress too)

    qemu_guest.py prepare BUILD_DIR
    qemu_guest.py run BUILD_DIR GUEST_SCRIPT [--udev] [-- QEMU_ARGS...]
"""

import argparse
import fcntl
import gzip
import hashlib
import io
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time

# How long QEMU, the kernel and init may take before the guest's first report. An idle
# 2-core machine boots it in about 3 s; a loaded one several times that.
BOOT_BOUND_S = 90
HERE = os.path.dirname(os.path.abspath(__file__))
# The modules the initramfs needs to reach the host's root, in load order.
BOOT_MODULES = ["virtio_pci", "9pnet_virtio", "9p"]


def fail(message):
    print("qemu_guest: " + message, file=sys.stderr)
    sys.exit(2)


def kernel_dir(build_dir):
    return os.path.join(os.path.abspath(build_dir), "kernel")


def kernel_package_name():
    """The linux-image-6.1.0-N-amd64 that linux-image-amd64 depends on today."""
    out = subprocess.run(["apt-cache", "depends", "linux-image-amd64"],
                         capture_output=True, text=True, check=False).stdout
    match = re.search(r"Depends:\s*(linux-image-\S+-amd64)", out)
    if not match:
        fail("apt-cache knows no linux-image-amd64; run scripts/deps (apt-get update)")
    return match.group(1)


def unpacked_kernel(build_dir):
    """(root, release) of the unpacked kernel package, fetched once."""
    base = kernel_dir(build_dir)
    os.makedirs(base, exist_ok=True)
    with open(os.path.join(base, ".lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)  # two tests of one run must not unpack twice
        roots = [d for d in os.listdir(base) if d.startswith("linux-image-")
                 and os.path.isdir(os.path.join(base, d, "boot"))]
        if not roots:
            package = kernel_package_name()
            work = tempfile.mkdtemp(dir=base)
            subprocess.run(["apt-get", "download", package], cwd=work, check=True,
                           stdout=subprocess.DEVNULL)
            deb = [f for f in os.listdir(work) if f.endswith(".deb")][0]
            root = os.path.join(work, "root")
            subprocess.run(["dpkg-deb", "-x", os.path.join(work, deb), root], check=True)
            release = os.listdir(os.path.join(root, "lib", "modules"))[0]
            subprocess.run(["depmod", "-b", root, release], check=True)
            os.rename(root, os.path.join(base, package))
            shutil.rmtree(work)
            roots = [package]
        root = os.path.join(base, roots[0])
    release = os.listdir(os.path.join(root, "lib", "modules"))[0]
    return root, release


def module_chain(root, release, names):
    """Module files for names, each after the modules it needs."""
    moddir = os.path.join(root, "lib", "modules", release)
    deps = {}
    with open(os.path.join(moddir, "modules.dep")) as dep:
        for line in dep:
            path, _, needs = line.partition(":")
            deps[os.path.basename(path)[:-3].replace("-", "_")] = (path, needs.split())
    order = []

    def add(path):
        name = os.path.basename(path)[:-3].replace("-", "_")
        for need in deps[name][1]:
            add(need)
        if path not in order:
            order.append(path)

    for name in names:
        add(deps[name][0])
    return [os.path.join(moddir, p) for p in order]


def cpio_newc(entries):
    """A newc cpio archive of (name, mode, data) entries; data None for folders."""
    out = io.BytesIO()
    for ino, (name, mode, data) in enumerate(entries + [("TRAILER!!!", 0, b"")], 1):
        data = data or b""
        fields = [ino, mode, 0, 0, 1, 0, len(data), 0, 0, 0, 0, len(name) + 1, 0]
        out.write(b"070701" + b"".join(b"%08X" % f for f in fields))
        out.write(name.encode() + b"\0")
        out.write(b"\0" * (-out.tell() % 4))
        out.write(data)
        out.write(b"\0" * (-out.tell() % 4))
    return out.getvalue()


def prepare(build_dir):
    """Kernel image and initramfs paths; the initramfs is rebuilt when its parts change."""
    root, release = unpacked_kernel(build_dir)
    busybox = shutil.which("busybox") or "/bin/busybox"
    if not os.path.exists(busybox):
        fail("busybox (busybox-static) is missing; run scripts/deps")
    modules = module_chain(root, release, BOOT_MODULES)
    entries = [("bin", 0o40755, None), ("proc", 0o40755, None), ("sys", 0o40755, None),
               ("dev", 0o40755, None), ("newroot", 0o40755, None), ("modules", 0o40755, None)]
    entries.append(("bin/busybox", 0o100755, open(busybox, "rb").read()))
    entries.append(("init", 0o100755, open(os.path.join(HERE, "init"), "rb").read()))
    listed = []
    for path in modules:
        name = os.path.basename(path)
        entries.append(("modules/" + name, 0o100644, open(path, "rb").read()))
        listed.append(name)
    entries.append(("modules.list", 0o100644, ("\n".join(listed) + "\n").encode()))
    image = cpio_newc(entries)
    digest = hashlib.sha256(image).hexdigest()[:16]
    initrd = os.path.join(kernel_dir(build_dir), "initramfs-%s.cpio.gz" % digest)
    if not os.path.exists(initrd):
        with open(initrd + ".tmp", "wb") as f:
            f.write(gzip.compress(image, 1))
        os.rename(initrd + ".tmp", initrd)
    vmlinuz = os.path.join(root, "boot", "vmlinuz-" + release)
    return vmlinuz, initrd, root


class Guest:
    """One guest run. Use as a context manager; `wait()` returns the guest script's status."""

    def __init__(self, build_dir, script, results, udev=False, qemu_args=(), memory_mb=512,
                 kernel_args=""):
        if not shutil.which("qemu-system-x86_64"):
            fail("qemu-system-x86_64 (qemu-system-x86) is missing; run scripts/deps")
        self.results = os.path.abspath(results)
        shutil.rmtree(self.results, ignore_errors=True)
        os.makedirs(self.results)
        self.sockets = tempfile.mkdtemp(prefix="tguest-")
        vmlinuz, initrd, kernel_root = prepare(build_dir)
        self.monitor_path = os.path.join(self.sockets, "monitor")
        self.control_path = os.path.join(self.sockets, "control")
        append = ("console=ttyS0 panic=-1 quiet loglevel=4 tguest_stage2=%s tguest_script=%s "
                  "tguest_results=%s tguest_kernel_root=%s tguest_udev=%d" %
                  (os.path.join(HERE, "stage2.sh"), os.path.abspath(script), self.results,
                   kernel_root, 1 if udev else 0))
        if kernel_args:
            append += " " + kernel_args
        accel = ["-accel", "kvm"] if os.access("/dev/kvm", os.W_OK) and \
            os.environ.get("TGUEST_KVM") == "1" else ["-accel", "tcg"]
        self.command = (["qemu-system-x86_64", "-nodefaults", "-nographic", "-no-reboot",
                         "-m", str(memory_mb), "-smp", "1", "-cpu", "max"] + accel +
                        ["-kernel", vmlinuz, "-initrd", initrd, "-append", append,
                         "-virtfs", "local,path=/,mount_tag=hostroot,security_model=none,"
                         "readonly=on,multidevs=remap",
                         "-virtfs", "local,path=%s,mount_tag=results,security_model=none,"
                         "multidevs=remap" % self.results,
                         "-serial", "file:" + os.path.join(self.results, "console.log"),
                         "-serial", "unix:%s,server=on,wait=off" % self.control_path,
                         "-monitor", "unix:%s,server=on,wait=off" % self.monitor_path] +
                        list(qemu_args))
        self.process = None
        self.started = None
        self._monitor = None
        self._control = None

    def socket_path(self, name):
        """A path for a chardev socket of the test's own, e.g. usb-serial's host side."""
        return os.path.join(self.sockets, name)

    def __enter__(self):
        self.started = time.monotonic()
        self._marker, self._moved = None, self.started
        self.process = subprocess.Popen(self.command, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        return self

    def __exit__(self, *exc):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        for s in (self._monitor, self._control):
            if s:
                s.close()
        shutil.rmtree(self.sockets, ignore_errors=True)

    def connect(self, path, timeout=60):
        """Connects to one of QEMU's server sockets once QEMU has made it."""
        deadline = time.monotonic() + timeout
        while True:
            sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
            try:
                sock.connect(path)
                return sock
            except (FileNotFoundError, ConnectionRefusedError):
                sock.close()
                if time.monotonic() > deadline or self.process.poll() is not None:
                    raise RuntimeError("QEMU made no socket " + path)
                time.sleep(0.05)  # QEMU is still starting: nothing to wait on but the path

    def monitor(self, command):
        """Runs a human-monitor command (device_del, device_add, info usb) and returns its
        output."""
        if self._monitor is None:
            self._monitor = self.connect(self.monitor_path)
            self._read_until(self._monitor, b"(qemu) ")
        self._monitor.sendall(command.encode() + b"\n")
        text = self._read_until(self._monitor, b"(qemu) ").decode(errors="replace")
        return text.replace("\r", "").split("\n", 1)[-1].rsplit("(qemu) ", 1)[0]

    @staticmethod
    def _read_until(sock, marker, timeout=120):
        sock.settimeout(timeout)
        data = b""
        while not data.endswith(marker):
            chunk = sock.recv(4096)
            if not chunk:
                raise RuntimeError("QEMU closed its monitor")
            data += chunk
        return data

    def progress(self):
        """(stage, bound_s, marker): the stage the guest reported last, its bound, and what
        changes whenever the guest moves on (sizes of its progress file and its logs)."""
        stage, bound = "boot", BOOT_BOUND_S
        marker = []
        path = os.path.join(self.results, "progress")
        try:
            with open(path, errors="replace") as f:
                lines = f.read().splitlines()
        except OSError:
            lines = []
        for line in lines:
            fields = line.split()
            if len(fields) == 3 and fields[0] == "STAGE" and fields[2].isdigit():
                stage, bound = fields[1], int(fields[2])
        for name in ("progress", "guest.log"):
            try:
                marker.append(os.stat(os.path.join(self.results, name)).st_size)
            except OSError:
                marker.append(-1)
        return stage, bound, tuple(marker)

    def _watch(self):
        """Raises when the guest has made no progress for its stage's bound."""
        stage, bound, marker = self.progress()
        now = time.monotonic()
        if marker != self._marker:
            self._marker, self._moved = marker, now
        elif now - self._moved > bound:
            self.process.kill()
            self.process.wait()
            raise RuntimeError("the guest made no progress for %d s in stage '%s' (%.0f s "
                               "after the start)\n%s" % (bound, stage, now - self.started,
                                                         self.report()))

    def requests(self, handler):
        """Answers the guest's control requests with handler(line) -> answer until the guest
        ends; returns the guest script's exit status."""
        self._control = self.connect(self.control_path)
        self._control.settimeout(0.2)
        pending = b""
        while self.process.poll() is None:
            self._watch()
            try:
                chunk = self._control.recv(4096)
            except socket.timeout:
                continue
            if not chunk:
                break
            pending += chunk
            while b"\n" in pending:
                line, pending = pending.split(b"\n", 1)
                line = line.decode(errors="replace").strip()
                if line:
                    answer = handler(line)
                    self._control.sendall((answer or "ok").encode() + b"\n")
        return self.wait()

    def wait(self):
        """Waits for the guest to power off, as long as it makes progress; returns the guest
        script's exit status (None when it never wrote one)."""
        while True:
            try:
                self.process.wait(0.2)
                break
            except subprocess.TimeoutExpired:
                self._watch()
        self.seconds = time.monotonic() - self.started
        status_file = os.path.join(self.results, "status")
        if not os.path.exists(status_file):
            return None
        return int(open(status_file).read().strip() or "1")

    def report(self):
        """The guest's own output, for a failing test's log."""
        parts = []
        for name in ("progress", "guest.log", "console.log", "udevd.log"):
            path = os.path.join(self.results, name)
            if os.path.exists(path):
                parts.append("--- %s ---\n%s" % (name, open(path, errors="replace").read()))
        return "\n".join(parts)


def main():
    parser = argparse.ArgumentParser()
    sub = parser.add_subparsers(dest="command", required=True)
    p = sub.add_parser("prepare")
    p.add_argument("build_dir")
    r = sub.add_parser("run")
    r.add_argument("build_dir")
    r.add_argument("script")
    r.add_argument("--udev", action="store_true")
    r.add_argument("--results")
    args, qemu_args = parser.parse_known_args()
    args.qemu_args = [a for a in qemu_args if a != "--"]
    if args.command == "prepare":
        vmlinuz, initrd, _ = prepare(args.build_dir)
        print(vmlinuz)
        print(initrd)
        return 0
    results = args.results or os.path.join(args.build_dir, "kernel", "results",
                                           os.path.basename(args.script))
    with Guest(args.build_dir, args.script, results, args.udev, args.qemu_args) as guest:
        status = guest.wait()
        print(guest.report())
        print("qemu_guest: status %s after %.1f s" % (status, guest.seconds))
        return 0 if status == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
