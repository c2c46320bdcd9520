#include "qt/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocalSocket>
#include <cerrno>
#include <chrono>
#include <thread>
#include <utility>

#include "app/InstanceName.h"
#include "linux/FolderTrust.h"

namespace {

constexpr int g_nConnectMs = 1000;
constexpr int g_nAnswerMs = 2000;
// Longer than a running copy's answer may take, so a start beside another one waits for it.
constexpr auto g_lockWait = std::chrono::seconds(4);
constexpr auto g_lockRetry = std::chrono::milliseconds(20);
const QByteArray g_show = "show";
constexpr qint64 g_nLongestRequest = 64;
const QByteArray g_ok = "ok\n";

// Holds an flock for the life of the object; without the lock file the check runs unlocked.
// Held() is false when another process kept the lock past the deadline.
class CFileLock {
public:
    explicit CFileLock(const QString& strPath)
        : m_fd(::open(strPath.toLocal8Bit().constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC,
                      0600)) {
        if (m_fd < 0) {
            return;
        }
        const auto deadline = std::chrono::steady_clock::now() + g_lockWait;
        while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) ||
                std::chrono::steady_clock::now() >= deadline) {
                m_bHeld = false;
                return;
            }
            std::this_thread::sleep_for(g_lockRetry);
        }
    }
    bool Held() const { return m_bHeld; }
    ~CFileLock() {
        if (m_fd >= 0) {
            ::close(m_fd);  // releases the lock
        }
    }
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;

private:
    int m_fd;
    bool m_bHeld = true;
};

// The user at the other end of a connected local socket, or -1.
long long PeerUid(const QLocalSocket& socket) {
    struct ucred credentials {};
    socklen_t nLength = sizeof credentials;
    if (getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED,
                   &credentials, &nLength) != 0) {
        return -1;
    }
    return credentials.uid;
}

}  // namespace

CSingleInstance::CSingleInstance(QString strSocketPath, QObject* pParent)
    : QObject(pParent), m_strSocketPath(std::move(strSocketPath)) {
    connect(&m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnNewConnection);
}

QString CSingleInstance::SocketPathForThisProcess() {
    QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty()) {
        display = "wayland:" + qgetenv("WAYLAND_DISPLAY");
    }
    // A runtime folder that is not ours alone is no better than none.
    std::string strRuntime = qgetenv("XDG_RUNTIME_DIR").toStdString();
    if (strRuntime.empty() || strRuntime.front() != '/' ||
        !PrivateFolderProblem(strRuntime).empty()) {
        const QByteArray tmp = qgetenv("TMPDIR");
        strRuntime =
            PrivateRuntimeFolder(tmp.startsWith('/') ? tmp.toStdString() : "/tmp", ::geteuid());
    }
    return QString::fromStdString(
        InstanceSocketPath(strRuntime, ::geteuid(), display.toStdString(),
                           QCoreApplication::applicationFilePath().toStdString()));
}

CSingleInstance::Claim CSingleInstance::ClaimOrHandOver(const QString& strSwitches) {
    // Made here when it is the private stand-in for a runtime folder; checked either way.
    const std::string strFolder = QFileInfo(m_strSocketPath).path().toStdString();
    if (const std::string strProblem = MakePrivateFolder(strFolder); !strProblem.empty()) {
        m_strProblem = QString::fromStdString(strProblem);
        return Claim::Refused;
    }
    CFileLock lock(m_strSocketPath + QStringLiteral(".lock"));
    if (!lock.Held()) {
        m_strProblem = QStringLiteral("another start of Tactilo holds ") + m_strSocketPath +
                       QStringLiteral(".lock and does not finish");
        return Claim::Refused;
    }
    Claim claim = Claim::Resident;
    if (AskRunningCopy(strSwitches, claim)) {
        return claim;
    }
    // Nobody listens: a file left here belongs to a copy that died without closing it.
    QLocalServer::removeServer(m_strSocketPath);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(m_strSocketPath)) {
        m_strListenError = m_server.errorString();
    }
    return Claim::Resident;
}

bool CSingleInstance::AskRunningCopy(const QString& strSwitches, Claim& claim) {
    QLocalSocket socket;
    socket.connectToServer(m_strSocketPath);
    if (!socket.waitForConnected(g_nConnectMs)) {
        return false;
    }
    if (const long long nPeer = PeerUid(socket); nPeer != static_cast<long long>(::geteuid())) {
        m_strProblem = QStringLiteral("the socket ") + m_strSocketPath +
                       QStringLiteral(" is served by another user (uid ") + QString::number(nPeer) +
                       QStringLiteral(")");
        claim = Claim::Refused;
        return true;
    }
    socket.write(strSwitches.isEmpty() ? g_show + '\n'
                                       : g_show + ' ' + strSwitches.toUtf8() + '\n');
    socket.flush();
    QByteArray answer;
    while (!answer.contains('\n') && socket.waitForReadyRead(g_nAnswerMs)) {
        answer += socket.readAll();
    }
    claim = answer == g_ok ? Claim::HandedOver : Claim::NoAnswer;
    return true;
}

void CSingleInstance::OnNewConnection() {
    while (QLocalSocket* pSocket = m_server.nextPendingConnection()) {
        connect(pSocket, &QLocalSocket::disconnected, pSocket, &QObject::deleteLater);
        connect(pSocket, &QLocalSocket::readyRead, this, [this, pSocket] {
            // One request per connection; anything else is not ours and is dropped.
            if (!pSocket->canReadLine()) {
                if (pSocket->bytesAvailable() > g_nLongestRequest) {
                    pSocket->abort();
                }
                return;
            }
            const QByteArray request = pSocket->readLine(g_nLongestRequest + 1);
            if (request == g_show + '\n' ||
                (request.startsWith(g_show + ' ') && request.endsWith('\n'))) {
                emit showRequested(QString::fromUtf8(request.mid(g_show.size()).trimmed()));
                pSocket->write(g_ok);
                pSocket->flush();
            }
            pSocket->disconnectFromServer();
        });
    }
}
