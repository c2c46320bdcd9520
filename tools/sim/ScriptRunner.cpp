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

CScriptRunner::CScriptRunner(ISimDevice& device, unsigned nSeed)
    : m_device(device), m_random(nSeed) {}

ISimDevice::Clock::duration CScriptRunner::Period() const {
    return std::chrono::duration_cast<ISimDevice::Clock::duration>(
        std::chrono::nanoseconds(1000000000LL / m_nRate));
}

bool CScriptRunner::Send(const std::vector<unsigned char>& vecBytes) {
    return m_device.Write(vecBytes);
}

bool CScriptRunner::SendPacket(bool bTouch, int nRawX, int nRawY) {
    const auto slot = std::max(m_device.Now(), m_nextSlot);
    if (!m_device.SleepUntil(slot)) {
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
    return m_device.SleepUntil(deadline);
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
            m_random.seed(static_cast<unsigned>(command.nValue));
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
            return done(
                m_device.SleepUntil(m_device.Now() + std::chrono::milliseconds(command.nValue)));
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
