#include "LivePipeline.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "BenchPackets.h"
#include "MotionWatch.h"
#include "app/TraceSink.h"

CPixelOracle::CPixelOracle(int nPrecision, unsigned nRightClickMs)
    : m_touch({m_output, m_timer, CNullTraceSink::Instance(), [](unsigned) {}, &m_output}) {
    m_touch.SetActiveDevice(BenchDevice());
    m_touch.SetPrecision(nPrecision);
    m_touch.SetRightClickTime(nRightClickMs);
}

void CPixelOracle::COutput::SendInput(const MouseInput& input) {
    if (input.dwFlags & MOUSEEVENTF_MOVE) {
        pixel = {input.nPixelX, input.nPixelY};
    }
}

std::pair<int, int> CPixelOracle::Feed(bool bTouch, int nRawX, int nRawY) {
    m_touch.ProcessPacket(BenchPacketText(bTouch, nRawX, nRawY));
    return m_output.pixel;
}

bool WriteSettingsFile(const std::string& strDir, int nPort, std::string& strError) {
    std::error_code error;
    std::filesystem::create_directories(strDir, error);
    std::ofstream file(strDir + "/Settings.dat", std::ios::binary | std::ios::trunc);
    file << FormatDeviceLine(BenchDevice(nPort)) << "\r\n";
    if (!file.flush()) {
        strError = "cannot write " + strDir + "/Settings.dat";
        return false;
    }
    return true;
}

CLivePipeline::CLivePipeline(LiveSetup setup)
    : m_setup(std::move(setup)), m_oracle(m_setup.nPrecision, m_setup.nRightClickMs) {}

bool CLivePipeline::Start(CMotionWatch& watch, std::string& strError) {
    if (!m_pty.Ok() || !m_pty.LinkAs(m_setup.nPort)) {
        strError = m_pty.Error();
        return false;
    }
    const std::string strAppDir = m_setup.strWorkDir + "/app";
    if (!WriteSettingsFile(strAppDir, m_setup.nPort, strError)) {
        return false;
    }
    std::vector<std::string> vecArgs;
    if (m_setup.strKind == "tactilo") {
        // A copy beside its own Settings.dat, as a portable copy runs.
        const std::string strCopy = strAppDir + "/Tactilo";
        std::error_code error;
        std::filesystem::copy_file(m_setup.strTactiloExe, strCopy,
                                   std::filesystem::copy_options::overwrite_existing, error);
        if (error) {
            strError = "cannot copy " + m_setup.strTactiloExe + ": " + error.message();
            return false;
        }
        vecArgs = {strCopy};
    } else if (m_setup.strKind == "floor") {
        vecArgs = {m_setup.strFloorExe, m_pty.SlavePath()};
    } else {
        vecArgs = {m_setup.strPipelineExe, strAppDir + "/Settings.dat",
                   "--precision",          std::to_string(m_setup.nPrecision),
                   "--right-click-ms",     std::to_string(m_setup.nRightClickMs)};
    }
    m_pChild = std::make_unique<CBenchChild>(vecArgs);
    if (m_pChild->Pid() <= 0) {
        strError = "cannot start " + vecArgs[0];
        return false;
    }
    if (m_setup.strKind == "inprocess") {
        std::string strLine;
        int nPid = 0;
        if (!m_pChild->ReadLine(strLine, 15000) ||
            std::sscanf(strLine.c_str(), "ready %d %d", &nPid, &m_nReaderTid) != 2) {
            strError = "the pipeline did not connect";
            return false;
        }
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    for (int nProbe = 0; Clock::now() < deadline; ++nProbe) {
        if (!m_pChild->Running()) {
            strError = vecArgs[0] + " ended";
            return false;
        }
        // Release packets with nothing held: moves only, no button, no timer.
        std::pair<int, int> pixel;
        if (!Send(false, 300 + nProbe % 2 * 100, 300, &pixel)) {
            strError = m_pty.Error();
            return false;
        }
        if (watch.WaitFor(pixel.first, pixel.second,
                          Clock::now() + std::chrono::milliseconds(250))) {
            // Probes sent before the port was open may still come through: let them pass.
            watch.Forget(300);
            return true;
        }
    }
    strError = vecArgs[0] + " never moved the pointer";
    return false;
}

bool CLivePipeline::Send(bool bTouch, int nRawX, int nRawY, std::pair<int, int>* pPixel) {
    const auto aBytes = BenchPacketBytes(bTouch, nRawX, nRawY);
    const std::pair<int, int> pixel = m_setup.strKind == "floor"
                                          ? std::pair<int, int>(nRawX, nRawY)
                                          : m_oracle.Feed(bTouch, nRawX, nRawY);
    if (pPixel) {
        *pPixel = pixel;
    }
    return m_pty.Write(aBytes.data(), aBytes.size());
}

bool CLivePipeline::SendBytes(const unsigned char* pBytes, std::size_t nCount) {
    return m_pty.Write(pBytes, nCount);
}

bool CLivePipeline::Count(unsigned long long& nPackets, unsigned long long& nCutShort) {
    if (m_setup.strKind != "inprocess" || !m_pChild || !m_pChild->WriteLine("count")) {
        return false;
    }
    std::string strLine;
    return m_pChild->ReadLine(strLine, 5000) &&
           std::sscanf(strLine.c_str(), "count %llu %llu", &nPackets, &nCutShort) == 2;
}

void CLivePipeline::Stop() {
    if (m_pChild) {
        m_pChild->Stop();
    }
}
