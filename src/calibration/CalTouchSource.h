#pragma once

// What the calibration capture reads of the touch stream. While a calibration runs, the touch
// processor moves no pointer; for every packet it publishes the touch flag and the raw point
// (after the device's X/Y swap; both raw values CAL_RELEASED_RAW on a release packet), and
// the capture polls them every 10 ms from its own thread.

constexpr int CAL_RELEASED_RAW = -999;

struct CalTouchSample {
    bool m_bTouchDown = false;
    int m_nCalRawX = CAL_RELEASED_RAW;
    int m_nCalRawY = CAL_RELEASED_RAW;
};

class ICalTouchSource {
public:
    virtual ~ICalTouchSource() = default;
    // Called on the capture thread while the writer runs on the reader thread. The writer
    // stores the raw values before the flag (the flag with release order); implementations
    // load the flag first (acquire) and then the raw values, so that a set flag is never
    // paired with raw values older than the packet that set it.
    virtual CalTouchSample ReadTouch() const = 0;
};
