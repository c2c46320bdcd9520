#include "ScriptRunner.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#include "PacketEncoder.h"

namespace {

const char* const g_szNoCalibration =
    "no calibration: give 'calibration <settings line>' or 'calibration-file <path>' first";

std::string OpName(SimOp op) {
    switch (op) {
        case SimOp::Point:
            return "point";
        case SimOp::DownPoint:
            return "downpoint";
        case SimOp::TapPoint:
            return "tappoint";
        case SimOp::DragPoint:
            return "dragpoint";
        default:
            return "command";
    }
}

}  // namespace

CScriptRunner::CScriptRunner(ISimDevice& device, unsigned nSeed) : m_device(device) {
    Seed(nSeed);
}

void CScriptRunner::Seed(unsigned nSeed) {
    m_random.seed(nSeed);
    m_noiseRandom.seed(nSeed ^ 0x9E3779B9U);
    m_strayRandom.seed(nSeed ^ 0x7F4A7C15U);
}

void CScriptRunner::SetStrays(int nEveryMs) {
    m_strayEvery = std::chrono::milliseconds(nEveryMs);
    m_nextStray = m_device.Now() + m_strayEvery;
}

void CScriptRunner::AdvanceStray() {
    // After a long stall (a reader that did not read, a slow machine) the line does not owe
    // the strays it missed: one, then the pace again from now.
    m_nextStray += m_strayEvery;
    if (const auto now = m_device.Now(); m_nextStray <= now) {
        m_nextStray = now + m_strayEvery;
    }
}

std::optional<ISimDevice::Clock::time_point> CScriptRunner::NextDue() const {
    if (m_strayEvery == ISimDevice::Clock::duration::zero()) {
        return std::nullopt;
    }
    return m_nextStray;
}

CScriptRunner::Result CScriptRunner::Idle() {
    return Sleep(m_device.Now()) ? Result::Ok : Result::Stopped;
}

bool CScriptRunner::Sleep(ISimDevice::Clock::time_point when) {
    while (m_strayEvery != ISimDevice::Clock::duration::zero() && m_nextStray <= when) {
        if (!m_device.SleepUntil(m_nextStray)) {
            return false;
        }
        AdvanceStray();
        if (!m_device.Write({static_cast<unsigned char>(m_strayRandom())})) {
            return false;
        }
    }
    return m_device.SleepUntil(when);
}

ISimDevice::Clock::duration CScriptRunner::Period() const {
    return std::chrono::duration_cast<ISimDevice::Clock::duration>(
        std::chrono::nanoseconds(1000000000LL / m_nRate));
}

bool CScriptRunner::Send(const std::vector<unsigned char>& vecBytes) {
    if (m_strayEvery == ISimDevice::Clock::duration::zero() || m_nextStray > m_device.Now()) {
        return m_device.Write(vecBytes);
    }
    std::vector<unsigned char> vecMixed = vecBytes;
    const auto nAt = m_strayRandom() % (vecMixed.size() + 1);
    vecMixed.insert(vecMixed.begin() + static_cast<std::ptrdiff_t>(nAt),
                    static_cast<unsigned char>(m_strayRandom()));
    AdvanceStray();
    return m_device.Write(vecMixed);
}

bool CScriptRunner::Noise(int nBytesPerS, int nMs) {
    const auto start = m_device.Now();
    const long long nTotal = static_cast<long long>(nBytesPerS) * nMs / 1000;
    auto byteTime = [&](long long nByte) {
        return start + std::chrono::duration_cast<ISimDevice::Clock::duration>(
                           std::chrono::nanoseconds(nByte * 1000000000LL / nBytesPerS));
    };
    long long nSent = 0;
    while (nSent < nTotal) {
        // Every byte whose time has come goes in one write: a late wake-up sends a batch
        // and the pace holds on average.
        const long long nElapsedNs =
            std::chrono::duration_cast<std::chrono::nanoseconds>(m_device.Now() - start).count();
        const long long nDue = std::min(nTotal, nElapsedNs * nBytesPerS / 1000000000LL + 1);
        if (nDue > nSent) {
            std::vector<unsigned char> vecBytes(static_cast<std::size_t>(nDue - nSent));
            for (unsigned char& nByte : vecBytes) {
                nByte = static_cast<unsigned char>(m_noiseRandom());
            }
            if (!Send(vecBytes)) {
                return false;
            }
            nSent = nDue;
        } else if (!Sleep(byteTime(nSent))) {
            return false;
        }
    }
    return Sleep(start + std::chrono::milliseconds(nMs));
}

