// Which folders may hold our configuration, judged on real folders with real owners and
// modes. The tests run as root, whose primary group ("root") is its own private group.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "TempConfigDir.h"
#include "linux/FolderTrust.h"

namespace {

namespace fs = std::filesystem;

struct FolderCase {
    const char* szName;
    mode_t nMode;
    bool bNobodyGroup;  // the folder's group is "nogroup" instead of our own
    bool bTrusted;
};

void PrintTo(const FolderCase& c, std::ostream* pOut) {
    *pOut << c.szName;
}

class FolderTrustTable : public ::testing::TestWithParam<FolderCase> {};

TEST_P(FolderTrustTable, GroupWriteIsOthersWriteUnlessTheGroupIsOursAlone) {
    const FolderCase& c = GetParam();
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to give a folder away to another group";
    }
    CTempConfigDir config;
    const fs::path folder = fs::path(config.Path()) / "Brenhold";
    fs::create_directories(folder);
    ASSERT_EQ(chmod(folder.c_str(), c.nMode), 0);
    ASSERT_EQ(chown(folder.c_str(), 0, c.bNobodyGroup ? 65534 : getegid()), 0);
    const std::string strProblem = FolderTrustProblem(folder.string());
    EXPECT_EQ(strProblem.empty(), c.bTrusted) << strProblem;
}

INSTANTIATE_TEST_SUITE_P(Modes, FolderTrustTable,
                         ::testing::Values(FolderCase{"Private", 0700, false, true},
                                           FolderCase{"GroupWritableOwnGroup", 0775, false, true},
                                           FolderCase{"GroupWritableOtherGroup", 0775, true, false},
                                           FolderCase{"OthersWritable", 0757, false, false},
                                           FolderCase{"ReadableByOtherGroup", 0750, true, true}),
                         [](const auto& info) { return std::string(info.param.szName); });

}  // namespace
