// tactilo-live-bench: the speed measurements of the live touch path, run by the scripts in
// bench/ on a private X server. See bench/README.md.
//
//   tactilo-live-bench latency|linerate|silent|startup|outputs [options]
//
//   outputs: Tactilo through uinput, Tactilo through XTest (COM<port> and COM<port+1>) and
//   the uinput floor, side by side (latency options; needs --tactilo-exe and /dev/uinput)
//
//   --pipeline inprocess|tactilo|floor  what reads the line (default inprocess)
//   --pipeline-exe PATH           tactilo-live-pipeline (default: beside this program)
//   --floor-exe PATH              tactilo-live-floor (default: beside this program)
//   --uinput-floor-exe PATH       tactilo-live-uinput-floor (default: beside this program)
//   --tactilo-exe PATH            the Tactilo executable (copied into the work directory)
//   --work-dir DIR                where Settings.dat and the copy go (required)
//   --port N                      the COM number of the line (default 7)
//   --xserver-pid PID             show the X server's CPU beside the pipeline's
//   --packets N --warmup N --period-us N        latency
//   --seconds S --rate R --packets-per-write N  line rate (seconds also: silent line)
//   --runs N --settle-ms N                      start-up (settle also: silent line)
//
// The X display is $DISPLAY; port links go below $XDG_CONFIG_HOME/Brenhold/ports.

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "LiveRuns.h"

namespace {

std::string Beside(const char* szName) {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return (self.parent_path() / szName).string();
}

int Usage() {
    std::fprintf(stderr,
                 "usage: tactilo-live-bench latency|linerate|silent|startup|outputs --work-dir DIR "
                 "[options]\n(see the head of bench/live/LiveBench.cpp)\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return Usage();
    }
    signal(SIGPIPE, SIG_IGN);  // a child that died must not take us with it
    const std::string strMode = argv[1];
    LiveOptions options;
    options.setup.strPipelineExe = Beside("tactilo-live-pipeline");
    options.strFloorExe = Beside("tactilo-live-floor");
    options.setup.strFloorExe = options.strFloorExe;
    options.strUinputFloorExe = Beside("tactilo-live-uinput-floor");
    for (int i = 2; i < argc; ++i) {
        const std::string strOption = argv[i];
        if (i + 1 >= argc) {
            std::fprintf(stderr, "%s: a value is missing\n", strOption.c_str());
            return Usage();
        }
        const char* szValue = argv[++i];
        if (strOption == "--pipeline") {
            options.setup.strKind = szValue;
        } else if (strOption == "--pipeline-exe") {
            options.setup.strPipelineExe = szValue;
        } else if (strOption == "--floor-exe") {
            options.strFloorExe = szValue;
            options.setup.strFloorExe = szValue;
        } else if (strOption == "--uinput-floor-exe") {
            options.strUinputFloorExe = szValue;
        } else if (strOption == "--tactilo-exe") {
            options.setup.strTactiloExe = szValue;
        } else if (strOption == "--work-dir") {
            options.setup.strWorkDir = szValue;
        } else if (strOption == "--port") {
            options.setup.nPort = std::atoi(szValue);
        } else if (strOption == "--xserver-pid") {
            options.nXServerPid = std::atoi(szValue);
        } else if (strOption == "--packets") {
            options.nPackets = std::atoi(szValue);
        } else if (strOption == "--warmup") {
            options.nWarmup = std::atoi(szValue);
        } else if (strOption == "--period-us") {
            options.nPeriodUs = std::atoi(szValue);
        } else if (strOption == "--seconds") {
            options.dSeconds = std::atof(szValue);
        } else if (strOption == "--rate") {
            options.dRate = std::atof(szValue);
        } else if (strOption == "--packets-per-write") {
            options.nPacketsPerWrite = std::atoi(szValue);
        } else if (strOption == "--runs") {
            options.nRuns = std::atoi(szValue);
        } else if (strOption == "--settle-ms") {
            options.nSettleMs = std::atoi(szValue);
        } else {
            std::fprintf(stderr, "unknown option %s\n", strOption.c_str());
            return Usage();
        }
    }
    if (options.setup.strWorkDir.empty() ||
        (options.setup.strKind != "inprocess" && options.setup.strKind != "tactilo" &&
         options.setup.strKind != "floor") ||
        ((options.setup.strKind == "tactilo" || strMode == "startup" || strMode == "outputs") &&
         options.setup.strTactiloExe.empty())) {
        return Usage();
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (strMode == "latency") {
        return RunLatency(options);
    }
    if (strMode == "linerate") {
        return RunLineRate(options);
    }
    if (strMode == "silent") {
        return RunSilent(options);
    }
    if (strMode == "startup") {
        return RunStartup(options);
    }
    if (strMode == "outputs") {
        return RunOutputs(options);
    }
    return Usage();
}
