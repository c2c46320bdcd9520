#pragma once

#include <QLoggingCategory>

#include "app/TraceSink.h"

Q_DECLARE_LOGGING_CATEGORY(lcTactiloTrace)

// The application's trace sink: the debug level of the logging category "tactilo.trace",
// off unless QT_LOGGING_RULES="tactilo.trace.debug=true".
class CQtTraceSink final : public ITraceSink {
public:
    void Trace(const char* szText) override;
};
