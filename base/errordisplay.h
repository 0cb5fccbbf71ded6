#pragma once

#include <QString>

#include <functional>

// The application's general error display. Errors that a handler meets
// (a field that is not a number, a refused socket operation) end up here;
// the program goes on with its next event. The sink is swapped by the
// windowed program (a non-blocking error window), by the headless modes
// (standard error) and by tests (a recorder).
using ErrorSink = std::function<void(const QString &message)>;

void showError(const QString &message);
ErrorSink setErrorSink(ErrorSink sink);   // returns the previous sink
