#include "dialogs/helpform.h"

#include "dialogs/helppages.h"
#include "ui/artwork.h"
#include "ui/controls.h"
#include "ui/windowpalette.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

constexpr int kLeftPanelWidth = 137;

} // namespace

Thelp::Thelp(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("help"));
    setWindowTitle(QStringLiteral("Pinlex - Help File"));
    setSizeGripEnabled(true);
    resize(521, 422);
    setAutoFillBackground(true);
    windowpalette::use(this);

    auto *left = new QWidget(this);
    left->setObjectName(QStringLiteral("panel_left"));
    left->setFixedWidth(kLeftPanelWidth);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(8, 8, 8, 8);
    leftLayout->setSpacing(4);

    auto *right = new QWidget(this);
    right->setObjectName(QStringLiteral("panel_right"));
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 8, 8, 8);
    label_caption = new QLabel(right);
    label_caption->setObjectName(QStringLiteral("label_caption"));
    label_caption->setAccessibleDescription(QStringLiteral("The help topic shown"));
    QFont big = label_caption->font();
    big.setPixelSize(18);
    big.setBold(true);
    label_caption->setFont(big);
    pages = new QStackedWidget(right);
    pages->setObjectName(QStringLiteral("pages"));
    rightLayout->addWidget(label_caption);
    rightLayout->addWidget(pages, 1);

    topics = new QButtonGroup(this);
    for (const HelpTopic &topic : helpTopics()) {
        auto *button = new FlatButton(topic.caption, left);
        button->setObjectName(QStringLiteral("SelButton%1").arg(topic.tag));
        button->setFixedHeight(26);
        topics->addButton(button, topic.tag);
        leftLayout->addWidget(button);

        auto *memo = new QTextBrowser(pages);
        memo->setObjectName(QStringLiteral("memo%1").arg(topic.tag));
        memo->setAccessibleName(topic.caption);
        memo->setOpenLinks(false);
        memo->setHtml(topic.page);
        pages->addWidget(memo);
    }
    connect(topics, &QButtonGroup::buttonClicked, this, &Thelp::SelButton1Click);
    leftLayout->addStretch(1);

    auto *about = new FlatButton(QStringLiteral("About"), left);
    about->setObjectName(QStringLiteral("button_about"));
    about->setFixedHeight(26);
    connect(about, &QPushButton::clicked, this, &Thelp::button_aboutClick);
    auto *done = new FlatButton(QStringLiteral("Done"), left);
    done->setObjectName(QStringLiteral("button_done"));
    done->setFixedHeight(26);
    connect(done, &QPushButton::clicked, this, &Thelp::button_doneClick);
    leftLayout->addWidget(about);
    leftLayout->addWidget(done);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(left);
    layout->addWidget(right, 1);

    FormCreate();
}

void Thelp::FormCreate()
{
    SelButton1Click(topics->button(1));
}

void Thelp::SelButton1Click(QAbstractButton *button)
{
    const int tag = topics->id(button);
    auto *memo = pages->findChild<QWidget *>(QStringLiteral("memo%1").arg(tag));
    if (!memo)
        return;
    pages->setCurrentWidget(memo);
    label_caption->setText(button->text());
}

void Thelp::button_aboutClick()
{
    emit aboutRequested();
}

void Thelp::button_doneClick()
{
    hide();
}

// The background picture follows the window's size.
void Thelp::resizeEvent(QResizeEvent *event)
{
    QPalette palette = this->palette();
    palette.setBrush(QPalette::Window, artwork::formBackground(size()));
    setPalette(palette);
    QDialog::resizeEvent(event);
}
