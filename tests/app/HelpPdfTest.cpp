// The manual that the build prints: present beside the program, where the Help command
// looks, and a PDF from its first byte to its last.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

TEST(HelpPdf, IsBuiltBesideTheProgram) {
    std::ifstream file(TACTILO_HELP_PDF, std::ios::binary);
    ASSERT_TRUE(file) << TACTILO_HELP_PDF << " is missing";
    const std::string strPdf{std::istreambuf_iterator<char>(file),
                             std::istreambuf_iterator<char>()};
    EXPECT_EQ(strPdf.rfind("%PDF-", 0), 0u);
    EXPECT_NE(strPdf.find("%%EOF", strPdf.size() - 16), std::string::npos) << "cut short";
    // A manual of several pages, not an empty page.
    EXPECT_GT(strPdf.size(), 20000u);
}

}  // namespace
