#pragma once
// Shows a Surface on the screen. Painting wraps the surface's own memory in an image, so
// nothing is copied; showing changes pushes only the damaged area.

#include "core/platform/surface.h"

#include <QWidget>

namespace tessaron {

class SurfaceView : public QWidget {
    Q_OBJECT
public:
    // The surface must outlive the view; it may change size and pixels at any time.
    explicit SurfaceView(const Surface& surface, QWidget* parent = nullptr);

    // Pushes the damaged area of the surface to the screen now.
    void showChanges(const Damage& changed);

    // Surface pixels per widget pixel: on a high-resolution screen the surface holds the
    // screen's own pixels and is shown one to one, not scaled.
    void setDevicePixelRatio(qreal ratio) { ratio_ = ratio; }
    qreal surfaceRatio() const { return ratio_; }

    // Shows only the surface's top-left `size` device pixels, `origin` device pixels into
    // the widget, and leaves the rest of the widget to what lies beneath: an overlay placed
    // to the device pixel although widgets are placed in layout pixels.
    void showPartAt(QPoint origin, QSize size);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Surface* surface_;
    qreal ratio_ = 1.0;
    bool part_ = false;
    QPoint origin_;
    QSize size_;
};

}  // namespace tessaron
