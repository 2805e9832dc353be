#include "stats/stats_overlay.h"

#include "platform/canvas.h"

#include <QFrame>
#include <QLabel>
#include <cmath>

StatsOverlay::StatsOverlay(CanvasWidget* graph) : graph_(graph)
{
    Stats_Cursor = new QFrame(graph);
    Stats_Cursor->setStyleSheet(QStringLiteral("background-color: #c00000;"));
    Stats_Cursor->setAttribute(Qt::WA_TransparentForMouseEvents);
    Stats_Cursor->hide();
    Zoom = new QFrame(graph);
    Zoom->setFrameStyle(QFrame::Box | QFrame::Plain);
    Zoom->setStyleSheet(QStringLiteral("QFrame { border: 1px dashed #0000c0; background: transparent; }"));
    Zoom->setAttribute(Qt::WA_TransparentForMouseEvents);
    Zoom->hide();
    Zoom_Label = new QLabel(QStringLiteral("Press the Space-Bar to zoom into this region"), graph);
    Zoom_Label->setAttribute(Qt::WA_TransparentForMouseEvents);
    Zoom_Label->adjustSize();
    Zoom_Label->hide();
}

QPointF StatsOverlay::to_pixels(double x, double y) const
{
    const QRectF s = graph_->canvas().user_scale();
    const double w = s.width() != 0 ? s.width() : 1, h = s.height() != 0 ? s.height() : 1;
    return {(x - s.left()) / w * graph_->width(), (y - s.top()) / h * graph_->height()};
}

QSizeF StatsOverlay::pixel() const
{
    const QRectF s = graph_->canvas().user_scale();
    return {std::abs(s.width()) / std::max(1, graph_->width()), std::abs(s.height()) / std::max(1, graph_->height())};
}

void StatsOverlay::place_cursor(double row)
{
    const double y = to_pixels(0, row).y();
    if (!std::isfinite(y) || y < -2 || y > graph_->height() + 2) {
        Stats_Cursor->hide();
        return;
    }
    Stats_Cursor->setGeometry(0, int(std::lround(y)) - 1, graph_->width(), 2);
    Stats_Cursor->show();
}

void StatsOverlay::hide_cursor()
{
    Stats_Cursor->hide();
}

void StatsOverlay::place_zoom(const QRectF& box)
{
    const QPointF a = to_pixels(box.left(), box.top()), b = to_pixels(box.right(), box.bottom());
    const QRect r = QRectF(a, b).normalized().toAlignedRect();
    Zoom->setGeometry(r);
    Zoom_Label->move(r.left(), r.top() - Zoom_Label->height());
    Zoom->show();
    Zoom_Label->show();
}

void StatsOverlay::hide_zoom()
{
    Zoom->hide();
    Zoom_Label->hide();
}

bool StatsOverlay::zoom_visible() const
{
    return !Zoom->isHidden();
}

StatsGraphMouse::Press StatsGraphMouse::press(double x, double y, Qt::MouseButton button, bool on_cursor)
{
    if (on_cursor) {
        dragging = true;
        return Press::Drag;
    }
    if (button != Qt::LeftButton)
        return Press::Ignored;
    zoom_pending = true;
    zoom_origin = QPointF(x, y);
    zoom_box = QRectF(zoom_origin, QSizeF(0, 0));
    return Press::Zoom;
}

bool StatsGraphMouse::stretch_zoom(const QPointF& corner)
{
    if (!zoom_pending)
        return false;
    zoom_box = QRectF(zoom_origin, corner).normalized();
    return true;
}

void StatsGraphMouse::release()
{
    dragging = false;
    zoom_pending = false;
}
