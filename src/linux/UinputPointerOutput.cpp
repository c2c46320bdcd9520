#include "linux/UinputPointerOutput.h"

#include <iostream>
#include <utility>

namespace {

void WarnToStderr(const std::string& strText) {
    std::cerr << "Tactilo: " << strText << '\n';
}

}  // namespace

CUinputPointerOutput::CUinputPointerOutput(DeviceMaker make, WarningFn warn)
    : m_make(std::move(make)), m_warn(warn ? std::move(warn) : WarningFn(WarnToStderr)) {}

void CUinputPointerOutput::SetMonitors(const std::vector<MonitorInfo>& vecMonitors) {
    const ScreenRect rcBounds = MonitorBounds(vecMonitors);
    std::lock_guard lock(m_mutex);
    m_sizePrimary = PrimaryMonitorSize(vecMonitors);
    if (m_pDevice && rcBounds == m_rcBounds) {
        return;
    }
    if (m_pDevice && m_stream) {
        Write(m_stream->ReleaseHeld());
    }
    m_pDevice.reset();
    m_stream.reset();
    m_rcBounds = rcBounds;
    if (rcBounds.right <= rcBounds.left || rcBounds.bottom <= rcBounds.top) {
        // No monitor: nowhere to point. The next layout with one makes the device.
        return;
    }
    std::string strError;
    m_pDevice = m_make(rcBounds, strError);
    if (!m_pDevice) {
        m_warn("cannot make the uinput pointer (" + strError + "); touch input is not passed on");
        return;
    }
    m_stream.emplace(rcBounds);
    m_bWarned = false;
}

bool CUinputPointerOutput::HasDevice() const {
    std::lock_guard lock(m_mutex);
    return m_pDevice != nullptr;
}

ScreenSize CUinputPointerOutput::PrimaryScreenSize() {
    std::lock_guard lock(m_mutex);
    return m_sizePrimary;
}

void CUinputPointerOutput::SendInput(const MouseInput& input) {
    std::lock_guard lock(m_mutex);
    if (!m_pDevice || !m_stream) {
        return;
    }
    Write(m_stream->Events(input));
}

void CUinputPointerOutput::Write(const std::vector<InputEventRecord>& vecEvents) {
    if (vecEvents.empty()) {
        return;
    }
    std::string strError;
    if (m_pDevice->Write(vecEvents, strError)) {
        m_bWarned = false;
    } else if (!m_bWarned) {
        // Once per run of failures: a refusing device refuses every packet.
        m_bWarned = true;
        m_warn("the uinput pointer refused an event (" + strError + ")");
    }
}
