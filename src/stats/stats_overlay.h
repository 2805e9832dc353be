#pragma once
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <Qt>

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

// The mouse over a statistics graph, as every window showing one takes it: a button going down on the
// cursor line drags the line; the left button anywhere else starts a zoom box at that point, whose far
// corner follows the pointer until the button comes up. The window keeps this state beside its graph
// and overlay; positions are in the graph's user units.
class StatsGraphMouse {
public:
    enum class Press { Ignored, Drag, Zoom };
    // A button went down at (x, y); on_cursor: the pointer stands on the cursor line. Drag: the window
    // moves the line to the pointer; Zoom: a box of no size begins at the point.
    Press press(double x, double y, Qt::MouseButton button, bool on_cursor);
    // A pending zoom box's far corner moves to corner (kept inside the shown window); false without one.
    bool stretch_zoom(const QPointF& corner);
    // The button came up: no drag and no box.
    void release();

    bool zoom_pending = false;
    bool dragging = false;
    QPointF zoom_origin;
    QRectF zoom_box;
};