bool CScriptRunner::SendPacket(bool bTouch, int nRawX, int nRawY) {
    const auto slot = std::max(m_device.Now(), m_nextSlot);
    if (!Sleep(slot)) {
        return false;
    }
    m_nextSlot = slot + Period();
    m_bTouch = bTouch;
    m_nX = nRawX;
    m_nY = nRawY;
    const auto bytes = EncodePacket(bTouch, nRawX, nRawY);
    return Send({bytes.begin(), bytes.end()});
}

bool CScriptRunner::Hold(int nMs) {
    const auto deadline = m_device.Now() + std::chrono::milliseconds(nMs);
    while (std::max(m_device.Now(), m_nextSlot) <= deadline) {
        if (!SendPacket(true, m_nX, m_nY)) {
            return false;
        }
    }
    return Sleep(deadline);
}

bool CScriptRunner::ToRaw(const SimCommand& command, double dX, double dY, RawPoint& raw,
                          std::string& strError) const {
    if (!m_screenToRaw) {
        strError = OpName(command.op) + ": " + g_szNoCalibration;
        return false;
    }
    raw = m_screenToRaw->Map(dX, dY);
    return true;
}

bool CScriptRunner::SetCalibration(const TouchDevice& device, std::string& strError) {
    CScreenToRaw screenToRaw(device);
    if (const std::string strProblem = screenToRaw.Problem(); !strProblem.empty()) {
        strError = "calibration: " + strProblem;
        return false;
    }
    m_screenToRaw = screenToRaw;
    return true;
}

bool CScriptRunner::LoadCalibrationFile(const std::string& strPath, const std::string& strName,
                                        std::string& strError) {
    std::ifstream file(strPath, std::ios::binary);
    if (!file) {
        strError = "calibration-file: cannot read '" + strPath + "'";
        return false;
    }
    std::optional<TouchDevice> first;
    std::optional<TouchDevice> chosen;
    std::string strLine;
    while (std::getline(file, strLine)) {
        if (!strLine.empty() && strLine.back() == '\r') {
            strLine.pop_back();  // the settings file ends its lines with CR LF
        }
        if (strLine.find(';') == std::string::npos) {
            continue;
        }
        const TouchDevice device = ParseDeviceLine(strLine);
        if (!first) {
            first = device;
        }
        const bool bWanted = strName.empty() ? device.m_bConnect != 0 : device.m_strName == strName;
        if (bWanted && !chosen) {
            chosen = device;
        }
    }
    if (!strName.empty() && !chosen) {
        strError = "calibration-file: no device named '" + strName + "' in '" + strPath + "'";
        return false;
    }
    if (!chosen) {
        chosen = first;  // no active device: the first one
    }
    if (!chosen) {
        strError = "calibration-file: no settings line in '" + strPath + "'";
        return false;
    }
    return SetCalibration(*chosen, strError);
}

bool CScriptRunner::Drag(double dX1, double dY1, double dX2, double dY2, int nMs, bool bScreen) {
    auto sendAt = [&](bool bTouch, double dX, double dY) {
        RawPoint raw{static_cast<int>(std::lround(dX)), static_cast<int>(std::lround(dY))};
        if (bScreen) {
            raw = m_screenToRaw->Map(dX, dY);
        }
        return SendPacket(bTouch, raw.nX, raw.nY);
    };
    if (!sendAt(true, dX1, dY1)) {
        return false;
    }
    const long long nSteps = std::max<long long>(1, static_cast<long long>(nMs) * m_nRate / 1000);
    for (long long i = 1; i <= nSteps; ++i) {
        const double dT = static_cast<double>(i) / static_cast<double>(nSteps);
        if (!sendAt(true, dX1 + (dX2 - dX1) * dT, dY1 + (dY2 - dY1) * dT)) {
            return false;
        }
    }
    return SendPacket(false, m_nX, m_nY);
}

