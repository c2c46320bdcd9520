#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

// One running copy per user, display and executable. Every start, with switches or without,
// first hands itself over to a copy already listening on the instance socket (see
// InstanceSocketPath), which then does what the switches ask (see CTactiloHub::OnHandOver),
// and ends if it answered; otherwise it becomes the running copy and listens itself. A second
// copy would fight the first for the port ("Device or resource busy") and, failing to open
// it, untick the device, which the next OK would save.
//
// The request is one line: "show", then the start's switches ("show /cs\n"); the answer
// "ok\n". A line of anything else is dropped unanswered.
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

    // strSwitches: the start's switches as arguments ("/cs"), handed over with the request.
    Claim ClaimOrHandOver(const QString& strSwitches = QString());
    // Why the claim was Refused: one line for the user.
    QString Problem() const { return m_strProblem; }
    // Why listening failed, when it did; the copy then runs without the check.
    QString ListenError() const { return m_strListenError; }

signals:
    // Another start handed over with these switches (arguments, "" for none).
    void showRequested(const QString& strSwitches);

private:
    bool AskRunningCopy(const QString& strSwitches, Claim& claim);
    void OnNewConnection();

    QString m_strSocketPath;
    QLocalServer m_server;
    QString m_strListenError;
    QString m_strProblem;
};
