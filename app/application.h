#pragma once

#include <QStringList>
#include <QtGlobal>

// Runs the windowed game: the single-instance check, the windows, the event
// loop. A game hosted for others is shown on the local network when
// announce is set, and the router asked to forward its port when
// portMapping is set too. Returns the program's exit status.
int runGame(const QStringList &launchParameters, quint16 port = 7772, bool announce = true,
            bool portMapping = true);

class QWidget;

// Brings a window to the front, restoring it first when it is minimised.
void bringForward(QWidget *window);

// True when the windowed program can find a display to show itself on.
bool displayAvailable();
