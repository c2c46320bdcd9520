#include "PointerRecording.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>

#include <cstring>

// The RECORD callback, run on the recording's thread.
struct PointerRecordingCallback {
    static void Intercept(XPointer pClosure, XRecordInterceptData* pData) {
        auto* pThis = reinterpret_cast<CPointerRecording*>(pClosure);
        if (pData->category == XRecordStartOfData) {
            pThis->OnStarted();
        } else if (pData->category == XRecordFromServer) {
            PointerEvent event;
            if (DecodePointerEvent(pData->data, std::size_t{pData->data_len} * 4, event)) {
                pThis->m_onEvent(event);
            }
        }
        XRecordFreeData(pData);
    }
};

bool DecodePointerEvent(const void* pWire, std::size_t nBytes, PointerEvent& event) {
    if (!pWire || nBytes < sizeof(xEvent)) {
        return false;
    }
    xEvent xe;
    std::memcpy(&xe, pWire, sizeof(xe));  // the record's data need not be aligned
    PointerEvent decoded;
    switch (xe.u.u.type & 0x7f) {  // the top bit marks events sent by SendEvent
        case ButtonPress:
            decoded.kind = PointerEvent::Kind::Press;
            decoded.nButton = xe.u.u.detail;
            break;
        case ButtonRelease:
            decoded.kind = PointerEvent::Kind::Release;
            decoded.nButton = xe.u.u.detail;
            break;
        case MotionNotify:
            decoded.kind = PointerEvent::Kind::Motion;
            break;
        default:
            return false;
    }
    decoded.x = xe.u.keyButtonPointer.rootX;
    decoded.y = xe.u.keyButtonPointer.rootY;
    decoded.nState = xe.u.keyButtonPointer.state;
    decoded.nServerTimeMs = xe.u.keyButtonPointer.time;
    decoded.tpSeen = std::chrono::steady_clock::now();
    event = decoded;
    return true;
}

CPointerRecording::CPointerRecording(const std::string& strDisplay, EventHandler onEvent,
                                     std::chrono::milliseconds nStartTimeout)
    : m_onEvent(std::move(onEvent)) {
    XInitThreads();
    m_pControl = XOpenDisplay(strDisplay.c_str());
    m_pData = XOpenDisplay(strDisplay.c_str());
    m_pFlush = XOpenDisplay(strDisplay.c_str());
    if (!m_pControl || !m_pData || !m_pFlush) {
        m_strError = "cannot open display '" + strDisplay + "'";
        return;
    }
    int nMajor = 0;
    int nMinor = 0;
    if (!XRecordQueryVersion(m_pControl, &nMajor, &nMinor)) {
        m_strError = "the X server has no RECORD extension";
        return;
    }

    XRecordRange* pRange = XRecordAllocRange();
    if (!pRange) {
        m_strError = "out of memory";
        return;
    }
    pRange->device_events.first = ButtonPress;
    pRange->device_events.last = MotionNotify;
    XRecordClientSpec clients = XRecordAllClients;
    m_nContext = XRecordCreateContext(m_pControl, 0, &clients, 1, &pRange, 1);
    XFree(pRange);
    // The context must exist on the server before the data connection refers to it.
    XSync(m_pControl, False);
    if (!m_nContext) {
        m_strError = "cannot create a recording context";
        return;
    }
    // Blocks, calling back for each intercepted event, until the recording is disabled.
    // (The asynchronous variant delivered its first reply only, with Xlib on XCB.)
    m_thread = std::thread([this] {
        XRecordEnableContext(m_pData, m_nContext, &PointerRecordingCallback::Intercept,
                             reinterpret_cast<XPointer>(this));
    });

    std::unique_lock lock(m_mutex);
    m_bRecording = m_cv.wait_for(lock, nStartTimeout, [this] { return m_bStarted; });
    if (!m_bRecording) {
        m_strError = "the X server did not start the recording";
    }
}

CPointerRecording::~CPointerRecording() {
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
    for (Display* pDisplay : {m_pData, m_pControl, m_pFlush}) {
        if (pDisplay) {
            XCloseDisplay(pDisplay);
        }
    }
}

void CPointerRecording::Flush() const {
    if (m_pFlush) {
        XSync(m_pFlush, False);
    }
}

void CPointerRecording::OnStarted() {
    std::lock_guard lock(m_mutex);
    m_bStarted = true;
    m_cv.notify_all();
}
