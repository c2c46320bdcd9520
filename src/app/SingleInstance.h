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
//   accepts, no answer within 2 s   NoAnswer     ends with a message (the other copy hangs)
//   refuses (a crashed copy's file) Resident     removes the file, listens, runs
//   does not exist                  Resident     listens, runs
//   served by another user          Refused      ends with a message
//   its folder is not ours alone    Refused      ends with a message
//   lock still held after 4 s       Refused      ends with a message
//
// Only a socket that another user cannot reach is trusted: its folder must be ours with mode
// 0700 (see FolderTrust.h), and the peer's credentials (SO_PEERCRED) must be ours too.
// Anyone who answered in our place could end our start with "ok", hold it up, or receive
// the "show" requests meant for us.
//
// The check and the listen happen under an flock on "<socket>.lock", so two copies started
// at the same moment cannot both find no copy and both listen. The lock is taken without
// blocking and retried until a deadline, so a start always decides.
class CSingleInstance final : public QObject {
    Q_OBJECT

public:
    enum class Claim { Resident, HandedOver, NoAnswer, Refused };

    explicit CSingleInstance(QString strSocketPath, QObject* pParent = nullptr);
    // The socket of this process: $XDG_RUNTIME_DIR (else a private folder in $TMPDIR or
    // /tmp), the user, $DISPLAY (or $WAYLAND_DISPLAY) and the executable's path.
    static QString SocketPathForThisProcess();

    Claim ClaimOrHandOver();
    // Why the claim was Refused: one line for the user.
    QString Problem() const { return m_strProblem; }
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
    QString m_strProblem;
};
