#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "app/TraceSink.h"

// Keeps every trace line, in order, from any thread.
class CRecordingTraceSink final : public ITraceSink {
public:
    void Trace(const char* szText) override {
        std::lock_guard lock(m_mutex);
        m_vecLines.emplace_back(szText);
    }
    std::vector<std::string> Lines() const {
        std::lock_guard lock(m_mutex);
        return m_vecLines;
    }
    void Clear() {
        std::lock_guard lock(m_mutex);
        m_vecLines.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_vecLines;
};
