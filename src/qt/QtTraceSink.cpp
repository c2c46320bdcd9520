#include "qt/QtTraceSink.h"

Q_LOGGING_CATEGORY(lcTactiloTrace, "tactilo.trace", QtWarningMsg)

void CQtTraceSink::Trace(const char* szText) {
    // Called twice a packet: with the category off (the usual case) build nothing.
    if (!lcTactiloTrace().isDebugEnabled()) {
        return;
    }
    // The texts carry their own line ends (or none); the log adds one per call.
    QByteArray text(szText);
    if (text.endsWith('\n')) {
        text.chop(1);
    }
    qCDebug(lcTactiloTrace).noquote() << text;
}
