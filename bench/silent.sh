#!/usr/bin/env bash
# A silent line costs nothing: the device connected, no bytes arriving for 10 s; the CPU
# time and the wake-ups of the process and of each of its threads, from /proc.
#
#   bench/silent.sh [--tactilo | --floor] [--seconds S] [--settle-ms N]
source "$(dirname "${BASH_SOURCE[0]}")/live/env.sh"
live_parse_args "$@"
targets=(tactilo-live-bench tactilo-live-pipeline tactilo-live-floor)
[ ${#pipeline_args[@]} -gt 0 ] && targets+=(Tactilo)
live_build "${targets[@]}"
live_machine
live_start_xvfb
live_run 120 silent "${pipeline_args[@]}" "${driver_args[@]}"
