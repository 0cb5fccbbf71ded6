#include "base/errordisplay.h"

#include "base/terminaltext.h"

namespace {
ErrorSink &sink()
{
    // Until a window takes over, errors go to standard error: a message may
    // quote a peer's field, so it passes the terminal filter like every line.
    static ErrorSink current = [](const QString &message) {
        writeTerminalLine(stderr, QStringLiteral("pinlex: ") + message);
    };
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
