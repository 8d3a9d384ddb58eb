#include "app/ScreenFit.h"

#include <algorithm>

#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>

namespace velmora::app {

QRect fittedGeometry(const QRect& frame, const QSize& minimum, const QRect& available)
{
    const QSize size = frame.size().expandedTo(minimum).boundedTo(available.size());
    const int x = std::clamp(frame.x(), available.left(), available.right() - size.width() + 1);
    const int y = std::clamp(frame.y(), available.top(), available.bottom() - size.height() + 1);
    return {QPoint(x, y), size};
}

bool ScreenFit::eventFilter(QObject* watched, QEvent* event)
{
    // Show comes before the window is mapped: fitted now, it never shows off the screen.
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        // Menus and other popups place themselves.
        if (widget->isWindow() && widget->windowType() != Qt::Popup && widget->windowType() != Qt::ToolTip)
            fit(widget);
    }
    return QObject::eventFilter(watched, event);
}

void ScreenFit::fit(QWidget* window)
{
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    // The laid-out minimum, which an explicit minimum size can hide.
    QSize minimum = window->minimumSize();
    if (window->layout())
        minimum = minimum.expandedTo(window->layout()->totalMinimumSize());
    const QRect fitted = fittedGeometry(window->geometry(), minimum, available);
    if (fitted.size() != window->size())
        window->resize(fitted.size());
    if (fitted.topLeft() != window->geometry().topLeft())
        window->move(fitted.topLeft() + (window->pos() - window->geometry().topLeft()));
}

}  // namespace velmora::app
