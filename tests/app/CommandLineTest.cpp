#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace {

struct SwitchCase {
    std::vector<const char*> vecArgs;  // after the program name
    // Expected flags, in the order s, c, cs, csw, install.
    bool bS, bC, bCs, bCsw, bInstall;
    const char* szSuffix;
};

std::string Describe(const SwitchCase& c) {
    std::string str = "Tactilo";
    for (const char* sz : c.vecArgs) {
        str += std::string(" [") + sz + "]";
    }
    return str;
}

void PrintTo(const SwitchCase& c, std::ostream* pOut) {
    *pOut << Describe(c);
}

class SwitchTable : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(SwitchTable, SetsTheFlagsAndTheSuffix) {
    const SwitchCase& c = GetParam();
    std::vector<const char*> vecArgv = {"/opt/tactilo/bin/Tactilo"};
    vecArgv.insert(vecArgv.end(), c.vecArgs.begin(), c.vecArgs.end());
    vecArgv.push_back(nullptr);

    CMyCommandLineInfo info;
    info.ParseCommandLine(static_cast<int>(vecArgv.size() - 1), vecArgv.data());

    SCOPED_TRACE(Describe(c));
    EXPECT_EQ(info.m_bSwitchS, c.bS);
    EXPECT_EQ(info.m_bSwitchC, c.bC);
    EXPECT_EQ(info.m_bSwitchCs, c.bCs);
    EXPECT_EQ(info.m_bSwitchCsw, c.bCsw);
    EXPECT_EQ(info.m_bSwitchInstall, c.bInstall);
    EXPECT_EQ(info.AnySwitch(), c.bS || c.bC || c.bCs || c.bCsw || c.bInstall);
    EXPECT_EQ(info.AutoStartSuffix(), c.szSuffix);
    EXPECT_EQ(
        AutoStartSuffix(info.m_bSwitchS, info.m_bSwitchC, info.m_bSwitchCs, info.m_bSwitchCsw),
        c.szSuffix);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(CommandLine, SwitchTable, ::testing::Values(
    //          arguments                   s      c      cs     csw    install suffix
    SwitchCase{{},                          false, false, false, false, false, ""},
    // each switch, bare and behind either prefix
    SwitchCase{{"s"},                       true,  false, false, false, false, " /s"},
    SwitchCase{{"/c"},                      false, true,  false, false, false, " /c"},
    SwitchCase{{"cs"},                      false, false, true,  false, false, " /cs"},
    SwitchCase{{"/cs"},                     false, false, true,  false, false, " /cs"},
    SwitchCase{{"-cs"},                     false, false, true,  false, false, " /cs"},
    SwitchCase{{"-csw"},                    false, false, false, true,  false, " /csw"},
    SwitchCase{{"/install"},                false, false, false, false, true,  ""},
    // case matters, and only one prefix character goes
    SwitchCase{{"/CS"},                     false, false, false, false, false, ""},
    SwitchCase{{"S"},                       false, false, false, false, false, ""},
    SwitchCase{{"--cs"},                    false, false, false, false, false, ""},
    SwitchCase{{"//s"},                     false, false, false, false, false, ""},
    SwitchCase{{"-/s"},                     false, false, false, false, false, ""},
    // near misses and strangers are ignored, not taken for a prefix of a switch
    SwitchCase{{"csww"},                    false, false, false, false, false, ""},
    SwitchCase{{"/c s"},                    false, false, false, false, false, ""},
    SwitchCase{{"/"},                       false, false, false, false, false, ""},
    SwitchCase{{""},                        false, false, false, false, false, ""},
    SwitchCase{{"Settings.dat", "/x"},      false, false, false, false, false, ""},
    SwitchCase{{"foo", "/c", "bar"},        false, true,  false, false, false, " /c"},
    // several switches: every flag set, the suffix from the first of s, c, cs, csw
    SwitchCase{{"/cs", "/s"},               true,  false, true,  false, false, " /s"},
    SwitchCase{{"/csw", "/cs"},             false, false, true,  true,  false, " /cs"},
    SwitchCase{{"/csw", "/c"},              false, true,  false, true,  false, " /c"},
    SwitchCase{{"/install", "-csw"},        false, false, false, true,  true,  " /csw"},
    SwitchCase{{"s", "s"},                  true,  false, false, false, false, " /s"}));
// clang-format on

TEST(InfoRequest, OnlyTheExactSpellingsAskAndTheFirstWins) {
    const struct {
        std::vector<const char*> vecArgs;
        InfoRequest expected;
    } cases[] = {
        {{}, InfoRequest::None},
        {{"--help"}, InfoRequest::Help},
        {{"-h"}, InfoRequest::Help},
        {{"--version"}, InfoRequest::Version},
        {{"/s", "--version", "-h"}, InfoRequest::Version},
        {{"-h", "--version"}, InfoRequest::Help},
        // everything else stays a switch or is ignored, as it always was
        {{"-help", "/h", "h", "/help", "--HELP", "-version", "/version", "--h"}, InfoRequest::None},
    };
    for (const auto& c : cases) {
        std::vector<const char*> vecArgv = {"Tactilo"};
        vecArgv.insert(vecArgv.end(), c.vecArgs.begin(), c.vecArgs.end());
        SCOPED_TRACE(c.vecArgs.empty() ? "" : c.vecArgs.front());
        EXPECT_EQ(FindInfoRequest(static_cast<int>(vecArgv.size()), vecArgv.data()), c.expected);
    }
}

}  // namespace
