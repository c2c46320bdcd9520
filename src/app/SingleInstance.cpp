#include "app/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QLocalSocket>
#include <cerrno>
#include <utility>

#include "app/InstanceName.h"

namespace {

constexpr int g_nConnectMs = 1000;
constexpr int g_nAnswerMs = 5000;
const QByteArray g_show = "show\n";
const QByteArray g_ok = "ok\n";

// Holds an flock for the life of the object; without the lock file the check runs unlocked.
class CFileLock {
public:
    explicit CFileLock(const QString& strPath)
        : m_fd(::open(strPath.toLocal8Bit().constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (m_fd >= 0) {
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~CFileLock() {
        if (m_fd >= 0) {
            ::close(m_fd);  // releases the lock
        }
    }
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;

private:
    int m_fd;
};

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
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    return QString::fromStdString(InstanceSocketPath(
        runtime.startsWith('/') ? runtime.toStdString() : std::string(), ::getuid(),
        display.toStdString(), QCoreApplication::applicationFilePath().toStdString()));
}

CSingleInstance::Claim CSingleInstance::ClaimOrHandOver() {
    CFileLock lock(m_strSocketPath + QStringLiteral(".lock"));
    Claim claim = Claim::Resident;
    if (AskRunningCopy(claim)) {
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

bool CSingleInstance::AskRunningCopy(Claim& claim) {
    QLocalSocket socket;
    socket.connectToServer(m_strSocketPath);
    if (!socket.waitForConnected(g_nConnectMs)) {
        return false;
    }
    socket.write(g_show);
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
                if (pSocket->bytesAvailable() > 64) {
                    pSocket->abort();
                }
                return;
            }
            const QByteArray request = pSocket->readLine();
            if (request == g_show) {
                emit showRequested();
                pSocket->write(g_ok);
                pSocket->flush();
            }
            pSocket->disconnectFromServer();
        });
    }
}
