#pragma once

#include <string>
#include <utility>

#include "FakeHoldTimer.h"
#include "RecordingPointerOutput.h"
#include "RecordingTraceSink.h"
#include "TouchPackets.h"
#include "devices/TouchDevice.h"
#include "touch/TouchProcessor.h"

// Where Tactilo aims a touch packet on a device (a settings line): the same processor, fed
// the same packets, so a test can say where the pointer must land without redoing the maths.
class CTouchAim {
public:
    explicit CTouchAim(const std::string& strDevice) {
        m_touch.SetActiveDevice(ParseDeviceLine(strDevice));
    }
    std::pair<int, int> At(int nRawX, int nRawY) {
        m_output.Clear();
        m_touch.ProcessPacket(TouchPacketText(false, nRawX, nRawY));
        const MouseInput input = m_output.Inputs().back();
        return {input.nPixelX, input.nPixelY};
    }

private:
    CRecordingPointerOutput m_output;
    CFakeHoldTimer m_timer;
    CRecordingTraceSink m_trace;
    CTouchProcessor m_touch{{m_output, m_timer, m_trace, {}, nullptr}};
};
