#include "devices/DetectRun.h"

#include <algorithm>
#include <vector>

#include "app/UiDispatcher.h"
#include "serial/BaudDetector.h"
#include "serial/Port.h"
#include "serial/SerialLine.h"
#include "touch/ReaderThread.h"

CDetectRun::CDetectRun(CDeviceSettings& settings, IDetectRunView& view, IUiDispatcher& dispatcher,
                       LineFactory fnMakeLine, Clock clock)
    : m_settings(settings),
      m_view(view),
      m_dispatcher(dispatcher),
      m_fnMakeLine(std::move(fnMakeLine)),
      m_clock(clock ? std::move(clock) : Clock(CReaderThread::SteadyClockMs)),
      m_nListenMs(CBaudDetector::LISTEN_MS),
      m_pSelf(std::make_shared<CDetectRun*>(this)) {}

CDetectRun::~CDetectRun() {
    Stop();
}

IDetectRunView::Enabled CDetectRun::EnabledFor(bool bRunning) {
    // While the port is being listened to, the choices it depends on stay as they are, and
    // Save waits for the answer.
    IDetectRunView::Enabled enabled;
    enabled.bDetect = !bRunning;
    enabled.bSave = !bRunning;
    enabled.bPort = !bRunning;
    enabled.bBaudRate = !bRunning;
    enabled.bProgress = bRunning;
    return enabled;
}

bool CDetectRun::Start(const CDeviceSettings::Choices& choices) {
    if (Running()) {
        return false;
    }
    const int nPort = m_settings.DetectPort(choices);
    if (nPort == 0) {
        return false;
    }
    const unsigned nRun = ++m_nRun;
    m_pPort = std::make_unique<CPort>(m_fnMakeLine());
    m_pDetector = std::make_unique<CBaudDetector>(*m_pPort, m_clock);
    m_pDetector->SetProgress([this, nRun](unsigned nRate) {
        PostToView([nRun, nRate](CDetectRun& run) { run.OnTrying(nRun, nRate); });
    });
    m_view.EnableForDetect(EnabledFor(true));
    m_view.ShowDetectProgress(0, static_cast<int>(CDeviceSettings::BAUD_RATES.size()), {});
    m_thread = std::thread([this, nRun, nPort, nListenMs = m_nListenMs] {
        const unsigned nFound =
            m_pDetector->Detect(nPort, CDeviceSettings::DetectRates(), nListenMs);
        PostToView([nRun, nPort, nFound](CDetectRun& run) { run.OnDone(nRun, nPort, nFound); });
    });
    return true;
}

void CDetectRun::PostToView(std::function<void(CDetectRun&)> fnCall) {
    // Called on the search thread: only the weak handle is read there, never the run.
    m_dispatcher.Post([pSelf = std::weak_ptr<CDetectRun*>(m_pSelf), fnCall = std::move(fnCall)] {
        if (const auto pRun = pSelf.lock()) {
            fnCall(**pRun);
        }
    });
}

void CDetectRun::OnTrying(unsigned nRun, unsigned nBaudRate) {
    if (nRun != m_nRun || !Running()) {
        return;
    }
    const std::vector<unsigned> vecRates = CDeviceSettings::DetectRates();
    const auto it = std::find(vecRates.begin(), vecRates.end(), nBaudRate);
    m_view.ShowDetectProgress(static_cast<int>(it - vecRates.begin()),
                              static_cast<int>(vecRates.size()),
                              CDeviceSettings::DetectStatus(nBaudRate));
}

void CDetectRun::OnDone(unsigned nRun, int nPort, unsigned nBaudRate) {
    if (nRun != m_nRun || !Running()) {
        return;  // stopped: the dialog is ending
    }
    m_thread.join();
    const int nOpenError = m_pDetector->OpenError();
    const std::string strOpenFailure = m_pDetector->OpenFailure();
    Finish();
    const int nRow = m_settings.Detected(nPort, nBaudRate, nOpenError, strOpenFailure);
    if (nRow >= 0) {
        m_view.SelectBaudRow(nRow);
    }
}

void CDetectRun::Stop() {
    if (!Running()) {
        return;
    }
    m_pDetector->Cancel();
    m_thread.join();
    Finish();
}

void CDetectRun::Finish() {
    m_pDetector.reset();
    m_pPort.reset();
    m_view.EnableForDetect(EnabledFor(false));
}
