#pragma once

#include <memory>
#include <string>
#include <vector>

#include "linux/UinputDevice.h"

// What a fake kernel saw: every device made (its range) and the events written to each, in
// order. A maker built from it hands out devices that write into it.
struct UinputLog {
    struct Device {
        ScreenRect rcBounds;
        std::vector<InputEventRecord> vecEvents;
        bool bAlive = true;
    };
    std::vector<Device> vecDevices;
    bool bRefuseMake = false;
    bool bRefuseWrite = false;
};

class CFakeUinputDevice final : public IUinputDevice {
public:
    CFakeUinputDevice(UinputLog& log, std::size_t nIndex) : m_log(log), m_nIndex(nIndex) {}
    ~CFakeUinputDevice() override { m_log.vecDevices[m_nIndex].bAlive = false; }

    bool Write(const std::vector<InputEventRecord>& vecEvents, std::string& strError) override {
        if (m_log.bRefuseWrite) {
            strError = "No such device";
            return false;
        }
        auto& vecLog = m_log.vecDevices[m_nIndex].vecEvents;
        vecLog.insert(vecLog.end(), vecEvents.begin(), vecEvents.end());
        return true;
    }

private:
    UinputLog& m_log;
    std::size_t m_nIndex;
};

inline auto FakeUinputMaker(UinputLog& log) {
    return [&log](const ScreenRect& rcBounds,
                  std::string& strError) -> std::unique_ptr<IUinputDevice> {
        if (log.bRefuseMake) {
            strError = "Permission denied";
            return nullptr;
        }
        log.vecDevices.push_back({rcBounds, {}, true});
        return std::make_unique<CFakeUinputDevice>(log, log.vecDevices.size() - 1);
    };
}
