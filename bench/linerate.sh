#!/usr/bin/env bash
# Throughput and CPU at 256000 baud: 8533 touch packets a second for 10 s through the live
# touch path with the real XTest output. Every packet must be handled (the reader's count,
# the motions the X server delivered), and the process must stay under 5 % of one core.
#
#   bench/linerate.sh [--inprocess | --floor] [--seconds S] [--rate R] [--packets-per-write N]
#
# --packets-per-write 8 hands the bytes over in 1 ms lots, as a USB serial adapter does.
# The pipeline is the Tactilo executable; --inprocess runs tactilo-live-pipeline, which also
# reports the reader's packet count; --floor runs the floor program (one read and one XTest
# motion per packet): the least any driver could spend at this rate.
source "$(dirname "${BASH_SOURCE[0]}")/live/env.sh"
live_parse_args "$@"
live_build "${live_targets[@]}"
live_machine
live_start_xvfb
live_run 120 linerate --xserver-pid "$xvfb_pid" "${pipeline_args[@]}" "${driver_args[@]}"
