#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "ChildProcess.h"
#include "PipedProcess.h"

// A child built with a sanitizer reports on its standard error and often ends with a status
// nobody checks (it was ended with SIGTERM); its owner must still fail the test.
namespace {

void RunChildThatWrites(const char* szText) {
    CChildProcess child({"sh", "-c", std::string("printf '%s\\n' '") + szText + "' >&2"});
    child.Wait();
}

void RunPipedChildThatWrites(const char* szText) {
    CPipedProcess child({"sh", "-c", std::string("printf '%s\\n' '") + szText + "' >&2"});
    child.Wait();
}

}  // namespace

TEST(SanitizerReportTest, ChildReportsFailTheTest) {
    EXPECT_NONFATAL_FAILURE(RunChildThatWrites("==7==ERROR: AddressSanitizer: heap-use-after-free"),
                            "heap-use-after-free");
    EXPECT_NONFATAL_FAILURE(RunChildThatWrites("==7==ERROR: LeakSanitizer: detected memory leaks"),
                            "detected memory leaks");
    EXPECT_NONFATAL_FAILURE(RunChildThatWrites("WARNING: ThreadSanitizer: data race (pid=7)"),
                            "data race");
    EXPECT_NONFATAL_FAILURE(
        RunPipedChildThatWrites("Touch.cpp:12:5: runtime error: signed integer overflow"),
        "signed integer overflow");
}

TEST(SanitizerReportTest, ReportStartsAtItsFirstLine) {
    EXPECT_EQ(SanitizerReport("ready\n==7==ERROR: AddressSanitizer: x\n#0 f\n"),
              "==7==ERROR: AddressSanitizer: x\n#0 f\n");
    EXPECT_EQ(SanitizerReport("Tactilo: COM2 (/dev/ttyUSB0): Permission denied\n"), "");
}
