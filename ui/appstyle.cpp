#include "ui/appstyle.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QProxyStyle>

namespace {

// Two chevrons pointing the way the hidden items lie, drawn at any size.
class OverflowArrowsEngine : public QIconEngine
{
public:
    explicit OverflowArrowsEngine(bool horizontal) : m_horizontal(horizontal) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        const QPalette palette = QApplication::palette();
        const QColor colour = palette.color(mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active,
                                            QPalette::ButtonText);
        const qreal unit = qMin(rect.width(), rect.height()) / 16.0;
        QPainterPath path;
        for (const qreal start : {4.0, 8.5}) {
            if (m_horizontal) {
                path.moveTo(start, 4.5);
                path.lineTo(start + 3.5, 8);
                path.lineTo(start, 11.5);
            } else {
                path.moveTo(4.5, start);
                path.lineTo(8, start + 3.5);
                path.lineTo(11.5, start);
            }
        }
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(unit, unit);
        painter->setPen(QPen(colour, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter->drawPath(path);
        painter->restore();
    }

    // The engine's own pixmap starts with whatever the memory held.
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap picture(size);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        paint(&painter, QRect(QPoint(), size), mode, state);
        return picture;
    }

    QIconEngine *clone() const override { return new OverflowArrowsEngine(m_horizontal); }

private:
    bool m_horizontal;
};

class AppStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option, const QWidget *widget) const override
    {
        if (icon == SP_ToolBarHorizontalExtensionButton || icon == SP_ToolBarVerticalExtensionButton)
            return QIcon(new OverflowArrowsEngine(icon == SP_ToolBarHorizontalExtensionButton));
        return QProxyStyle::standardIcon(icon, option, widget);
    }
};

} // namespace

namespace appstyle {

void use()
{
    QApplication::setStyle(new AppStyle(QApplication::style()->name()));
}

} // namespace appstyle
