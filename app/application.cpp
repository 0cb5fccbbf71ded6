#include "app/application.h"

#include "app/chatform.h"
#include "base/errordisplay.h"
#include "base/terminaltext.h"
#include "app/errorwindow.h"
#include "app/forms.h"
#include "app/session.h"
#include "app/singleinstance.h"
#include "client/gameclient.h"
#include "ui/appstyle.h"

#include <QApplication>
#include <QProcess>

#include <memory>

bool displayAvailable()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY")
           || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

void bringForward(QWidget *window)
{
    if (window->isMinimized())
        window->showNormal();
    window->raise();
    window->activateWindow();
}

int runGame(const QStringList &launchParameters, quint16 port, bool announce, bool portMapping)
{
    QString problem;
    if (userRuntimeDirectory(&problem).isEmpty()) {
        writeTerminalLine(stderr, QStringLiteral("pinlex: ") + problem);
        return 1;
    }
    const QString instanceName = QStringLiteral("kivro9");
    SingleInstance instance;
    if (instance.IsPrevInstance(instanceName, true, &problem)) {
        if (problem.isEmpty())
            return 0; // the running copy has been brought forward
        writeTerminalLine(stderr, QStringLiteral("pinlex: ") + problem);
        return 1;
    }

    appstyle::use();
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    QApplication::setFont(font);

    // Made at the first error: most games never need it.
    std::unique_ptr<ErrorWindow> errors;
    const ErrorSink previous = setErrorSink([&errors](const QString &message) {
        if (!errors)
            errors = std::make_unique<ErrorWindow>();
        errors->report(message);
    });

    int status = 0;
    {
        Forms forms;
        Tchat *chat = forms.chat();
        QObject::connect(&instance, &SingleInstance::activateRequested, chat, [chat] { bringForward(chat); });
        // Open dialogs would otherwise keep the program running.
        QObject::connect(chat, &Tchat::closed, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        // Playing with others starts the game again with the new launch
        // parameters: the new copy takes over the name and the port.
        // This copy goes only once the new one runs; if it cannot start,
        // this one stays, and keeps the name again.
        QObject::connect(chat, &Tchat::relaunchRequested, chat,
                         [&instance, instanceName, chat](const QStringList &arguments) {
                             instance.release();
                             if (!QProcess::startDetached(QCoreApplication::applicationFilePath(), arguments)) {
                                 instance.IsPrevInstance(instanceName, false);
                                 showError(QStringLiteral("The game could not be started again."));
                                 return;
                             }
                             chat->close();
                         });
        chat->setLaunchParameters(launchParameters);
        chat->setPort(port);
        chat->session().client.setAnnounceTable(announce);
        chat->setPortMapping(portMapping);
        chat->show();
        status = QApplication::exec();
    }
    setErrorSink(previous);
    return status;
}
