#include "app/chatbox.h"

#include "app/formhelpers.h"
#include "app/optionsmenu.h"
#include "app/session.h"
#include "chat/chataccessible.h"
#include "chat/chatedit.h"
#include "chat/chatlog.h"
#include "chat/chatmessages.h"
#include "chat/chatview.h"
#include "chat/smilies.h"
#include "client/gameevents.h"
#include "definitions/worddefinitions.h"
#include "settings/colortext.h"
#include "ui/tcolor.h"
#include "sound/soundtable.h"

#include <QFrame>

#include <algorithm>

using namespace formhelpers;

namespace {

FlatButton *makeButton(QWidget *parent, const QString &name, const QString &caption, const QRect &geometry)
{
    auto *button = new FlatButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    return button;
}

// A pop-up menu opens below the right edge of its button.
void popUnder(QMenu *menu, QWidget *button)
{
    menu->popup(button->mapToGlobal(QPoint(button->width(), button->height())));
}

} // namespace

ChatBox::ChatBox(QWidget *board, Session &session) : QObject(board), m_session(session)
{
    build(board);
    buildPopups(board);
    m_log = std::make_unique<ChatLog>(m_mainchat);
    bind();
}

ChatBox::~ChatBox() = default;

void ChatBox::build(QWidget *b)
{
    for (int n = 1; n <= 9; ++n)
        m_phrases[n] = makeButton(b, QStringLiteral("b_phrase%1").arg(n), QString::number(n),
                                  {7, 332 + 19 * (n - 1), 25, 19});
    m_phrases[10] = makeButton(b, QStringLiteral("b_phrase10"), QStringLiteral("\u266A"), {7, 503, 25, 19});
    m_phrases[10]->setToolTip(QStringLiteral("Chatter Sounds"));
    m_phrases[10]->setAccessibleName(QStringLiteral("Chatter Sounds"));

    auto *frame = new QFrame(b);
    frame->setObjectName(QStringLiteral("panel_chat"));
    frame->setGeometry(35, 333, 526, 164);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Sunken);
    ChatAccessible::install();
    m_mainchat = new ChatView(frame);
    m_mainchat->setObjectName(QStringLiteral("mainchat"));
    m_mainchat->setGeometry(2, 2, 522, 160);
    m_mainchat->setFrameShape(QFrame::NoFrame);
    m_mainchat->setAccessibleName(QStringLiteral("Chat"));

    m_mychat = new ChatEdit(b);
    m_mychat->setObjectName(QStringLiteral("mychat"));
    m_mychat->setGeometry(35, 499, 430, 22);
    m_mychat->setAccessibleName(QStringLiteral("Chat line"));
    m_smilies = makeButton(b, QStringLiteral("button_smilies"), QStringLiteral(":)"), {470, 500, 25, 19});
    m_smilies->setAccessibleName(QStringLiteral("Smilies"));
    // The window opens with the keyboard on the chat, not on a button that
    // comes before it: a stray Space would start a game or send a phrase.
    m_mainchat->setFocus(Qt::OtherFocusReason);
}

// The menus belong to the window, after its main menu.
void ChatBox::buildPopups(QWidget *b)
{
    const auto popup = [b](const char *name) {
        auto *menu = new QMenu(b->window());
        menu->setObjectName(QLatin1String(name));
        return menu;
    };
    m_popupMainchat = popup("popup_mainchat");
    // Shown with the word at the pointer, or the one selected.
    m_define = addItem(m_popupMainchat, QStringLiteral("DefineWord1"), QStringLiteral("Define"));
    connect(m_define, &QAction::triggered, this, [this] { emit defineRequested(m_define->data().toString()); });
    connect(addItem(m_popupMainchat, QStringLiteral("SelectAll1"), QStringLiteral("Select All")), &QAction::triggered,
            m_mainchat, &ChatView::selectAll);
    QAction *copy = addItem(m_popupMainchat, QStringLiteral("Copy1"), QStringLiteral("Copy"));
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    connect(copy, &QAction::triggered, m_mainchat, &ChatView::copySelection);
    connect(addItem(m_popupMainchat, QStringLiteral("ClearMainChat2"), QStringLiteral("Clear Main Chat")),
            &QAction::triggered, this, &ChatBox::ClearMainChat1Click);
    addSeparator(m_popupMainchat, QStringLiteral("N5"));
    OptionsMenu::addScrollChatOff(m_popupMainchat, QStringLiteral("ScrollChatOff1"), m_session.options);

    m_popupMychat = popup("popup_mychat");
    QAction *paste = addItem(m_popupMychat, QStringLiteral("Paste1"), QStringLiteral("Paste"));
    paste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    connect(paste, &QAction::triggered, m_mychat, &ChatEdit::pasteAtEnd);

    m_popupSounds = popup("popup_sounds");
    m_popupSounds->setToolTipsVisible(true);
    addItem(m_popupSounds, QStringLiteral("Cancel1"), QStringLiteral("<Cancel>"))->setData(0);
    for (int n = 1; n <= sounds::kChatterCount; ++n) {
        QAction *wave = addItem(m_popupSounds, sounds::chatterName(n), sounds::chatterCaption(n));
        wave->setData(n);
        wave->setToolTip(wave->text());
    }
    // wave20Click: every item of the menu, told apart by its tag.
    connect(m_popupSounds, &QMenu::triggered, this,
            [this](QAction *wave) { m_session.client.wave20Click(wave->data().toInt()); });

    m_popupSmilies = popup("popup_smilies");
    for (int code = 10; code <= 27; ++code) {
        QAction *item = addItem(m_popupSmilies, QStringLiteral("N%1").arg(code), QStringLiteral(":)#%1").arg(code));
        item->setData(code);
        connect(item, &QAction::triggered, this, [this, code] {
            m_mychat->insertSmiley(code);
            m_mychat->setFocus();
        });
    }
    // The pictures are painted when the menu first opens.
    connect(m_popupSmilies, &QMenu::aboutToShow, this, [this] {
        for (QAction *item : m_popupSmilies->actions()) {
            if (item->icon().isNull())
                item->setIcon(QPixmap::fromImage(smilies::picture(item->data().toInt() - smilies::kFirstCode)));
        }
    });
}

