#pragma once

#include <chrono>
#include <deque>
#include <optional>
#include <string>

struct _XDisplay;

// Sees the pointer move as any other X client would: XInput 2 raw motion events selected on
// the root window. They reach the client the moment the server has processed the motion,
// whatever window lies under the pointer, and for XTest motion they carry the root pixel.
// (The RECORD extension holds its data back until the server has more to send, which would
// add its own delay to a latency.)
//
// Each event is stamped with the time its bytes were read from the connection.
class CMotionWatch {
public:
    using Clock = std::chrono::steady_clock;
    struct Motion {
        int x = 0;
        int y = 0;
        Clock::time_point tpSeen;
    };

    explicit CMotionWatch(const std::string& strDisplay);
    ~CMotionWatch();
    CMotionWatch(const CMotionWatch&) = delete;
    CMotionWatch& operator=(const CMotionWatch&) = delete;

    bool Ok() const { return m_pDisplay != nullptr; }
    // Whether motions are kept for WaitFor (the default) or only counted, as a flood of
    // them at line rate is.
    void Keep(bool bKeep) { m_bKeep = bKeep; }
    // Whether the pixel of a motion is asked of the server (the pointer's root position) rather
    // than read from the raw event: a kernel device's raw values are its own axis units, not
    // pixels. Each packet is waited for before the next one, so the pointer stands still then.
    void QueryPixel(bool bQuery) { m_bQuery = bQuery; }
    // How many pixels short of the expected one a motion may land and still match it: the X
    // server's libinput driver scales an absolute axis to 0..65535 and back, truncating.
    void Slack(int nPixels) { m_nSlack = nPixels; }

    // The time the first motion to (x, y) was seen, waiting until the deadline. Motions to
    // other pixels before it are dropped and counted as strays.
    std::optional<Clock::time_point> WaitFor(int x, int y, Clock::time_point deadline);
    // Reads whatever has arrived, waiting up to nTimeoutMs for the first bytes (0: no wait).
    void Read(int nTimeoutMs);
    // Waits until nCount motions in all have been seen, or the deadline.
    bool WaitForCount(unsigned long long nCount, Clock::time_point deadline);
    // Reads for nQuietMs more, then forgets every motion kept and every stray counted.
    void Forget(int nQuietMs);

    unsigned long long Count() const { return m_nCount; }
    unsigned long long Strays() const { return m_nStrays; }
    // The last pixel seen.
    int LastX() const { return m_nLastX; }
    int LastY() const { return m_nLastY; }

private:
    _XDisplay* m_pDisplay = nullptr;
    int m_nOpcode = 0;
    bool m_bKeep = true;
    bool m_bQuery = false;
    int m_nSlack = 0;
    std::deque<Motion> m_queue;
    unsigned long long m_nCount = 0;
    unsigned long long m_nStrays = 0;
    int m_nLastX = -1;
    int m_nLastY = -1;
};
