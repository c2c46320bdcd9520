#!/usr/bin/env bash
# A silent line costs nothing: the device connected, no bytes arriving for 10 s; the CPU
# time and the wake-ups of the process and of each of its threads, from /proc.
#
#   bench/silent.sh [--inprocess | --floor] [--seconds S] [--settle-ms N]
#
# The pipeline is the Tactilo executable; --inprocess runs tactilo-live-pipeline.
source "$(dirname "${BASH_SOURCE[0]}")/live/env.sh"
live_parse_args "$@"
live_build "${live_targets[@]}"
live_machine
live_start_xvfb
live_run 120 silent "${pipeline_args[@]}" "${driver_args[@]}"
