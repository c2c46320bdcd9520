#include "ForkedChild.h"
#include "TestTime.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr int EXIT_CANNOT_DROP = 125;

}  // namespace

unsigned NobodyUid() {
    const passwd* pEntry = getpwnam("nobody");
    return pEntry ? pEntry->pw_uid : 65534u;
}

unsigned NobodyGid() {
    const passwd* pEntry = getpwnam("nobody");
    return pEntry ? pEntry->pw_gid : 65534u;
}

bool CanBecomeNobody() {
    return geteuid() == 0 && getpwnam("nobody") != nullptr;
}

void WriteText(int fd, const std::string& strText) {
    std::size_t nDone = 0;
    while (nDone < strText.size()) {
        const ssize_t n = write(fd, strText.data() + nDone, strText.size() - nDone);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        nDone += static_cast<std::size_t>(n);
    }
}

ChildRun RunInChild(const std::function<int(int)>& body, bool bAsNobody,
                    std::chrono::milliseconds timeout) {
    ChildRun run;
    int aPipe[2];
    if (pipe2(aPipe, O_CLOEXEC) != 0) {
        return run;
    }
    const uid_t uid = NobodyUid();
    const gid_t gid = NobodyGid();
    const pid_t pid = fork();
    if (pid < 0) {
        close(aPipe[0]);
        close(aPipe[1]);
        return run;
    }
    if (pid == 0) {
        close(aPipe[0]);
        if (bAsNobody && (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)) {
            _exit(EXIT_CANNOT_DROP);
        }
        _exit(body(aPipe[1]));
    }
    close(aPipe[1]);
    // Read until the child closes its end or the deadline passes.
    const auto deadline = std::chrono::steady_clock::now() + Scaled(timeout);
    char aBuffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            kill(pid, SIGKILL);
            break;
        }
        pollfd wait{aPipe[0], POLLIN, 0};
        const int nReady = poll(&wait, 1, static_cast<int>(left.count()));
        if (nReady < 0 && errno == EINTR) {
            continue;
        }
        if (nReady <= 0) {
            continue;  // the deadline check above ends it
        }
        const ssize_t n = read(aPipe[0], aBuffer, sizeof aBuffer);
        if (n <= 0) {
            break;
        }
        run.strOutput.append(aBuffer, static_cast<std::size_t>(n));
    }
    close(aPipe[0]);
    int nStatus = 0;
    while (waitpid(pid, &nStatus, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(nStatus)) {
        run.nExit = WEXITSTATUS(nStatus);
    }
    return run;
}
