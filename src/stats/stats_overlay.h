#pragma once
#include <QPointF>
#include <QRectF>
#include <QSizeF>

class CanvasWidget;
class QFrame;
class QLabel;

// The pieces laid over a statistics graph on screen: the cursor line, the zoom box and its hint. They
// move over the drawing without redrawing it. Positions are in the graph's user units.
class StatsOverlay {
public:
    explicit StatsOverlay(CanvasWidget* graph);

    // The cursor line across the whole width at user row y.
    void place_cursor(double row);
    void hide_cursor();
    // The zoom box and its hint ("Press the Space-Bar to zoom into this region") one label height above it.
    void place_zoom(const QRectF& box);
    void hide_zoom();
    bool zoom_visible() const;
    // One screen pixel in user units.
    QSizeF pixel() const;
    QPointF to_pixels(double x, double y) const;

    QFrame* Stats_Cursor;
    QFrame* Zoom;
    QLabel* Zoom_Label;

private:
    CanvasWidget* graph_;
};
