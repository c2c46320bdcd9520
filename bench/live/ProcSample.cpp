#include "ProcSample.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string ReadFile(const std::string& strPath) {
    std::ifstream file(strPath);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// utime and stime of a stat line, in seconds. The name may hold blanks and parentheses,
// so the fields are counted from the last ')'.
bool StatTimes(const std::string& strStat, std::string& strName, double& dSeconds) {
    const std::size_t nOpen = strStat.find('(');
    const std::size_t nClose = strStat.rfind(')');
    if (nOpen == std::string::npos || nClose == std::string::npos || nClose < nOpen) {
        return false;
    }
    strName = strStat.substr(nOpen + 1, nClose - nOpen - 1);
    std::istringstream fields(strStat.substr(nClose + 2));
    std::string strField;
    unsigned long long nUtime = 0;
    unsigned long long nStime = 0;
    // Fields from 3 (state) on; utime is field 14, stime 15.
    for (int nField = 3; nField <= 15 && fields >> strField; ++nField) {
        if (nField == 14) {
            nUtime = std::strtoull(strField.c_str(), nullptr, 10);
        } else if (nField == 15) {
            nStime = std::strtoull(strField.c_str(), nullptr, 10);
        }
    }
    dSeconds = static_cast<double>(nUtime + nStime) / static_cast<double>(sysconf(_SC_CLK_TCK));
    return true;
}

long long StatusValue(const std::string& strStatus, const std::string& strKey) {
    const std::size_t nPos = strStatus.find("\n" + strKey + ":");
    if (nPos == std::string::npos) {
        return 0;
    }
    return std::atoll(strStatus.c_str() + nPos + strKey.size() + 2);
}

}  // namespace

ProcessSample SampleProcess(int nPid) {
    ProcessSample sample;
    const std::string strBase = "/proc/" + std::to_string(nPid);
    std::string strName;
    if (!StatTimes(ReadFile(strBase + "/stat"), strName, sample.dCpuSeconds)) {
        return sample;
    }
    // A line end in front, so that every key is found as "\nKey:".
    std::string strStatus = "\n";
    strStatus += ReadFile(strBase + "/status");
    sample.nVmRssKb = static_cast<long>(StatusValue(strStatus, "VmRSS"));
    sample.nVmHwmKb = static_cast<long>(StatusValue(strStatus, "VmHWM"));
    if (DIR* pDir = opendir((strBase + "/task").c_str())) {
        while (const dirent* pEntry = readdir(pDir)) {
            const int nTid = std::atoi(pEntry->d_name);
            if (nTid <= 0) {
                continue;
            }
            const std::string strTask = strBase + "/task/" + pEntry->d_name;
            TaskSample task;
            task.nTid = nTid;
            if (!StatTimes(ReadFile(strTask + "/stat"), task.strName, task.dCpuSeconds)) {
                continue;
            }
            std::istringstream schedstat(ReadFile(strTask + "/schedstat"));
            unsigned long long nWaitNs = 0;
            schedstat >> task.nRunNs >> nWaitNs >> task.nRuns;
            std::string strTaskStatus = "\n";
            strTaskStatus += ReadFile(strTask + "/status");
            task.nVoluntary = StatusValue(strTaskStatus, "voluntary_ctxt_switches");
            task.nInvoluntary = StatusValue(strTaskStatus, "nonvoluntary_ctxt_switches");
            sample.vecTasks.push_back(task);
        }
        closedir(pDir);
    }
    sample.bOk = true;
    return sample;
}

void PrintProcessDelta(const char* szTitle, const ProcessSample& before, const ProcessSample& after,
                       double dWallSeconds) {
    const double dCpu = after.dCpuSeconds - before.dCpuSeconds;
    std::printf("%s: CPU %.3f s in %.3f s = %.2f %% of one core (utime+stime)\n", szTitle, dCpu,
                dWallSeconds, 100.0 * dCpu / dWallSeconds);
    unsigned long long nRunNs = 0;
    unsigned long long nRuns = 0;
    long long nVoluntary = 0;
    long long nInvoluntary = 0;
    for (const TaskSample& task : after.vecTasks) {
        for (const TaskSample& old : before.vecTasks) {
            if (old.nTid != task.nTid) {
                continue;
            }
            const unsigned long long nTaskRunNs = task.nRunNs - old.nRunNs;
            const unsigned long long nTaskRuns = task.nRuns - old.nRuns;
            std::printf(
                "  thread %-7d %-16s cpu %9.3f ms  runs %8llu  voluntary %8lld  "
                "involuntary %6lld\n",
                task.nTid, task.strName.c_str(), static_cast<double>(nTaskRunNs) / 1e6, nTaskRuns,
                task.nVoluntary - old.nVoluntary, task.nInvoluntary - old.nInvoluntary);
            nRunNs += nTaskRunNs;
            nRuns += nTaskRuns;
            nVoluntary += task.nVoluntary - old.nVoluntary;
            nInvoluntary += task.nInvoluntary - old.nInvoluntary;
        }
    }
    std::printf(
        "  all threads              cpu %9.3f ms  runs %8llu  voluntary %8lld  "
        "involuntary %6lld  (%.2f %% of one core by schedstat)\n",
        static_cast<double>(nRunNs) / 1e6, nRuns, nVoluntary, nInvoluntary,
        100.0 * static_cast<double>(nRunNs) / 1e9 / dWallSeconds);
}
