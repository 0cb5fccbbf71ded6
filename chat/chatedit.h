#pragma once

#include <QLineEdit>

// The one-line chat edit (mychat). It shows "<Enter Chat Here>" until the
// first key press in it; Enter sends instead of beeping; text pasted or
// picked from the smilies menu goes to the end of the line.
class ChatEdit : public QLineEdit
{
    Q_OBJECT

public:
    static const QString kPlaceholder;

    explicit ChatEdit(QWidget *parent = nullptr);

    bool showsPlaceholder() const { return text() == kPlaceholder; }
    // Adds text at the end, line breaks as blanks, and leaves the cursor
    // there with nothing selected.
    void appendText(const QString &more);
    // The smiley code ":)#" and code, replacing the placeholder.
    void insertSmiley(int code);
    // The clipboard's text, if any, after whatever the edit holds.
    void pasteAtEnd();

signals:
    void enterPressed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
