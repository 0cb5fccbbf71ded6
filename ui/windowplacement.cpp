#include "ui/windowplacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace {

// One axis: a start and a length within [areaStart, areaStart + areaLength).
// 64-bit, so that no bounds can overflow on the way.
std::pair<int, int> fitAxis(qint64 start, qint64 length, qint64 areaStart, qint64 areaLength, qint64 minimum)
{
    const qint64 fitted = std::max(minimum, std::min(length, areaLength));
    const qint64 lastStart = areaStart + areaLength - fitted;
    const qint64 placed = std::max(areaStart, std::min(start, lastStart));
    return {int(placed), int(fitted)};
}

} // namespace

QRect fitToScreen(const QRect &bounds, const QRect &available, const QSize &minimum)
{
    if (!available.isValid())
        return QRect(bounds.topLeft(), bounds.size().expandedTo(minimum));
    const auto [left, width] = fitAxis(bounds.left(), bounds.width(), available.left(), available.width(),
                                       std::max(0, minimum.width()));
    const auto [top, height] = fitAxis(bounds.top(), bounds.height(), available.top(), available.height(),
                                       std::max(0, minimum.height()));
    return QRect(left, top, width, height);
}

QRect fitToScreen(const QWidget &window, const QRect &bounds)
{
    const QScreen *screen = window.screen();
    const QSize decorations = window.frameGeometry().size() - window.geometry().size();
    const QSize minimum = window.minimumSize().expandedTo(window.minimumSizeHint()) + decorations;
    return fitToScreen(bounds, screen ? screen->availableGeometry() : QRect(), minimum);
}

bool compositorPlacesWindows()
{
    return compositorPlacesWindows(QGuiApplication::platformName());
}

bool compositorPlacesWindows(QStringView platformName)
{
    // "wayland", "wayland-egl", "wayland-xcomposite-glx" ...
    return platformName.startsWith(QLatin1String("wayland"), Qt::CaseInsensitive);
}

QRect keptBounds(const QRect &shown, const QRect &kept, bool compositorPlaces)
{
    return compositorPlaces ? QRect(kept.topLeft(), shown.size()) : shown;
}

void openAsTransientOf(QWidget &dialog, QWidget &mainWindow)
{
    // Both need their native windows; the main window has one once shown.
    QWidget &main = *mainWindow.window();
    dialog.createWinId();
    main.createWinId();
    if (QWindow *own = dialog.windowHandle())
        own->setTransientParent(main.windowHandle());
}
