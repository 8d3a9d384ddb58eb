#pragma once
// A one-line label that gives up width gracefully: text() stays whole, and
// what does not fit ends in "…" instead of being cut off.

#include <QLabel>

namespace velmora::app {

class ElidedLabel : public QLabel {
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace velmora::app
