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
//   noise r ms  random bytes, byte k at k/r seconds, until ms have passed
//
// Line noise. "strays ms" mixes one random byte (any value: lead or data byte) into the
// stream every ms from then on, whatever plays, the way a loose cable picks up a spike now
// and then:
//
//   when a stray falls due          where it goes
//   while the runner waits          on its own, at its time
//   when bytes are being written    among them, at a random place (it may split a packet)
//   while the script waits          on its own, through Idle (the caller waits no longer
//   for its next line               than NextDue)
//
// Strays and noise draw from generators of their own, both seeded from the seed, so the
// bytes of garbage, noise and strays each repeat from run to run whatever the timing.
class CScriptRunner {
public:
    enum class Result { Ok, Failed, Quit, Stopped };

    explicit CScriptRunner(ISimDevice& device, unsigned nSeed = 1);

    // Runs one command; on Failed, strError says why (the caller adds the line number).
    Result Execute(const SimCommand& command, std::string& strError);

    // When the next stray byte is due, if strays are on.
    std::optional<ISimDevice::Clock::time_point> NextDue() const;
    // Sends the strays that are due by now, while the script has no line to run.
    Result Idle();

    bool Touching() const { return m_bTouch; }
    int Rate() const { return m_nRate; }

private:
    bool SendPacket(bool bTouch, int nRawX, int nRawY);
    bool Hold(int nMs);
    bool Noise(int nBytesPerS, int nMs);
    // Waits until when, sending the strays that fall due on the way.
    bool Sleep(ISimDevice::Clock::time_point when);
    void SetStrays(int nEveryMs);
    void AdvanceStray();
    void Seed(unsigned nSeed);
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
    std::mt19937 m_noiseRandom;
    std::mt19937 m_strayRandom;
    ISimDevice::Clock::duration m_strayEvery{};  // zero: no strays
    ISimDevice::Clock::time_point m_nextStray{};
    int m_nRate = 100;
    bool m_bTouch = false;
    int m_nX = 512;
    int m_nY = 512;
    ISimDevice::Clock::time_point m_nextSlot{};
    std::optional<CScreenToRaw> m_screenToRaw;
};
