#include "SimulatorProcess.h"

namespace {

std::vector<std::string> SimulatorArgs(int nPort, const std::vector<std::string>& vecExtraArgs) {
    std::vector<std::string> vecArgs = {CPipedProcess::ToolPath("tactilo-sim")};
    if (nPort > 0) {
        vecArgs.push_back("--link");
        vecArgs.push_back("COM" + std::to_string(nPort));
    }
    vecArgs.insert(vecArgs.end(), vecExtraArgs.begin(), vecExtraArgs.end());
    vecArgs.push_back("-");
    return vecArgs;
}

}  // namespace

CSimulatorProcess::CSimulatorProcess(int nPort, const std::vector<std::string>& vecExtraArgs)
    : m_process(SimulatorArgs(nPort, vecExtraArgs)) {
    // The first line is the slave path, printed once the link (if any) is in place.
    if (!m_process.ReadLine(m_strSlavePath)) {
        m_strSlavePath.clear();
    }
}
