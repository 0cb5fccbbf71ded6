#include "dialogs/aboutform.h"

#include "ui/artwork.h"
#include "ui/controls.h"
#include "ui/windowpalette.h"
#include "base/version.h"

#include <QLabel>

Tabout::Tabout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("about"));
    setWindowTitle(QStringLiteral("Pinlex - About"));
    setFixedSize(304, 174);
    windowpalette::use(this);
    auto *background = new QLabel(this);
    background->setPixmap(artwork::formBackground(size()));
    background->setGeometry(rect());

    auto *title = new QLabel(QStringLiteral("Pinlex"), this);
    title->setGeometry(16, 12, 200, 30);
    QFont big = title->font();
    big.setPixelSize(24);
    big.setBold(true);
    title->setFont(big);

    auto *caption = new QLabel(QStringLiteral("Version"), this);
    caption->setGeometry(16, 50, 48, 16);
    version = new QLabel(QString::fromLatin1(kVersionText), this);
    version->setObjectName(QStringLiteral("version"));
    version->move(64, 50);
    version->adjustSize();
    // The build number follows the version directly: the player reads 1.0.9.16.
    auto *build = new QLabel(QString::fromLatin1(kBuildSuffix), this);
    build->move(version->geometry().right() + 1, 50);
    build->adjustSize();

    auto *credit = new QLabel(QStringLiteral("A bowling game of words for up to four players. Free software "
                                             "under the GNU GPL, version 3 or later. Word lists: ENABLE, "
                                             "SCOWL and LDNOOBW. Terms: Help > Content > License."),
                              this);
    credit->setWordWrap(true);
    credit->setGeometry(16, 70, 272, 64);
    credit->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    const QSize logo = artwork::logo().deviceIndependentSize().toSize();
    Image1 = new PictureBox(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(288 - logo.width(), 14, logo.width(), logo.height());
    Image1->setPicture(PictureBox::Painter(&artwork::logo));
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setAccessibleName(QStringLiteral("Pinlex logo"));
    connect(Image1, &PictureBox::clicked, this, &Tabout::Image1Click);

    auto *done = new FlatButton(QStringLiteral("Done"), this);
    done->setGeometry(216, 140, 72, 24);
    connect(done, &QPushButton::clicked, this, &Tabout::Button1Click);
}

void Tabout::Image1Click()
{
    hide();
}

void Tabout::Button1Click()
{
    close();
}
