#!/usr/bin/env bash
# Latency of the live touch path against the floor, side by side: from the last byte of a
# packet written on the pseudo-terminal to the pointer motion another X client sees.
#
#   bench/latency.sh [--inprocess] [--packets N] [--period-us N] [--warmup N]
#
# The pipeline is the Tactilo executable (TACTILO_EXE, default the release build's); with
# --inprocess, tactilo-live-pipeline, the program's parts wired as the main window wires
# them. See bench/README.md.
source "$(dirname "${BASH_SOURCE[0]}")/live/env.sh"
live_parse_args "$@"
live_build "${live_targets[@]}"
live_machine
live_start_xvfb
live_run 300 latency --xserver-pid "$xvfb_pid" "${pipeline_args[@]}" "${driver_args[@]}"
