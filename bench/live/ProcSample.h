#pragma once

#include <string>
#include <vector>

// What /proc tells about a process and each of its threads at one moment, for CPU shares
// and wake-up counts over a measured stretch of time.
//
//   field          from                                  unit
//   dCpuSeconds    stat: utime + stime                   clock ticks (1/100 s) -> seconds
//   nRunNs         schedstat: time on a CPU              nanoseconds
//   nRuns          schedstat: times put on a CPU         count (every wake-up is one)
//   nVoluntary     status: voluntary_ctxt_switches       count (every block is one)
//   nInvoluntary   status: nonvoluntary_ctxt_switches    count (preempted)
//   VmRSS, VmHWM   status                                kB
struct TaskSample {
    int nTid = 0;
    std::string strName;
    double dCpuSeconds = 0.0;
    unsigned long long nRunNs = 0;
    unsigned long long nRuns = 0;
    long long nVoluntary = 0;
    long long nInvoluntary = 0;
};

struct ProcessSample {
    bool bOk = false;
    double dCpuSeconds = 0.0;  // the whole process, all threads, as of this moment
    std::vector<TaskSample> vecTasks;
    long nVmRssKb = 0;
    long nVmHwmKb = 0;
};

ProcessSample SampleProcess(int nPid);

// Prints the change between two samples: the process's CPU over dWallSeconds, and per
// thread (threads that exist in both) CPU, run count and context switches.
void PrintProcessDelta(const char* szTitle, const ProcessSample& before, const ProcessSample& after,
                       double dWallSeconds);
