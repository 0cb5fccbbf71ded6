#include "dialogs/wordswindow.h"

#include "dialogs/definitionsview.h"
#include "ui/windowpalette.h"
#include "ui/windowplacement.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

WordsWindow::WordsWindow(WordDefinitions &definitions, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Twords"));
    setWindowTitle(QStringLiteral("Words"));
    setModal(false);
    windowpalette::use(this);
    resize(340, 420);

    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("words_heading"));
    m_heading->setTextFormat(Qt::PlainText);
    m_view = new DefinitionsView(definitions, this);
    m_heading->setBuddy(m_view);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addWidget(m_view, 1);
    layout->addWidget(buttons);
    showWords(QStringLiteral("No frame has ended yet."), {});
}

void WordsWindow::showWords(const QString &heading, const QList<WordToDefine> &words)
{
    m_heading->setText(heading);
    m_view->setWords(words);
}

void WordsWindow::showWord(const QString &word, const QString &source)
{
    m_view->showWord(word, source);
}

void WordsWindow::present(bool activate)
{
    if (!m_placed) {
        m_placed = true;
        placeBesideMain();
    }
    setAttribute(Qt::WA_ShowWithoutActivating, !activate);
    show();
    if (activate) {
        raise();
        activateWindow();
        m_view->setFocus();
    }
}

void WordsWindow::placeBesideMain()
{
    if (!m_main || compositorPlacesWindows())
        return;
    const QRect main = m_main->frameGeometry();
    const QScreen *screen = m_main->screen() ? m_main->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    // Right of the main window where there is room, else left of it.
    QRect bounds(QPoint(main.right() + 1, main.top()), frameGeometry().size());
    if (available.isValid() && bounds.right() > available.right())
        bounds.moveRight(main.left() - 1);
    // A window's position is its frame's.
    move(fitToScreen(*this, bounds).topLeft());
}
