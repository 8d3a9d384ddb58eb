#pragma once
// Keeps every window of the application on its screen: as a window is
// shown, it is made no larger than the screen's available area (a smaller
// screen, or a larger scale factor) and moved inside it, while it stays at
// or above its minimum size where the screen leaves room for that.

#include <QObject>
#include <QRect>

class QWidget;

namespace velmora::app {

// The geometry a window of `frame` (its place and size) takes on a screen of
// `available` area, given the smallest size it may have.
QRect fittedGeometry(const QRect& frame, const QSize& minimum, const QRect& available);

// Installed on the application: fits each window as it is shown.
class ScreenFit : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override;
    static void fit(QWidget* window);
};

}  // namespace velmora::app
