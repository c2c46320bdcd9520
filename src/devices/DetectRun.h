#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "devices/DeviceSettings.h"

class CBaudDetector;
class CPort;
class ISerialLine;
class IUiDispatcher;

// What a Device Settings dialog shows of a Detect run: which of its controls may be used,
// how far the search is, and the baud row it found. Every call comes on the user-interface
// thread.
class IDetectRunView {
public:
    // The controls a run locks, as the run wants them now.
    struct Enabled {
        bool bDetect = true;
        bool bSave = true;
        bool bPort = true;
        bool bBaudRate = true;
        bool bProgress = false;  // the progress bar is shown
    };

    virtual ~IDetectRunView() = default;
    virtual void EnableForDetect(const Enabled& enabled) = 0;
    // nStep of nSteps rates is being tried, and the text that says which.
    virtual void ShowDetectProgress(int nStep, int nSteps, const std::string& strStatus) = 0;
    virtual void SelectBaudRow(int nRow) = 0;
};

// One Detect of the Device Settings dialog, whatever draws it: the search for the baud rate
// (CBaudDetector) runs on a thread of its own, so the dialog keeps its event loop, and every
// report comes back to the view through the user-interface dispatcher.
//
//   event                         the run                          the view is told
//   ----------------------------  -------------------------------  ---------------------------
//   Start, no usable port chosen  does nothing (CDeviceSettings    nothing
//                                 has said why)
//   Start                         opens a line from the factory,   controls locked, progress
//                                 starts the thread                shown at 0
//   Start while running           ignored                          nothing
//   a rate is tried               posts its place in the list      the step and its text
//   the search ends               joins the thread, asks           controls unlocked; the row
//                                 CDeviceSettings::Detected        found, or nothing (after a
//                                                                  message)
//   Stop (dialog ends) / destroy  cancels, joins (the detector     controls unlocked; no
//                                 wakes the blocked read)          selection, no message
//
// Reports that were posted before a Stop or by an earlier run arrive late and are dropped:
// each carries the number of the run that posted it.
class CDetectRun {
public:
    using LineFactory = std::function<std::unique_ptr<ISerialLine>()>;
    // Milliseconds of a steady clock.
    using Clock = std::function<std::uint64_t()>;

    // settings, view and dispatcher must outlive the run; fnMakeLine gives the line of the
    // platform (CPosixSerialLine, CWin32SerialLine) or a test's.
    CDetectRun(CDeviceSettings& settings, IDetectRunView& view, IUiDispatcher& dispatcher,
               LineFactory fnMakeLine, Clock clock = {});
    ~CDetectRun();
    CDetectRun(const CDetectRun&) = delete;
    CDetectRun& operator=(const CDetectRun&) = delete;

    // Detect pressed with the dialog's choices: true when a search started.
    bool Start(const CDeviceSettings::Choices& choices);
    // Ends a running search without a result and waits for its thread.
    void Stop();
    bool Running() const { return m_thread.joinable(); }

    // How long each rate is listened to.
    void SetListenMs(int nListenMs) { m_nListenMs = nListenMs; }

    // The controls as they are while a search runs and while none does.
    static IDetectRunView::Enabled EnabledFor(bool bRunning);

private:
    void PostToView(std::function<void(CDetectRun&)> fnCall);
    void OnTrying(unsigned nRun, unsigned nBaudRate);
    void OnDone(unsigned nRun, int nPort, unsigned nBaudRate);
    void Finish();

    CDeviceSettings& m_settings;
    IDetectRunView& m_view;
    IUiDispatcher& m_dispatcher;
    LineFactory m_fnMakeLine;
    Clock m_clock;
    int m_nListenMs;
    unsigned m_nRun = 0;  // counts the searches started; only the running one reports
    // Posted calls hold it weakly: one that runs after the run is gone does nothing.
    std::shared_ptr<CDetectRun*> m_pSelf;
    std::unique_ptr<CPort> m_pPort;
    std::unique_ptr<CBaudDetector> m_pDetector;
    std::thread m_thread;
};
