#!/usr/bin/env python3
"""Runs one Windows test program under Wine and serves it what a Windows program cannot
reach from inside Wine.

    wine_run.py WINE64 PROGRAM.exe [ARGS...]

- COM5: a pseudo-terminal, linked as $WINEPREFIX/dosdevices/com5, which Wine opens as the
  serial port \\\\.\\COM5. This script holds the master side.
- Questions: the program writes a line "@@tactilo <request>" to its standard output and reads
  one line of answer from its standard input (testsupport/WineHost.h):
      write <hex bytes>   the bytes are written to COM5's master side; answer "ok"
      termios             the line settings Wine gave the terminal:
                          "speed=9600 csize=7 parenb=1 parodd=0 cstopb=1 crtscts=1 icanon=0"
      pointer             the X pointer as an X client sees it: "x y"
      trayer              a tray host (trayer) runs on the display; "ok" once its panel is
                          there (it is ended with the run)
      trayer restart      the tray host ends and a new one starts, as when a panel restarts
      docked              "x y" of the middle of the first icon docked in the tray host's
                          panel, as an X client sees it, or "none"
      icons               how many icons are docked in the tray host's panel
      click x y N         N clicks of the left button at x, y through X (xdotool)
  Every other line is passed through.

WINEPREFIX defaults to <build>/wine beside the program's bin/; the first run initialises it.
Without DISPLAY a private Xvfb is started for the run. WINEDEBUG is -all unless set.
"""
import os
import pty
import select
import subprocess
import sys
import termios
import time
import tty

BAUDS = {getattr(termios, "B%d" % b): b for b in (110, 300, 600, 1200, 2400, 4800, 9600, 19200,
                                                  38400, 57600, 115200, 230400)
         if hasattr(termios, "B%d" % b)}
CSIZES = {termios.CS5: 5, termios.CS6: 6, termios.CS7: 7, termios.CS8: 8}


def start_xvfb():
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
                             "1280x1024x24", "-nolisten", "tcp"], pass_fds=(write_fd,),
                            stderr=subprocess.DEVNULL)
    os.close(write_fd)
    with os.fdopen(read_fd) as pipe:
        number = pipe.readline().strip()
    if not number:
        sys.exit("wine_run: Xvfb did not start")
    return xvfb, ":" + number


def termios_text(fd):
    iflag, oflag, cflag, lflag, ispeed, ospeed, cc = termios.tcgetattr(fd)
    crtscts = getattr(termios, "CRTSCTS", 0o20000000000)
    return "speed=%s csize=%d parenb=%d parodd=%d cstopb=%d crtscts=%d icanon=%d" % (
        BAUDS.get(ospeed, ospeed), CSIZES[cflag & termios.CSIZE],
        bool(cflag & termios.PARENB), bool(cflag & termios.PARODD),
        bool(cflag & termios.CSTOPB), bool(cflag & crtscts), bool(lflag & termios.ICANON))


def pointer_text(env):
    out = subprocess.run(["xdotool", "getmouselocation", "--shell"], env=env,
                         capture_output=True, text=True, check=True).stdout
    values = dict(line.split("=", 1) for line in out.split())
    return "%s %s" % (values["X"], values["Y"])


TRAYER = []


def panel_window(env):
    out = subprocess.run(["xdotool", "search", "--classname", "panel"], env=env,
                         capture_output=True, text=True).stdout.split()
    return out[0] if out else None


def start_trayer(env):
    if not TRAYER:
        deadline = time.monotonic() + 10
        while panel_window(env) and time.monotonic() < deadline:
            time.sleep(0.1)  # the old panel's window is still there
        TRAYER.append(subprocess.Popen(
            ["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width",
             "120", "--height", "24"], env=env, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL))
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        if panel_window(env):
            return "ok"
        time.sleep(0.1)
    return "error no panel"