CScriptRunner::Result CScriptRunner::Execute(const SimCommand& command, std::string& strError) {
    auto done = [](bool bGoOn) { return bGoOn ? Result::Ok : Result::Stopped; };
    RawPoint raw;
    switch (command.op) {
        case SimOp::Nothing:
            return Result::Ok;
        case SimOp::Rate:
            m_nRate = command.nValue;
            return Result::Ok;
        case SimOp::Seed:
            Seed(static_cast<unsigned>(command.nValue));
            return Result::Ok;
        case SimOp::Noise:
            return done(Noise(command.nX1, command.nValue));
        case SimOp::Strays:
            SetStrays(command.nValue);
            return Result::Ok;
        case SimOp::Down:
        case SimOp::Move:
            return done(SendPacket(true, command.nX1, command.nY1));
        case SimOp::Up:
            return done(SendPacket(false, m_nX, m_nY));
        case SimOp::Hold:
            if (!m_bTouch) {
                strError = "hold: no touch is down (send 'down <x> <y>' first)";
                return Result::Failed;
            }
            return done(Hold(command.nValue));
        case SimOp::Wait:
            return done(Sleep(m_device.Now() + std::chrono::milliseconds(command.nValue)));
        case SimOp::Tap:
            return done(SendPacket(true, command.nX1, command.nY1) && Hold(command.nValue) &&
                        SendPacket(false, m_nX, m_nY));
        case SimOp::Drag:
            return done(
                Drag(command.nX1, command.nY1, command.nX2, command.nY2, command.nValue, false));
        case SimOp::Garbage: {
            std::uniform_int_distribution<int> byte(0, 255);
            std::vector<unsigned char> vecBytes(static_cast<std::size_t>(command.nValue));
            for (unsigned char& nByte : vecBytes) {
                nByte = static_cast<unsigned char>(byte(m_random));
            }
            return done(Send(vecBytes));
        }
        case SimOp::Stray: {
            std::uniform_int_distribution<int> byte(0, 127);
            return done(Send({static_cast<unsigned char>(byte(m_random))}));
        }
        case SimOp::Bytes:
            return done(Send(command.vecBytes));
        case SimOp::File: {
            std::ifstream file(command.strText, std::ios::binary);
            if (!file) {
                strError = "file: cannot read '" + command.strText + "'";
                return Result::Failed;
            }
            std::vector<unsigned char> vecBytes((std::istreambuf_iterator<char>(file)),
                                                std::istreambuf_iterator<char>());
            return done(vecBytes.empty() || Send(vecBytes));
        }
        case SimOp::Calibration:
            return SetCalibration(ParseDeviceLine(command.strText), strError) ? Result::Ok
                                                                              : Result::Failed;
        case SimOp::CalibrationFile:
            return LoadCalibrationFile(command.strText, command.strName, strError) ? Result::Ok
                                                                                   : Result::Failed;
        case SimOp::Point:
        case SimOp::DownPoint:
            if (!ToRaw(command, command.nX1, command.nY1, raw, strError)) {
                return Result::Failed;
            }
            return done(SendPacket(true, raw.nX, raw.nY));
        case SimOp::TapPoint:
            if (!ToRaw(command, command.nX1, command.nY1, raw, strError)) {
                return Result::Failed;
            }
            return done(SendPacket(true, raw.nX, raw.nY) && Hold(command.nValue) &&
                        SendPacket(false, m_nX, m_nY));
        case SimOp::DragPoint:
            if (!ToRaw(command, command.nX1, command.nY1, raw, strError)) {
                return Result::Failed;
            }
            return done(
                Drag(command.nX1, command.nY1, command.nX2, command.nY2, command.nValue, true));
        case SimOp::Echo:
            m_device.Echo(command.strText);
            return Result::Ok;
        case SimOp::Hangup:
            if (!m_device.Hangup(strError)) {
                return Result::Failed;
            }
            m_bTouch = false;  // an unplugged controller forgets the finger
            return Result::Ok;
        case SimOp::Reopen:
            if (!m_device.Reopen(strError)) {
                return Result::Failed;
            }
            m_bTouch = false;
            return Result::Ok;
        case SimOp::Quit:
            return Result::Quit;
    }
    strError = "command not handled";
    return Result::Failed;
}
