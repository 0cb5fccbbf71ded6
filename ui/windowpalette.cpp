#include "ui/windowpalette.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

namespace {

// A style that draws controls in the colours of their palette; a desktop's
// style may draw them in its own dark ones (Adwaita-Dark's combo boxes).
QStyle *paletteStyle()
{
    static QPointer<QStyle> style;
    if (!style) {
        style = QStyleFactory::create(QStringLiteral("Fusion"));
        if (style)
            style->setParent(qApp);
    }
    return style;
}

// Whether the application's own style is already that style (the desktop
// has no style of its own, or it is that one): nothing to give then.
bool drawsInPaletteColours()
{
    const QStyle *style = QApplication::style();
    if (const auto *proxy = qobject_cast<const QProxyStyle *>(style))
        style = proxy->baseStyle();
    return style && style->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0;
}

// Gives the window and every control in it that style before they are first
// polished, so that none is polished twice, and again to any control made
// after that when the window first shows.
class StyleOnShow : public QObject
{
public:
    using QObject::QObject;

private:
    static constexpr char kStyled[] = "pinlexPaletteStyle";

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Polish && event->type() != QEvent::Show)
            return false;
        auto *window = static_cast<QWidget *>(watched);
        if (QStyle *style = paletteStyle()) {
            // A control with a style sheet reports the sheet's style, not
            // this one: the mark says it has been given this one.
            const QList<QWidget *> controls = QList<QWidget *>{window} + window->findChildren<QWidget *>();
            for (QWidget *control : controls) {
                if (!control->property(kStyled).toBool()) {
                    control->setStyle(style);
                    control->setProperty(kStyled, true);
                }
            }
        }
        if (event->type() == QEvent::Show) {
            window->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};

} // namespace

namespace windowpalette {

QPalette fixed()
{
    const QColor black(0, 0, 0);
    const QColor white(255, 255, 255);
    const QColor face(239, 239, 239);
    QPalette palette(black, face, white, QColor(159, 159, 159), QColor(184, 184, 184), black, white, white, face);
    palette.setColor(QPalette::Midlight, QColor(202, 202, 202));
    palette.setColor(QPalette::Shadow, QColor(118, 118, 118));
    palette.setColor(QPalette::AlternateBase, QColor(247, 247, 247));
    palette.setColor(QPalette::ToolTipBase, QColor(255, 255, 220));
    palette.setColor(QPalette::ToolTipText, black);
    palette.setColor(QPalette::PlaceholderText, QColor(110, 110, 110));
    palette.setColor(QPalette::Highlight, QColor(48, 140, 198));
    palette.setColor(QPalette::HighlightedText, white);
    palette.setColor(QPalette::Link, QColor(0, 0, 238));
    palette.setColor(QPalette::LinkVisited, QColor(85, 26, 139));
    // Unavailable controls read as such, still on a light face.
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(120, 120, 120));
    palette.setColor(QPalette::Disabled, QPalette::Highlight, QColor(145, 145, 145));
    return palette;
}

void use(QWidget *window)
{
    window->setPalette(fixed());
    if (!drawsInPaletteColours())
        window->installEventFilter(new StyleOnShow(window));
}

} // namespace windowpalette
