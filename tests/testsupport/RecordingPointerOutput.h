#pragma once

#include <mutex>
#include <vector>

#include "touch/PointerOutput.h"

// Keeps every pointer record in order, from any thread, on a screen of a chosen size.
class CRecordingPointerOutput final : public IPointerOutput {
public:
    explicit CRecordingPointerOutput(ScreenSize size = {1920, 1080}) : m_size(size) {}

    ScreenSize PrimaryScreenSize() override { return m_size; }
    void SendInput(const MouseInput& input) override {
        std::lock_guard lock(m_mutex);
        m_vecInputs.push_back(input);
    }

    std::vector<MouseInput> Inputs() const {
        std::lock_guard lock(m_mutex);
        return m_vecInputs;
    }
    // Only the flags, in order: the button sequence a test usually asserts.
    std::vector<unsigned> Flags() const {
        std::lock_guard lock(m_mutex);
        std::vector<unsigned> vecFlags;
        for (const MouseInput& input : m_vecInputs) {
            vecFlags.push_back(input.dwFlags);
        }
        return vecFlags;
    }
    void Clear() {
        std::lock_guard lock(m_mutex);
        m_vecInputs.clear();
    }

private:
    ScreenSize m_size;
    mutable std::mutex m_mutex;
    std::vector<MouseInput> m_vecInputs;
};
