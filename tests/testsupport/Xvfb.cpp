#include "Xvfb.h"

#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "TestTime.h"

CXvfb::CXvfb(const std::string& strScreen) {
    int fds[2];
    if (pipe(fds) != 0) {
        return;
    }
    // -displayfd writes the chosen display number on the pipe when the server is ready.
    m_pServer = std::make_unique<CChildProcess>(std::vector<std::string>{
        "/bin/sh", "-c",
        "exec Xvfb -displayfd " + std::to_string(fds[1]) + " -screen 0 " + strScreen +
            " -nolisten tcp +extension RANDR +extension XTEST +extension XInputExtension"
            " -noreset 2>&1"});
    close(fds[1]);

    std::string strNumber;
    // The pipe also ends when the server dies; the bound is for one that hangs.
    pollfd pfd = {fds[0], POLLIN, 0};
    while (poll(&pfd, 1, 60000 * TestTimeScale()) > 0) {
        char ch = 0;
        if (read(fds[0], &ch, 1) != 1 || ch == '\n') {
            break;
        }
        strNumber += ch;
    }
    close(fds[0]);
    if (!strNumber.empty()) {
        m_strDisplay = ":" + strNumber;
    }
}

CXvfb::~CXvfb() = default;

int CXvfb::Run(const std::string& strCommand) const {
    const std::string strLine = "DISPLAY=" + m_strDisplay + " " + strCommand;
    return std::system(strLine.c_str());
}
