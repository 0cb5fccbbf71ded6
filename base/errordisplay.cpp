#include "base/errordisplay.h"

#include <QDebug>

namespace {
ErrorSink &sink()
{
    static ErrorSink current = [](const QString &message) { qWarning().noquote() << "pinlex:" << message; };
    return current;
}
} // namespace

void showError(const QString &message)
{
    if (sink())
        sink()(message);
}

ErrorSink setErrorSink(ErrorSink next)
{
    ErrorSink previous = std::move(sink());
    sink() = std::move(next);
    return previous;
}