def docked_text(env):
    """The first Wine window embedded in the panel: Wine docks each icon as a window of
    the process that shows the tray (explorer.exe) inside a socket of the panel."""
    panel = panel_window(env)
    if not panel:
        return "none"
    tree = subprocess.run(["xwininfo", "-tree", "-id", panel], env=env, capture_output=True,
                          text=True).stdout
    for line in tree.splitlines():
        if '"explorer.exe"' in line:
            # ... 20x22+0+0  +1259+1: size, then the position on the root window last
            geometry = line.split()[-2:]
            width, height = geometry[0].split("+")[0].split("x")
            x, y = geometry[1].lstrip("+").split("+")
            return "%d %d" % (int(x) + int(width) // 2, int(y) + int(height) // 2)
    return "none"


def icon_count(env):
    """How many Wine icons are docked in the panel (see docked_text)."""
    panel = panel_window(env)
    if not panel:
        return 0
    tree = subprocess.run(["xwininfo", "-tree", "-id", panel], env=env, capture_output=True,
                          text=True).stdout
    return sum(1 for line in tree.splitlines() if '"explorer.exe"' in line)


def answer(request, master, env):
    verb, _, rest = request.partition(" ")
    if verb == "trayer":
        if rest == "restart":
            for trayer in TRAYER:
                trayer.terminate()
                trayer.wait()
            TRAYER.clear()
        return start_trayer(env)
    if verb == "docked":
        return docked_text(env)
    if verb == "icons":
        return str(icon_count(env))
    if verb == "click":
        x, y, count = rest.split()
        subprocess.run(["xdotool", "mousemove", "--sync", x, y, "click", "--repeat", count,
                        "--delay", "80", "1"], env=env, check=True)
        return "ok"
    if verb == "write":
        os.write(master, bytes.fromhex(rest))
        return "ok"
    if verb == "termios":
        return termios_text(master)
    if verb == "pointer":
        return pointer_text(env)
    return "error unknown request " + verb


def serve(child, master, env):
    """Passes the program's output through and answers its questions until it has ended.

    Not until end of file: Wine's own service processes, started by the first program of a
    session, inherit its standard output and error and keep them open long after it ended
    (so its standard error comes here too, never to the caller's pipe)."""
    out = child.stdout.fileno()
    pending = b""
    while True:
        ready, _, _ = select.select([out], [], [], 0.2)
        if not ready:
            if child.poll() is not None:
                break  # ended, and nothing more came
            continue
        chunk = os.read(out, 65536)
        if not chunk:
            break
        pending += chunk
        *lines, pending = pending.split(b"\n")
        for raw in lines:
            line = raw.decode("utf-8", "replace").rstrip("\r")
            if line.startswith("@@tactilo "):
                reply = answer(line[len("@@tactilo "):].strip(), master, env) + "\n"
                child.stdin.write(reply.encode())
                child.stdin.flush()
            else:
                print(line, flush=True)
    if pending:
        print(pending.decode("utf-8", "replace"), flush=True)


def main():
    wine, program, args = sys.argv[1], sys.argv[2], sys.argv[3:]
    env = dict(os.environ)
    build = os.path.dirname(os.path.dirname(os.path.abspath(program)))
    env.setdefault("WINEPREFIX", os.path.join(build, "wine"))
    env.setdefault("WINEDEBUG", "-all")
    # No Mono or Gecko installer dialogs: the tests need neither.
    env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    xvfb = None
    if not env.get("DISPLAY"):
        xvfb, env["DISPLAY"] = start_xvfb()
    try:
        prefix = env["WINEPREFIX"]
        if not os.path.exists(os.path.join(prefix, "system.reg")):
            started = time.monotonic()
            subprocess.run([wine, "wineboot", "-i"], env=env, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            print("wine_run: prefix %s made in %.1f s" % (prefix, time.monotonic() - started))
        master, slave = pty.openpty()
        tty.setraw(master)
        link = os.path.join(prefix, "dosdevices", "com5")
        if os.path.lexists(link):
            os.unlink(link)
        os.symlink(os.ttyname(slave), link)
        child = subprocess.Popen([wine, program] + args, env=env, stdin=subprocess.PIPE,
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        serve(child, master, env)
        return child.wait()
    finally:
        for trayer in TRAYER:
            trayer.terminate()
            trayer.wait()
        if xvfb:
            # Wine's own processes first: an X server gone under them makes the Wine server
            # dump its objects over the test output.
            wineserver = os.path.join(os.path.dirname(wine), "wineserver")
            subprocess.run([wineserver, "-k"], env=env, stderr=subprocess.DEVNULL)
            xvfb.terminate()
            xvfb.wait()


if __name__ == "__main__":
    sys.exit(main())
