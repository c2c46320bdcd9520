#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "calibration/CalTouchSource.h"
#include "devices/TouchDevice.h"
#include "touch/PointerOutput.h"

class IHoldTimer;
class ITraceSink;

constexpr unsigned HOLD_TIMER_ID = 1;

// Turns touch packets into pointer input: decode, map through the active device's
// calibration onto its monitor, snap a new touch onto the previous one for double clicks,
// move, and drive the buttons (see TouchProcessor.cpp for the click states). In calibration
// mode it only publishes the raw point for the calibration capture.
//
// Threads: ProcessPacket and ReleaseHeldButtons run on the reader thread; OnTimer, the
// options, SetActiveDevice, SetCalibrating, SetTrayRightClick and ReleaseHeldButtonsAfterStop
// on the user-interface thread;
// the calibration capture reads TouchDown/CalRawX/CalRawY from its own thread.
class CTouchProcessor final : public ICalTouchSource {
public:
    struct Dependencies {
        IPointerOutput& output;  // used on the reader thread
        IHoldTimer& timer;
        ITraceSink& trace;
        // Shows a tray icon resource; must be safe to call from the reader thread.
        std::function<void(unsigned nIconId)> setTrayIcon;
        // Used on the user-interface thread, to release a button when calibration starts.
        IPointerOutput* pUiOutput = nullptr;
    };

    explicit CTouchProcessor(Dependencies dependencies);

    void ProcessPacket(std::string strPacket);
    void OnTimer(unsigned nId, std::uint64_t nTouch);
    // The device went away in the middle of a touch: let go of any button it holds down.
    void ReleaseHeldButtons() { ReleaseHeldButtons(nullptr); }
    // The same on the user-interface thread, once the reader has stopped: every way of
    // ending the connection (a disconnect, Exit, a terminate signal) lets go of what a touch
    // holds, or the X server keeps the button down and every later mouse move is a drag.
    void ReleaseHeldButtonsAfterStop() { ReleaseHeldButtons(m_deps.pUiOutput); }

    // The device whose calibration and monitor packets are mapped with. The reader takes a
    // snapshot per packet, so replacing it never tears a record that is in use.
    void SetActiveDevice(const TouchDevice& device);
    std::shared_ptr<const TouchDevice> ActiveDevice() const;

    void SetPrecision(int nPixels) { m_nPrecision = nPixels; }
    int Precision() const { return m_nPrecision; }
    void SetRightClickTime(unsigned nMs) { m_nRightClickTime = nMs; }
    unsigned RightClickTime() const { return m_nRightClickTime; }

    // The tray's "right click with the next touch".
    void SetTrayRightClick(bool bArmed) { m_bTrayRightClick = bArmed; }
    bool TrayRightClick() const { return m_bTrayRightClick; }

    // Entering calibration mode starts from a clean slate: no stale raw values, no touch,
    // no button left down by a touch in progress.
    void SetCalibrating(bool bCalibrating);
    bool Calibrating() const { return m_bCalibrating; }

    bool TouchDown() const { return m_bTouchDown; }
    bool HoldElapsed() const { return m_bHoldElapsed; }
    int CalRawX() const { return m_nCalRawX; }
    int CalRawY() const { return m_nCalRawY; }
    // What the calibration capture polls: the flag first, then the values it was set with.
    CalTouchSample ReadTouch() const override;

private:
    void MoveMouse(int x, int y);
    void LeftDown() { Send(MOUSEEVENTF_LEFTDOWN); }
    void LeftUp() { Send(MOUSEEVENTF_LEFTUP); }
    void RightDown() { Send(MOUSEEVENTF_RIGHTDOWN); }
    void RightUp() { Send(MOUSEEVENTF_RIGHTUP); }
    void Send(unsigned dwFlags, IPointerOutput* pOutput = nullptr);
    void Buttons(bool bTouch, double X, double Y);
    void ReleaseHeldButtons(IPointerOutput* pOutput);
    void SnapToLastClick(double& X, double& Y);
    bool LeftButtonHeld() const { return m_bTouchDown != m_bHoldElapsed; }

    Dependencies m_deps;

    mutable std::mutex m_deviceMutex;
    std::shared_ptr<const TouchDevice> m_pActiveDevice;

    // Click state. The flags are atomics because the capture thread and the user-interface
    // thread read them; every change of state is made under m_stateMutex so that a hold
    // timer expiry and a packet never interleave.
    std::mutex m_stateMutex;
    std::atomic<bool> m_bTouchDown{false};
    std::atomic<bool> m_bHoldElapsed{false};
    std::atomic<bool> m_bTrayRightClick{false};
    std::atomic<bool> m_bCalibrating{false};
    std::atomic<int> m_nCalRawX{CAL_RELEASED_RAW};
    std::atomic<int> m_nCalRawY{CAL_RELEASED_RAW};
    std::atomic<int> m_nPrecision{15};
    std::atomic<unsigned> m_nRightClickTime{2000};
    unsigned m_nRightClickTimer = 0;
    std::uint64_t m_nTouch = 0;  // numbers the touches, so an expiry finds its own
    bool m_bAwaitLift = false;   // a finger rested when calibration ended: no buttons till it lifts
    int m_nMonitorWidth = 0;
    int m_nMonitorHeight = 0;
    double m_dPressX = 0.0;
    double m_dPressY = 0.0;
    double m_dLastClickX = -1.0;
    double m_dLastClickY = -1.0;
};
