#!/usr/bin/env bash
# Start-up of the Tactilo executable: launch (resident mode, a tray host already running) to
# the tray icon embedded in the host, and the resident memory then and a second later.
#
#   bench/startup.sh [--runs N] [--settle-ms N]
#
# The executable is TACTILO_EXE, default the release build's; it runs as a copy with its own
# Settings.dat, whose ticked device is a pseudo-terminal.
source "$(dirname "${BASH_SOURCE[0]}")/live/env.sh"
live_parse_args "$@"
live_build tactilo-live-bench Tactilo
live_machine
live_start_xvfb
live_start_trayer
live_run 300 startup --tactilo-exe "${TACTILO_EXE:-$build/bin/Tactilo}" "${driver_args[@]}"
