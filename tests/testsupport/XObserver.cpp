#include "XObserver.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>

#include <algorithm>

#include "Xvfb.h"

// The RECORD callback, run on the observer's thread.
struct XObserverRecording {
    static void Intercept(XPointer pClosure, XRecordInterceptData* pData)
    {
        auto* pThis = reinterpret_cast<CXObserver*>(pClosure);
        if (pData->category == XRecordStartOfData) {
            pThis->OnStarted();
        } else if (pData->category == XRecordFromServer &&
                   pData->data_len * 4 >= sizeof(xEvent)) {
            pThis->OnEvent(Decode(*reinterpret_cast<const xEvent*>(pData->data)));
        }
        XRecordFreeData(pData);
    }

    static PointerEvent Decode(const xEvent& xe)
    {
        PointerEvent event;
        switch (xe.u.u.type & 0x7f) {  // the top bit marks events sent by SendEvent
        case ButtonPress:
            event.kind = PointerEvent::Kind::Press;
            event.nButton = xe.u.u.detail;
            break;
        case ButtonRelease:
            event.kind = PointerEvent::Kind::Release;
            event.nButton = xe.u.u.detail;
            break;
        default:
            event.kind = PointerEvent::Kind::Motion;
            break;
        }
        event.x = xe.u.keyButtonPointer.rootX;
        event.y = xe.u.keyButtonPointer.rootY;
        event.nServerTimeMs = xe.u.keyButtonPointer.time;
        event.tpSeen = std::chrono::steady_clock::now();
        return event;
    }
};

CXObserver::CXObserver(const std::string& strDisplay)
{
    XInitThreads();
    m_pQuery = XOpenDisplay(strDisplay.c_str());
    m_pControl = XOpenDisplay(strDisplay.c_str());
    m_pData = XOpenDisplay(strDisplay.c_str());
    int nMajor = 0;
    int nMinor = 0;
    if (!m_pQuery || !m_pControl || !m_pData ||
        !XRecordQueryVersion(m_pControl, &nMajor, &nMinor)) {
        return;
    }

    XRecordRange* pRange = XRecordAllocRange();
    pRange->device_events.first = ButtonPress;
    pRange->device_events.last = MotionNotify;
    XRecordClientSpec clients = XRecordAllClients;
    m_nContext = XRecordCreateContext(m_pControl, 0, &clients, 1, &pRange, 1);
    XFree(pRange);
    // The context must exist on the server before the data connection refers to it.
    XSync(m_pControl, False);
    if (!m_nContext) {
        return;
    }
    m_thread = std::thread(&CXObserver::Run, this);

    // Ready once the server has started sending: events from then on are all seen.
    std::unique_lock lock(m_mutex);
    m_bRecording = m_cv.wait_for(lock, std::chrono::seconds(10), [this] { return m_bStarted; });
}

CXObserver::~CXObserver()
{
    if (m_nContext) {
        // Ends the recording, and with it the XRecordEnableContext call on the thread.
        XRecordDisableContext(m_pControl, m_nContext);
        XSync(m_pControl, False);
    }
    if (m_thread.joinable()) {
        if (m_bRecording) {
            m_thread.join();
        } else {
            // The server never confirmed the start, so the disable may have come first and
            // the thread may wait for ever: leave it, and its connection, behind.
            m_thread.detach();
            m_pData = nullptr;
        }
    }
    if (m_nContext) {
        XRecordFreeContext(m_pControl, m_nContext);
        XSync(m_pControl, False);
    }
    for (Display* pDisplay : {m_pData, m_pControl, m_pQuery}) {
        if (pDisplay) {
            XCloseDisplay(pDisplay);
        }
    }
}

void CXObserver::Run()
{
    // Blocks, calling back for each intercepted event, until the recording is disabled.
    // (The asynchronous variant delivered its first reply only, with Xlib on XCB.)
    XRecordEnableContext(m_pData, m_nContext, &XObserverRecording::Intercept,
                         reinterpret_cast<XPointer>(this));
}

void CXObserver::OnStarted()
{
    std::lock_guard lock(m_mutex);
    m_bStarted = true;
    m_cv.notify_all();
}

void CXObserver::OnEvent(const PointerEvent& event)
{
    std::lock_guard lock(m_mutex);
    m_vecEvents.push_back(event);
    m_cv.notify_all();
}

PointerState CXObserver::QueryPointer() const
{
    PointerState state;
    if (!m_pQuery) {
        return state;
    }
    Window root = 0;
    Window child = 0;
    int nWinX = 0;
    int nWinY = 0;
    unsigned nMask = 0;
    XQueryPointer(m_pQuery, DefaultRootWindow(m_pQuery), &root, &child, &state.x, &state.y,
                  &nWinX, &nWinY, &nMask);
    state.bLeft = (nMask & Button1Mask) != 0;
    state.bRight = (nMask & Button3Mask) != 0;
    return state;
}

std::vector<PointerEvent> CXObserver::Events() const
{
    std::lock_guard lock(m_mutex);
    return m_vecEvents;
}

std::vector<PointerEvent> CXObserver::ButtonEvents() const
{
    std::vector<PointerEvent> vecButtons;
    for (const PointerEvent& event : Events()) {
        if (event.kind != PointerEvent::Kind::Motion) {
            vecButtons.push_back(event);
        }
    }
    return vecButtons;
}

void CXObserver::ClearEvents()
{
    std::lock_guard lock(m_mutex);
    m_vecEvents.clear();
}

bool CXObserver::WaitForEvents(const std::function<bool(const std::vector<PointerEvent>&)>& bDone,
                               std::chrono::milliseconds timeout) const
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(m_mutex);
    while (!bDone(m_vecEvents)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        // The server holds recorded events back until it next sends anything to any client;
        // a round trip of our own makes it send them.
        lock.unlock();
        XSync(m_pQuery, False);
        lock.lock();
        m_cv.wait_for(lock, std::chrono::milliseconds(5), [&] { return bDone(m_vecEvents); });
    }
    return true;
}

bool CXObserver::WaitForButtonEvents(std::size_t nCount, std::chrono::milliseconds timeout) const
{
    return WaitForEvents(
        [nCount](const std::vector<PointerEvent>& vecEvents) {
            return static_cast<std::size_t>(std::count_if(
                       vecEvents.begin(), vecEvents.end(), [](const PointerEvent& event) {
                           return event.kind != PointerEvent::Kind::Motion;
                       })) >= nCount;
        },
        timeout);
}

bool AddRandrMonitor(const CXvfb& xvfb, const std::string& strName, const ScreenRect& rcMonitor,
                     bool bPrimary)
{
    const int nWidth = rcMonitor.right - rcMonitor.left;
    const int nHeight = rcMonitor.bottom - rcMonitor.top;
    // Physical size at 96 dots per inch; nothing here reads it.
    const int nWidthMm = nWidth * 254 / 960;
    const int nHeightMm = nHeight * 254 / 960;
    const std::string strGeometry = std::to_string(nWidth) + "/" + std::to_string(nWidthMm) +
                                    "x" + std::to_string(nHeight) + "/" +
                                    std::to_string(nHeightMm) + "+" +
                                    std::to_string(rcMonitor.left) + "+" +
                                    std::to_string(rcMonitor.top);
    return xvfb.Run("xrandr --setmonitor '" + std::string(bPrimary ? "*" : "") + strName + "' " +
                    strGeometry + " none") == 0;
}

bool RemoveRandrMonitor(const CXvfb& xvfb, const std::string& strName)
{
    return xvfb.Run("xrandr --delmonitor '" + strName + "'") == 0;
}
