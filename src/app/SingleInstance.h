#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

// One resident copy per user, display and executable. A start without a switch first asks
// a resident copy already listening on the instance socket (see InstanceSocketPath) to show
// its Device Manager, and ends if it answered; otherwise it becomes the resident copy and
// listens itself. A second copy would fight the first for the port and, failing to open it,
// untick the device, which the next OK would save.
//
//   what the socket does            Claim()      this copy
//   accepts and answers "ok"        HandedOver   ends with status 0
//   accepts, no answer within 5 s   NoAnswer     ends with a message (the other copy hangs)
//   refuses (a crashed copy's file) Resident     removes the file, listens, runs
//   does not exist                  Resident     listens, runs
//
// The check and the listen happen under an flock on "<socket>.lock", so two copies started
// at the same moment cannot both find no copy and both listen.
class CSingleInstance final : public QObject {
    Q_OBJECT

public:
    enum class Claim { Resident, HandedOver, NoAnswer };

    explicit CSingleInstance(QString strSocketPath, QObject* pParent = nullptr);
    // The socket of this process: $XDG_RUNTIME_DIR, the user, $DISPLAY (or $WAYLAND_DISPLAY)
    // and the executable's path.
    static QString SocketPathForThisProcess();

    Claim ClaimOrHandOver();
    // Why listening failed, when it did; the copy then runs without the check.
    QString ListenError() const { return m_strListenError; }

signals:
    // Another start asked for the Device Manager.
    void showRequested();

private:
    bool AskRunningCopy(Claim& claim);
    void OnNewConnection();

    QString m_strSocketPath;
    QLocalServer m_server;
    QString m_strListenError;
};
