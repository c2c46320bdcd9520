#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "RecordingTraceSink.h"
#include "monitors/MonitorSource.h"
#include "qt/SessionPointer.h"
#include "touch/PointerOutput.h"

namespace {

// Sets an environment variable for one test and puts the old value back.
class CScopedEnv {
public:
    CScopedEnv(const char* pszName, const char* pszValue) : m_strName(pszName) {
        if (const char* pszOld = std::getenv(pszName)) {
            m_strOld = pszOld;
        }
        if (pszValue) {
            setenv(pszName, pszValue, 1);
        } else {
            unsetenv(pszName);
        }
    }
    ~CScopedEnv() {
        if (m_strOld) {
            setenv(m_strName.c_str(), m_strOld->c_str(), 1);
        } else {
            unsetenv(m_strName.c_str());
        }
    }

private:
    std::string m_strName;
    std::optional<std::string> m_strOld;
};

bool Traced(const CRecordingTraceSink& trace, const std::string& strLine) {
    for (const std::string& str : trace.Lines()) {
        if (str == strLine) {
            return true;
        }
    }
    return false;
}

// The test machine has no /dev/uinput, so these are the sessions it cannot reach by the
// kernel: an X server (XTest) and a session without one (the notice).
TEST(SessionPointerTest, WithoutUinputOrXAPressTellsTheUser) {
    if (access("/dev/uinput", F_OK) == 0) {
        GTEST_SKIP() << "/dev/uinput exists here";
    }
    const CScopedEnv display("DISPLAY", nullptr);
    const CScopedEnv forced("TACTILO_POINTER", nullptr);
    CRecordingTraceSink trace;
    int nTold = 0;
    CSessionPointer pointer(trace, [&] { ++nTold; });
    EXPECT_EQ(pointer.Kind(), PointerKind::None);
    EXPECT_TRUE(Traced(trace, "Pointer output: none\n"));
    // The monitors come from the toolkit's screens, not from an X server there is none of.
    const std::vector<MonitorInfo> vecMonitors = pointer.Monitors().EnumMonitors();
    ASSERT_FALSE(vecMonitors.empty());
    EXPECT_GT(vecMonitors[0].rcMonitor.right, vecMonitors[0].rcMonitor.left);

    MouseInput input;
    input.dwFlags = MOUSEEVENTF_LEFTDOWN;
    pointer.ReaderOutput().SendInput(input);
    EXPECT_EQ(nTold, 1);
}

TEST(SessionPointerTest, XSessionTakesXTestAndTheVariableForcesUinput) {
    if (access("/dev/uinput", F_OK) == 0) {
        GTEST_SKIP() << "/dev/uinput exists here";
    }
    const CScopedEnv display("DISPLAY", ":97");
    {
        const CScopedEnv forced("TACTILO_POINTER", nullptr);
        CRecordingTraceSink trace;
        CSessionPointer pointer(trace, [] { FAIL() << "XTest delivers"; });
        EXPECT_EQ(pointer.Kind(), PointerKind::XTest);
        EXPECT_TRUE(Traced(trace, "Pointer output: xtest\n"));
        EXPECT_NE(&pointer.ReaderOutput(), &pointer.UiOutput());
    }
    {
        const CScopedEnv forced("TACTILO_POINTER", "uinput");
        CRecordingTraceSink trace;
        CSessionPointer pointer(trace, [] { FAIL() << "uinput never tells"; });
        EXPECT_EQ(pointer.Kind(), PointerKind::Uinput);
        EXPECT_TRUE(Traced(trace, "Pointer output: uinput\n"));
        // One device for both threads.
        EXPECT_EQ(&pointer.ReaderOutput(), &pointer.UiOutput());
    }
}

}  // namespace
