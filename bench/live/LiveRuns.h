#pragma once

#include <string>

#include "LivePipeline.h"

// The measurements of the live touch path. Each starts what it needs, measures, prints its
// figures on standard output and returns the exit status (0: measured; 1: something failed
// on the way, said on standard error).
struct LiveOptions {
    LiveSetup setup;
    std::string strDisplay;  // empty: $DISPLAY
    std::string strFloorExe;
    std::string strUinputFloorExe;  // outputs: tactilo-live-uinput-floor
    int nXServerPid = 0;            // when given, its CPU is shown beside the pipeline's

    int nPackets = 2000;   // latency: measured packets per side
    int nWarmup = 50;      // latency: rounds not counted
    int nPeriodUs = 5000;  // latency: time between two packets (so 100 per second per side)

    double dSeconds = 10.0;          // line rate, silent line
    double dRate = 256000.0 / 30.0;  // line rate: packets per second (10 bits a byte)
    int nPacketsPerWrite = 1;        // line rate: packets handed over at once

    int nRuns = 10;        // start-up
    int nSettleMs = 1000;  // silent line, start-up: quiet time before measuring
};

int RunLatency(const LiveOptions& options);
int RunLineRate(const LiveOptions& options);
int RunSilent(const LiveOptions& options);
int RunStartup(const LiveOptions& options);
// Tactilo through uinput, Tactilo through XTest and the uinput floor, side by side.
int RunOutputs(const LiveOptions& options);
