#include "qt/SessionPointer.h"

#include <QGuiApplication>
#include <cstdlib>
#include <iostream>
#include <string>

#include "app/TraceSink.h"
#include "linux/UinputDevice.h"
#include "linux/UinputPointerOutput.h"
#include "linux/XRandrMonitorSource.h"
#include "linux/XTestPointerOutput.h"
#include "qt/QtScreenMonitorSource.h"
#include "qt/ScreenLayoutWatch.h"
#include "touch/NoticePointerOutput.h"

bool CSessionPointer::IsX11Session() {
    const QString strPlatform = QGuiApplication::platformName();
    if (strPlatform == QLatin1String("xcb")) {
        return true;
    }
    // A platform without windows of its own (offscreen, as headless runs use) still has the
    // X server of $DISPLAY to point on; Wayland has one only for its X clients.
    const char* pszDisplay = std::getenv("DISPLAY");
    return !strPlatform.startsWith(QLatin1String("wayland")) && pszDisplay && *pszDisplay;
}

CSessionPointer::CSessionPointer(ITraceSink& trace, std::function<void()> tellUndeliverable) {
    const bool bX11 = IsX11Session();
    const PointerChoice choice =
        ChoosePointer(std::getenv("TACTILO_POINTER"), CanOpenUinput(), bX11);
    if (!choice.strWarning.empty()) {
        std::cerr << "Tactilo: " << choice.strWarning << '\n';
    }
    m_kind = choice.kind;
    const std::string strTrace = std::string("Pointer output: ") + PointerKindName(m_kind) + '\n';
    trace.Trace(strTrace.c_str());

    if (bX11) {
        m_pMonitors = std::make_unique<CXRandrMonitorSource>();
    } else {
        m_pMonitors = std::make_unique<CQtScreenMonitorSource>();
    }

    switch (m_kind) {
        case PointerKind::Uinput: {
            // One device for both threads: the desktop must see one pointer.
            auto pUinput = std::make_unique<CUinputPointerOutput>();
            CUinputPointerOutput* pRaw = pUinput.get();
            m_pWatch = std::make_unique<CScreenLayoutWatch>(
                *m_pMonitors, [pRaw](const std::vector<MonitorInfo>& vecMonitors) {
                    pRaw->SetMonitors(vecMonitors);
                });
            m_pReaderOwned = std::move(pUinput);
            m_pReader = m_pUi = m_pReaderOwned.get();
            break;
        }
        case PointerKind::XTest:
            m_pReaderOwned = std::make_unique<CXTestPointerOutput>();
            m_pUiOwned = std::make_unique<CXTestPointerOutput>();
            m_pReader = m_pReaderOwned.get();
            m_pUi = m_pUiOwned.get();
            break;
        case PointerKind::None:
            m_pReaderOwned = std::make_unique<CNoticePointerOutput>(std::move(tellUndeliverable));
            m_pReader = m_pUi = m_pReaderOwned.get();
            break;
    }
}

CSessionPointer::~CSessionPointer() = default;
