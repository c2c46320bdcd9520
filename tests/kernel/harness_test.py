#!/usr/bin/env python3
"""The harness's own promise: a guest that stops making progress fails within the bound of
the stage it is in, with its logs, however long a slow guest may take otherwise. Boots a guest
whose script reports a stage with a 5 s bound, prints a line, and then hangs."""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "guest"))
import qemu_guest  # noqa: E402

build_dir = sys.argv[1]
results = os.path.join(build_dir, "kernel", "results", "harness")
script = os.path.join(build_dir, "kernel", "harness_guest.sh")
os.makedirs(os.path.dirname(script), exist_ok=True)
with open(script, "w") as f:
    f.write('echo "STAGE hang 5" >>"$TGUEST_PROGRESS"\necho "about to hang"\n'
            'while :; do sleep 1; done\n')

guest = qemu_guest.Guest(build_dir, script, results)
with guest:
    try:
        status = guest.wait()
    except RuntimeError as error:
        message = str(error)
        ok = ("no progress for 5 s in stage 'hang'" in message and "about to hang" in message
              and guest.process.poll() is not None)
        print(message)
        print("harness_test: %s" % ("ok" if ok else "the failure did not say what hung"))
        sys.exit(0 if ok else 1)
print("harness_test: the hung guest was not failed (status %s)" % status)
sys.exit(1)
