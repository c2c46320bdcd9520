#pragma once

#include <memory>
#include <optional>
#include <random>
#include <string>

#include "ScreenToRaw.h"
#include "ScriptParser.h"
#include "SimDevice.h"

// Plays script commands on a device, keeping the controller's state between lines: where
// the finger is, whether it touches, the packet rate and the calibration for screen points.
//
// Pacing: a touch controller streams packets at a fixed rate while a finger is down, so every
// packet is sent no sooner than one period after the one before it. A script that writes a
// drag as a list of "move" lines therefore plays at the rate, and a "down" after a pause goes
// out at once. Raw bytes (bytes, garbage, stray, file) are not paced.
//
//   command     packets
//   down/move   one touch packet at the point
//   up          one release packet at the last point
//   hold ms     touch packets at the last point, one per period, until ms have passed
//   tap x y ms  down, hold ms, up
//   drag ... ms down at the start, moves along the line (one per period, ending on the end
//               point) for ms, up
class CScriptRunner {
public:
    enum class Result { Ok, Failed, Quit, Stopped };

    explicit CScriptRunner(ISimDevice& device, unsigned nSeed = 1);

    // Runs one command; on Failed, strError says why (the caller adds the line number).
    Result Execute(const SimCommand& command, std::string& strError);

    bool Touching() const { return m_bTouch; }
    int Rate() const { return m_nRate; }

private:
    bool SendPacket(bool bTouch, int nRawX, int nRawY);
    bool Hold(int nMs);
    bool Drag(double dX1, double dY1, double dX2, double dY2, int nMs, bool bScreen);
    bool Send(const std::vector<unsigned char>& vecBytes);
    bool SetCalibration(const TouchDevice& device, std::string& strError);
    bool LoadCalibrationFile(const std::string& strPath, const std::string& strName,
                             std::string& strError);
    bool ToRaw(const SimCommand& command, double dX, double dY, RawPoint& raw,
               std::string& strError) const;
    ISimDevice::Clock::duration Period() const;

    ISimDevice& m_device;
    std::mt19937 m_random;
    int m_nRate = 100;
    bool m_bTouch = false;
    int m_nX = 512;
    int m_nY = 512;
    ISimDevice::Clock::time_point m_nextSlot{};
    std::optional<CScreenToRaw> m_screenToRaw;
};
