#pragma once

#include <QMenu>

class Options;

// The Options menu: its check and radio items show the options and set
// them. Its other items (Text Color, Clear Main Chat, Reset Screen
// Location, Just Watch) are the window's to connect.
class OptionsMenu : public QMenu
{
    Q_OBJECT

public:
    OptionsMenu(Options &options, QWidget *parent);

    QAction *textColor = nullptr;
    QAction *clearMainChat = nullptr;
    QAction *resetLocation = nullptr;
    QAction *justWatch = nullptr;

    // A check item that shows a flag and sets it.
    static void bindCheck(QAction *item, Options &options, bool (Options::*get)() const, void (Options::*set)(bool),
                          void (Options::*changed)(bool));
    // "Scroll Chat Off", here and in the chat's pop-up menu.
    static QAction *addScrollChatOff(QMenu *menu, const QString &name, Options &options);
};
