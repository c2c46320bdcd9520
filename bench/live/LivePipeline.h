#pragma once

#include <memory>
#include <string>
#include <utility>

#include "BenchChild.h"
#include "BenchPty.h"
#include "touch/HoldTimer.h"
#include "touch/PointerOutput.h"
#include "touch/TouchProcessor.h"

class CMotionWatch;

// What runs the touch path under measurement, and how.
struct LiveSetup {
    // "inprocess": tactilo-live-pipeline, the program's parts wired as its main window wires
    // them; "tactilo": the Tactilo executable itself, which connects the ticked device of
    // its Settings.dat at start-up; "floor": tactilo-live-floor, for the least cost any
    // driver has (it moves the pointer to raw x, raw y).
    std::string strKind = "inprocess";
    std::string strPipelineExe;
    std::string strFloorExe;
    std::string strTactiloExe;
    std::string strWorkDir;  // app/ below it gets Settings.dat (and the copy of Tactilo)
    int nPort = 7;
    // The program's option defaults; the in-process pipeline is given them, Tactilo reads
    // its own (none stored: the same defaults).
    int nPrecision = 15;
    unsigned nRightClickMs = 2000;
};

// The pixel each packet moves the pointer to, from a processor of our own that is fed the
// same packets as the one under test (snap and all).
class CPixelOracle {
public:
    CPixelOracle(int nPrecision, unsigned nRightClickMs);
    std::pair<int, int> Feed(bool bTouch, int nRawX, int nRawY);

private:
    class COutput final : public IPointerOutput {
    public:
        ScreenSize PrimaryScreenSize() override { return {1920, 1080}; }
        void SendInput(const MouseInput& input) override;
        std::pair<int, int> pixel{-1, -1};
    };
    class CTimer final : public IHoldTimer {
    public:
        unsigned SetTimer(unsigned nId, unsigned, std::uint64_t) override { return nId; }
        void KillTimer(unsigned) override {}
    };
    COutput m_output;
    CTimer m_timer;
    CTouchProcessor m_touch;
};

// The pipeline under test on its own pseudo-terminal, linked as COM<nPort>.
class CLivePipeline {
public:
    explicit CLivePipeline(LiveSetup setup);

    // Writes Settings.dat, starts the program, and sends release packets (which only move
    // the pointer) until one of them is seen to move it: then the reader is running.
    bool Start(CMotionWatch& watch, std::string& strError);
    // Writes one packet; pPixel receives the pixel it should move the pointer to.
    bool Send(bool bTouch, int nRawX, int nRawY, std::pair<int, int>* pPixel = nullptr);
    // Writes several packets in one write (as a USB adapter hands over its buffer).
    bool SendBytes(const unsigned char* pBytes, std::size_t nCount);
    CPixelOracle& Oracle() { return m_oracle; }

    int Pid() const { return m_pChild ? m_pChild->Pid() : -1; }
    bool Running() { return m_pChild && m_pChild->Running(); }
    // The reader thread's id, when the pipeline tells it (the in-process one does).
    int ReaderTid() const { return m_nReaderTid; }
    // Packets the reader handed on and packets cut short; false when the pipeline cannot
    // tell (Tactilo).
    bool Count(unsigned long long& nPackets, unsigned long long& nCutShort);
    void Stop();
    const LiveSetup& Setup() const { return m_setup; }
    // Why the last write failed.
    const std::string& LineError() const { return m_pty.Error(); }

private:
    LiveSetup m_setup;
    CBenchPty m_pty;
    CPixelOracle m_oracle;
    std::unique_ptr<CBenchChild> m_pChild;
    int m_nReaderTid = 0;
};

// Writes <dir>/Settings.dat with the bench device on COM<nPort>, ticked, CR LF line end.
bool WriteSettingsFile(const std::string& strDir, int nPort, std::string& strError);