void ChatBox::bind()
{
    m_mainchat->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_mainchat, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) {
                const QString selected = m_mainchat->selectedPlainText().trimmed();
                const bool oneWord = !selected.isEmpty() && std::all_of(selected.begin(), selected.end(), [](QChar c) {
                    return c.isLetter() && c.unicode() < 128;
                });
                const QString word = oneWord ? selected : m_mainchat->wordAt(at);
                m_define->setData(word);
                m_define->setText(QStringLiteral("Define ") + word.toUpper());
                m_define->setVisible(!word.isEmpty() && word.size() <= WordDefinitions::kMaxLetters);
                m_popupMainchat->popup(m_mainchat->viewport()->mapToGlobal(at));
            });
    connect(m_mainchat, &ChatView::jump, this, [this](int link) { m_log->mainchatJump(link); });
    m_mychat->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_mychat, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { m_popupMychat->popup(m_mychat->mapToGlobal(at)); });
    connect(m_mychat, &ChatEdit::enterPressed, this, &ChatBox::sendit);
    ChatComposer *composer = &m_session.composer;
    for (int n = 1; n <= Options::kPhraseCount; ++n)
        connect(m_phrases[n], &QPushButton::clicked, composer, [composer, n] { composer->b_phrase1Click(n); });
    connect(m_phrases[10], &QPushButton::clicked, this, [this] { popUnder(m_popupSounds, m_phrases[10]); });
    connect(m_smilies, &QPushButton::clicked, this, [this] { popUnder(m_popupSmilies, m_smilies); });

    connect(m_session.client.events(), &GameEvents::chatLine, this,
            [this](int slot, const QByteArray &text, const QByteArray &colour) {
                const chatmessages::Received line = chatmessages::received(slot, text, colour);
                addlinetochat(line.line, line.colour);
            });
    // Each says its own; they come in the order the game's events happen.
    connect(&m_session.client, &GameClient::notice, this, &ChatBox::notice);
    connect(&m_session.roster, &Roster::notice, this, &ChatBox::notice);
    connect(&m_session.flow, &GameFlow::notice, this, &ChatBox::notice);
    const auto history = [this](const QString &text) { notice(QStringLiteral("History: ") + text); };
    connect(&m_session.history, &HistoryDatabase::notice, this, history);
    connect(&m_session.recorder, &GameRecorder::notice, this, history);

    Options &options = m_session.options;
    options.follow(m_mainchat, &Options::textSize, &Options::textSizeChanged, [this](int points) {
        m_mainchat->styles().setPointSize(points);
        m_mainchat->format();
    });
    options.follow(m_mychat, &Options::textColor, &Options::textColorChanged, [this](quint32 colour) {
        QPalette palette = m_mychat->palette();
        palette.setColor(QPalette::Text, colortext::toColor(colour));
        m_mychat->setPalette(palette);
    });
    const auto showPhrases = [this, &options] {
        for (int n = 1; n <= Options::kPhraseCount; ++n) {
            const QString phrase = options.phrase(n);
            m_phrases[n]->setToolTip(phrase);
            // The phrase first; the tooltip would be read again as the description.
            m_phrases[n]->setAccessibleName(phrase.isEmpty() ? QStringLiteral("Phrase %1").arg(n)
                                                             : QStringLiteral("Phrase %1: %2").arg(n).arg(phrase));
            m_phrases[n]->setAccessibleDescription(QStringLiteral("says it in the chat"));
        }
    };
    showPhrases();
    connect(&options, &Options::phrasesChanged, this, showPhrases);
}

QString ChatBox::hint(int n) const
{
    return n >= 1 && n < int(m_phrases.size()) ? m_phrases[n]->toolTip() : QString();
}

void ChatBox::addlinetochat(const QString &line, quint32 colour)
{
    m_log->addlinetochat(line, colour, !m_session.options.scrollChatOff());
}

void ChatBox::notice(const QString &text)
{
    m_log->addNotice(text, !m_session.options.scrollChatOff());
}

void ChatBox::sendit()
{
    if (m_session.composer.sendit(m_mychat->text()))
        m_mychat->clear();
}

void ChatBox::ClearMainChat1Click()
{
    m_log->clear();
    m_mychat->setFocus();
}
